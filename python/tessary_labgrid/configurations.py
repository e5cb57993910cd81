"""The Flash size of each memory configuration, as tessary-cli names them.

A store without a length reads from its address to the end of the configuration's Flash. The
sizes are those of tessary-cli's configuration table (``docs/cli.md``); a test holds this
table against the CLI's own range check.
"""

FLASH_SIZE = {
    "q0": 0x80000,
    "q1": 0x80000,
    "q2": None,  # RAM only
    "q3": 0x100000,
    "parvel4": 0x400000,
    "parvel16": 0x1000000,
}
