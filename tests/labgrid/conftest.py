"""Simulated boards for the driver's tests: tessary-board on a pseudo-terminal, and the same
board shared through ser2net on 127.0.0.1 (raw TCP and RFC 2217), each reached through a
labgrid environment that a test writes, without a coordinator."""

import os
import shutil
import signal
import socket
import subprocess
import time

import pytest
import yaml
from labgrid import Environment

import tessary_labgrid  # noqa: F401  (registers TessaryDriver)

ROADS = ["pty", "raw", "rfc2217"]


class Board:
    """tessary-board on a new pseudo-terminal; ``path`` is the line it answers on."""

    def __init__(self, options, log):
        self.process = subprocess.Popen(["tessary-board", *options], stdout=subprocess.PIPE,
                                        stderr=open(log, "w"), text=True)
        self.path = self.process.stdout.readline().strip()
        if not self.path:
            self.stop()
            raise RuntimeError("tessary-board printed no terminal path")

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()


def _free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def _listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


class Ser2net:
    """ser2net sharing ``tty`` on a free port of 127.0.0.1, raw or with RFC 2217."""

    def __init__(self, tty, protocol, folder):
        self.port = _free_port()
        accepter = "telnet(rfc2217),tcp(nodelay)" if protocol == "rfc2217" else "tcp(nodelay)"
        config = folder / "ser2net.yaml"
        config.write_text("connection: &board\n"
                          f"  accepter: {accepter},127.0.0.1,{self.port}\n"
                          f"  connector: serialdev,{tty},115200n81,local\n"
                          "  options:\n"
                          "    kickolduser: true\n"
                          "    chardelay: false\n")
        self.process = subprocess.Popen(
            [SER2NET, "-n", "-u", "-c", str(config), "-P", str(folder / "ser2net.pid")],
            stdout=open(folder / "ser2net.log", "w"), stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 10
        while not _listening(self.port):
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.stop()
                raise RuntimeError(f"ser2net does not listen on port {self.port}")
            time.sleep(0.02)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


SER2NET = next((p for p in ("/usr/sbin/ser2net", "/usr/bin/ser2net", shutil.which("ser2net"))
                if p and os.access(p, os.X_OK)), None)


def resource_for(road, board, folder, cleanup):
    """The labgrid resource that reaches ``board`` on ``road``."""
    if road == "pty":
        return {"RawSerialPort": {"port": board.path, "speed": 115200}}
    if SER2NET is None:
        pytest.skip("ser2net is not installed")
    shared = Ser2net(board.path, road, folder)
    cleanup.append(shared.stop)
    return {"NetworkSerialPort": {"host": "127.0.0.1", "port": shared.port, "speed": 115200,
                                  "protocol": road}}


def write_environment(path, resource, driver=None, images=None, tool=""):
    """An environment file with one target ``main``: the resource and TessaryDriver; the
    program is ``tool``, by default tessary-cli as found on the PATH, None for no entry."""
    data = {"targets": {"main": {"resources": resource,
                                 "drivers": {"TessaryDriver": driver or {}}}},
            "imports": ["tessary_labgrid"]}
    if tool is not None:
        data["tools"] = {"tessary-cli": tool or shutil.which("tessary-cli")}
    if images:
        data["images"] = images
    path.write_text(yaml.safe_dump(data))
    return path


@pytest.fixture
def board_on(tmp_path):
    """board_on(road, *options) starts tessary-board with ``options`` and returns the target
    that reaches it on ``road``."""
    cleanup = []

    def start(road, *options, driver=None, images=None, tool=""):
        board = Board(list(options), tmp_path / "board.log")
        cleanup.append(board.stop)
        resource = resource_for(road, board, tmp_path, cleanup)
        config = write_environment(tmp_path / "env.yaml", resource, driver, images, tool)
        target = Environment(config_file=str(config)).get_target("main")
        cleanup.append(target.cleanup)
        return target

    yield start
    for stop in reversed(cleanup):
        stop()


@pytest.fixture
def data(tmp_path):
    """data(name, size): a file of ``size`` random bytes in the test's folder."""

    def make(name, size):
        path = tmp_path / name
        path.write_bytes(os.urandom(size))
        return path

    return make
