"""The driver's Flash sizes (for a store without a length) against tessary-cli's own: the same
configurations, and for each the end of the Flash that the CLI's range check names."""

import json
import re
import subprocess

import pytest

from tessary_labgrid.configurations import FLASH_SIZE


def cli(*args):
    # A line that does not exist: every run here is refused before a board is opened.
    return subprocess.run(["tessary-cli", "--json", "--serial", "/nonexistent/line", *args],
                          capture_output=True, text=True)


def test_the_driver_knows_the_configurations_of_the_cli():
    usage = subprocess.run(["tessary-cli", "--help"], capture_output=True, text=True).stdout
    choices = re.search(r"--config TEXT:\{([^}]*)\}", usage).group(1).split(",")
    assert sorted(choices) == sorted(FLASH_SIZE)


@pytest.mark.parametrize("config", sorted(FLASH_SIZE))
def test_each_flash_ends_where_the_cli_says(config, tmp_path):
    run = cli("--config", config, "store-flash", str(tmp_path / "out.bin"), "--length", "0x1000001")
    assert run.returncode == 2
    text = json.loads(run.stdout)["messages"][0]["text"]
    size = FLASH_SIZE[config]
    if size is None:
        assert "has no Flash" in text
    else:
        assert text == f"Invalid Flash address:  maximum Flash address is {size:#x}."
