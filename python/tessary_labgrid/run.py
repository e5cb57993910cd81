"""Runs tessary-cli with ``--json --progress json`` and reads what it writes while it runs.

stderr carries one JSON object per line (start, progress, message, end); each is handed to
``on_event`` as it arrives. stdout carries one JSON object with the outcome, read at the end.
"""

import json
import signal
import subprocess
import threading

import attr


@attr.s
class Run:
    """What one run of tessary-cli left: exit status, outcome, stderr lines, events."""

    exit_code = attr.ib()
    outcome = attr.ib()
    stderr = attr.ib()
    events = attr.ib()


def _collect(stream, into):
    into.append(stream.read())


def run(argv, on_event, on_text):
    """Runs ``argv``; raises OSError when it cannot be started.

    A line of stderr that is not a JSON object goes to ``on_text``. When this thread is
    interrupted (KeyboardInterrupt, an exception from a callback), the program gets SIGINT, which
    cancels its operation cleanly (the Flash left readable, a store's file untouched), and is
    waited for before the exception goes on.
    """
    process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True, encoding="utf-8",
                               errors="replace")
    stdout = []
    reader = threading.Thread(target=_collect, args=(process.stdout, stdout), daemon=True)
    reader.start()
    lines, events = [], []
    try:
        for line in process.stderr:
            line = line.rstrip("\n")
            lines.append(line)
            try:
                event = json.loads(line)
            except ValueError:
                event = None
            if isinstance(event, dict) and "event" in event:
                events.append(event)
                on_event(event)
            elif line:
                on_text(line)
        exit_code = process.wait()
    except BaseException:
        process.send_signal(signal.SIGINT)
        process.wait()
        raise
    finally:
        reader.join()
        process.stdout.close()
        process.stderr.close()
    try:
        outcome = json.loads(stdout[0]) if stdout and stdout[0].strip() else None
    except ValueError:
        outcome = None
    return Run(exit_code=exit_code, outcome=outcome, stderr=lines, events=events)
