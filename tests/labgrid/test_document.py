"""docs/labgrid.md as written: its two environment files, with their board's address changed to
a tessary-board (on a pseudo-terminal, and through ser2net with RFC 2217), each run with the
document's pytest example through ``pytest --lg-env``."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import pytest
import yaml

from conftest import SER2NET, Board, Ser2net

DOCUMENT = Path(os.environ.get("TESSARY_SOURCE_DIR", Path(__file__).parents[2])) / "docs/labgrid.md"


def document_files():
    """The blocks of the document that follow a ``<!-- file: NAME -->`` line, by NAME."""
    text = DOCUMENT.read_text()
    blocks = re.findall(r"^<!-- file: (\S+) -->\n```\w*\n(.*?)^```$", text, re.M | re.S)
    return dict(blocks)


def run_example(folder, environment):
    example = folder / "test_firmware.py"
    example.write_text(document_files()["test_firmware.py"])
    config = folder / "env.yaml"
    config.write_text(yaml.safe_dump(environment))
    return subprocess.run([sys.executable, "-m", "pytest", "-p", "no:cacheprovider",
                           "--lg-env", str(config), str(example)],
                          cwd=folder, capture_output=True, text=True)


@pytest.fixture
def stop_afterwards():
    started = []
    yield started.append
    for stop in reversed(started):
        stop()


def test_the_document_holds_the_files_the_tests_run():
    assert sorted(document_files()) == ["local.yaml", "remote.yaml", "test_firmware.py"]


def test_the_example_runs_on_the_local_environment(tmp_path, stop_afterwards):
    board = Board([], tmp_path / "board.log")
    stop_afterwards(board.stop)
    environment = yaml.safe_load(document_files()["local.yaml"])
    resources = environment["targets"]["main"]["resources"]
    assert list(resources) == ["RawSerialPort"]
    resources["RawSerialPort"]["port"] = board.path
    firmware = tmp_path / environment["images"]["firmware"]
    firmware.parent.mkdir(parents=True)
    firmware.write_bytes(os.urandom(20000))
    run = run_example(tmp_path, environment)
    assert run.returncode == 0, run.stdout + run.stderr
    assert "4 passed" in run.stdout


@pytest.mark.skipif(SER2NET is None, reason="ser2net is not installed")
def test_the_example_runs_on_the_environment_behind_ser2net(tmp_path, stop_afterwards):
    environment = yaml.safe_load(document_files()["remote.yaml"])
    driver = environment["targets"]["main"]["drivers"]["TessaryDriver"]
    board = Board(["--flash", "4m", "--config", driver["config"],
                   "--register-base", str(driver["register_base"])], tmp_path / "board.log")
    stop_afterwards(board.stop)
    port = environment["targets"]["main"]["resources"]["NetworkSerialPort"]
    shared = Ser2net(board.path, port["protocol"], tmp_path)
    stop_afterwards(shared.stop)
    port["host"], port["port"] = "127.0.0.1", shared.port
    environment["tools"]["tessary-cli"] = shutil.which("tessary-cli")
    firmware = tmp_path / "firmware.bin"
    firmware.write_bytes(os.urandom(20000))
    environment["images"]["firmware"] = str(firmware)
    run = run_example(tmp_path, environment)
    assert run.returncode == 0, run.stdout + run.stderr
    assert "4 passed" in run.stdout
