"""TessaryDriver: loads, stores and erases a board's RAM and Flash through tessary-cli."""

import logging
from collections.abc import Iterable

import attr
from labgrid.driver.common import Driver
from labgrid.factory import target_factory
from labgrid.protocol import BootstrapProtocol
from labgrid.resource import SerialPort
from labgrid.step import StepEvent, step, steps
from labgrid.util.proxy import proxymanager

from .configurations import FLASH_SIZE
from .error import TessaryError
from .run import run

MEMORIES = ("flash", "ram")
# ser2net's protocols, as labgrid's NetworkSerialPort names them, and the line tessary-cli opens.
SCHEMES = {"raw": "tcp", "rfc2217": "rfc2217"}


def _number(value):
    return str(value) if isinstance(value, int) else value


def _block_list(blocks):
    """None (every block), a list such as "0,3-5", one index, or indexes."""
    if blocks is None or isinstance(blocks, str):
        return blocks
    if isinstance(blocks, int):
        return str(blocks)
    if isinstance(blocks, Iterable):
        return ",".join(str(int(b)) for b in blocks)
    raise ValueError(f"blocks must be None, a list text, an index or indexes, not {blocks!r}")


def _memory(memory):
    if memory not in MEMORIES:
        raise ValueError(f"memory must be 'flash' or 'ram', not {memory!r}")
    return memory


@target_factory.reg_driver
@attr.s(eq=False)
class TessaryDriver(Driver, BootstrapProtocol):
    """Moves data between files and the RAM and Flash of a board on a serial line.

    Binds to a ``SerialPort`` (``RawSerialPort``, ``USBSerialPort``) or a ``NetworkSerialPort``
    (ser2net, ``raw`` or ``rfc2217``); every call runs ``tessary-cli --json --progress json``.
    """

    bindings = {"port": {"SerialPort", "NetworkSerialPort"}}

    config = attr.ib(default="q0", validator=attr.validators.instance_of(str))
    register_base = attr.ib(default=0, validator=attr.validators.instance_of((int, str)))
    image = attr.ib(default=None, validator=attr.validators.optional(attr.validators.instance_of(str)))

    def __attrs_post_init__(self):
        super().__attrs_post_init__()
        self.logger = logging.getLogger(f"{self}")
        tool = self.target.env.config.get_tool("tessary-cli") if self.target.env else None
        self.tool = tool or "tessary-cli"

    def on_activate(self):
        pass

    def on_deactivate(self):
        pass

    def _line(self):
        """The --serial and --baud options that reach the bound port."""
        if isinstance(self.port, SerialPort):
            return ["--serial", self.port.port, "--baud", str(self.port.speed)]
        scheme = SCHEMES.get(self.port.protocol)
        if scheme is None:
            raise ValueError(f"NetworkSerialPort protocol must be 'raw' or 'rfc2217', "
                             f"not {self.port.protocol!r}")
        host, port = proxymanager.get_host_and_port(self.port)
        return ["--serial", f"{scheme}://{host}:{port}", "--baud", str(self.port.speed)]

    def _argv(self, command):
        return [self.tool, "--json", "--progress", "json", *self._line(),
                "--config", self.config, "--register-base", _number(self.register_base),
                *command]

    def _progress(self, event):
        """Hands one of tessary-cli's events to the running step, and messages to the log."""
        kind = event["event"]
        if kind == "message":
            self.logger.warning("%s: %s", event.get("text"), event.get("cause") or "")
            return
        if kind not in ("progress", "end"):
            return
        current = steps.get_current()
        if current is None or current.source is not self:
            return
        data = {"phase": event.get("phase", event.get("status")),
                "done": event.get("done"), "total": event.get("total")}
        if event.get("blocks"):
            data["block"] = f"{event.get('block')}/{event['blocks']}"
        steps.notify(StepEvent(current, data))

    def _text(self, line):
        self.logger.warning("tessary-cli: %s", line)

    def _run(self, command):
        argv = self._argv(command)
        self.logger.debug("running %s", argv)
        try:
            result = run(argv, self._progress, self._text)
        except OSError as e:
            raise TessaryError(f"cannot run {self.tool}", cause=e.strerror or str(e)) from e
        outcome = result.outcome
        if result.exit_code == 0 and outcome is not None and outcome.get("ok"):
            return outcome
        raise self._failure(result)

    def _failure(self, result):
        outcome = result.outcome or {}
        # The first error box says what failed; a refusal of the command line is a message
        # without an icon.
        messages = outcome.get("messages", [])
        errors = [m for m in messages if m.get("icon") == "error"] or messages
        first = errors[0] if errors else {}
        message = first.get("text") or outcome.get("status")
        if not message:
            text = [line for line in result.stderr if line and not line.startswith("{")]
            message = text[-1] if text else f"{self.tool} failed"
        return TessaryError(message, stderr=result.stderr, cause=first.get("cause"),
                            caption=first.get("caption"), exit_code=result.exit_code,
                            outcome=result.outcome)

    @Driver.check_active
    @step(args=["filename", "memory", "address"])
    def load(self, filename=None, memory="flash", address=0, verify=True):
        """Loads a file (default: the environment's image named by ``image``) into the board.

        The Flash is erased where the file goes and programmed; each block is verified unless
        ``verify`` is False. Returns tessary-cli's outcome (``bytes``, ``blocks``, ...).
        """
        if filename is None:
            if self.image is None:
                raise ValueError("load() needs a file name or the driver's image")
            filename = self.target.env.config.get_image_path(self.image)
        command = [f"load-{_memory(memory)}", str(filename), "--address", _number(address)]
        if not verify:
            command.append("--no-verify")
        return self._run(command)

    @Driver.check_active
    @step(args=["filename", "memory", "address", "length"])
    def store(self, filename, memory="flash", address=0, length=None):
        """Stores ``length`` bytes from ``address`` into a file (replacing it).

        Without a length a Flash store reads to the end of the configuration's Flash; a RAM
        store needs one. Returns tessary-cli's outcome.
        """
        if length is None:
            if _memory(memory) == "ram":
                raise ValueError("store() from RAM needs a length")
            size = FLASH_SIZE.get(self.config)
            if size is None:
                raise ValueError(f"configuration {self.config!r} has no Flash size known here; "
                                 f"give store() a length")
            address = int(address, 0) if isinstance(address, str) else address
            length = size - address
        command = [f"store-{_memory(memory)}", str(filename), "--address", _number(address),
                   "--length", _number(length)]
        return self._run(command)

    @Driver.check_active
    @step(args=["blocks"])
    def erase(self, blocks=None):
        """Erases every Flash block, or the listed ones (indexes from 0, e.g. "0,3-5")."""
        command = ["erase"]
        if _block_list(blocks) is not None:
            command += ["--blocks", _block_list(blocks)]
        return self._run(command)

    @Driver.check_active
    @step(args=["blocks"], result=True)
    def blank_check(self, blocks=None):
        """Checks whether Flash blocks read erased; returns one
        ``{"block", "address", "erased"}`` per block checked."""
        command = ["blank-check"]
        if _block_list(blocks) is not None:
            command += ["--blocks", _block_list(blocks)]
        return self._run(command).get("blank", [])
