"""TessaryDriver against tessary-board: on a pseudo-terminal (RawSerialPort) and through ser2net
(NetworkSerialPort, raw and rfc2217), each operation the real one, as a lab's test runs it."""

import pytest
from labgrid.step import steps

from conftest import ROADS
from tessary_labgrid import TessaryError

SIZE = 20000


@pytest.mark.parametrize("road", ROADS)
@pytest.mark.parametrize("memory, address", [("ram", 0x1000), ("flash", 0x20000)])
def test_load_then_store_gives_back_the_file(board_on, data, tmp_path, road, memory, address):
    tessary = board_on(road).get_driver("TessaryDriver")
    image = data("image.bin", SIZE)
    assert tessary.load(str(image), memory=memory, address=address)["bytes"] == SIZE
    readback = tmp_path / "readback.bin"
    assert tessary.store(str(readback), memory=memory, address=address, length=SIZE)["bytes"] == SIZE
    assert readback.read_bytes() == image.read_bytes()


@pytest.mark.parametrize("road", ROADS)
def test_erase_clears_what_a_load_programmed(board_on, data, road):
    tessary = board_on(road).get_driver("TessaryDriver")
    tessary.load(str(data("image.bin", SIZE)), address=0x20000)
    assert [b["erased"] for b in tessary.blank_check(blocks=[0, 1])] == [True, False]
    tessary.erase(blocks="1")
    assert tessary.blank_check(blocks=1) == [{"block": 1, "address": 0x20000, "erased": True}]


@pytest.mark.parametrize("road", ROADS)
def test_a_board_that_stops_answering_raises_tessarys_message_and_cause(board_on, data, road):
    tessary = board_on(road, "--fault", "no-reply", "--fault-at", "20").get_driver("TessaryDriver")
    with pytest.raises(TessaryError) as raised:
        tessary.load(str(data("image.bin", SIZE)))
    error = raised.value
    assert error.exit_code == 1
    assert error.caption == "Flash Load Error"
    assert "no reply" in error.cause
    # The words are Tessary's own: the message the run reported while it ran.
    shown = [m for m in error.outcome["messages"] if m["icon"] == "error"]
    assert error.msg == shown[0]["text"] and error.cause == shown[0]["cause"]
    assert f'"text":"{error.msg}"' in "\n".join(error.stderr)


def test_a_refused_command_raises_its_refusal(board_on, tmp_path):
    tessary = board_on("pty", "--flash", "1m", "--config", "q3",
                       driver={"config": "q3"}).get_driver("TessaryDriver")
    with pytest.raises(TessaryError) as raised:
        tessary.store(str(tmp_path / "ram.bin"), memory="ram", length=16)
    assert raised.value.exit_code == 2
    assert raised.value.msg.startswith("store-ram is not available with --config q3")
    assert not (tmp_path / "ram.bin").exists()


def test_configuration_and_register_base_reach_the_board(board_on, data, tmp_path):
    # Past the end of q0's Flash, and with the controller at 0x40: both must be passed on.
    tessary = board_on("pty", "--flash", "1m", "--config", "q3", "--register-base", "0x40",
                       driver={"config": "q3", "register_base": 0x40}).get_driver("TessaryDriver")
    image = data("image.bin", 4096)
    tessary.load(str(image), address=0xE0000)
    tessary.store(str(tmp_path / "back.bin"), address=0xE0000, length=4096)
    assert (tmp_path / "back.bin").read_bytes() == image.read_bytes()


def test_a_flash_store_without_length_reads_to_the_end_of_the_flash(board_on, data, tmp_path):
    tessary = board_on("pty").get_driver("TessaryDriver")
    image = data("image.bin", 4096)
    tessary.load(str(image), address=0x7F000)
    whole = tmp_path / "rest.bin"
    assert tessary.store(str(whole), address=0x70000)["bytes"] == 0x10000
    assert whole.read_bytes()[0xF000:] == image.read_bytes()
    with pytest.raises(ValueError):
        tessary.store(str(tmp_path / "ram.bin"), memory="ram")


def test_bootstrap_load_programs_the_environments_image_into_flash(board_on, data, tmp_path):
    image = data("firmware.bin", SIZE)
    target = board_on("pty", driver={"image": "firmware"}, images={"firmware": str(image)})
    target.get_driver("BootstrapProtocol").load()
    tessary = target.get_driver("TessaryDriver")
    tessary.store(str(tmp_path / "back.bin"), length=SIZE)
    assert (tmp_path / "back.bin").read_bytes() == image.read_bytes()


def test_progress_reaches_the_calls_step(board_on, data):
    tessary = board_on("pty").get_driver("TessaryDriver")
    seen = []

    def record(event):
        if event.step.source is tessary and event.step.title == "load":
            seen.append(dict(event.data))

    steps.subscribe(record)
    try:
        tessary.load(str(data("image.bin", SIZE)), memory="ram")
    finally:
        steps.unsubscribe(record)
    progress = [e for e in seen if "done" in e]
    assert progress, seen
    done = [e["done"] for e in progress]
    assert done == sorted(done)
    assert progress[-1]["done"] == SIZE and progress[-1]["total"] == SIZE
    assert seen[-1]["state"] == "stop"


def test_the_environments_tool_is_the_program_run(board_on, data, tmp_path):
    missing = str(tmp_path / "no-such-program")
    tessary = board_on("pty", tool=missing).get_driver("TessaryDriver")
    with pytest.raises(TessaryError) as raised:
        tessary.load(str(data("image.bin", 16)), memory="ram")
    assert raised.value.exit_code is None
    assert missing in raised.value.msg


def test_without_a_tool_entry_the_program_comes_from_the_path(board_on, data):
    tessary = board_on("pty", tool=None).get_driver("TessaryDriver")
    assert tessary.load(str(data("image.bin", 16)), memory="ram")["bytes"] == 16


def test_an_interrupted_call_cancels_the_run_and_leaves_no_file(board_on, tmp_path):
    # A board at 115200 baud that reads no runs: the store would take seconds; the interrupt
    # comes at its start.
    tessary = board_on("pty", "--baud", "115200", "--extensions", "none").get_driver("TessaryDriver")
    dump = tmp_path / "dump.bin"

    def interrupt(event):
        if event.step.source is tessary and "phase" in event.data:
            raise KeyboardInterrupt

    steps.subscribe(interrupt)
    try:
        with pytest.raises(KeyboardInterrupt):
            tessary.store(str(dump), length=0x10000)
    finally:
        steps.unsubscribe(interrupt)
    assert sorted(p.name for p in tmp_path.iterdir()) == ["board.log", "env.yaml"]
    # The cancelled run let go of the line: the next call gets the board.
    assert tessary.store(str(dump), memory="ram", length=16)["bytes"] == 16
