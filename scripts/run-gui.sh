#!/usr/bin/env bash
# Starts the desktop program (make run). Without a display to show it on, says so in one line
# instead of letting Qt fail with its platform-plugin report.
# Usage: scripts/run-gui.sh PATH_TO_TESSARY
set -euo pipefail
program=${1:?usage: run-gui.sh PATH_TO_TESSARY}
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "run: no display here (DISPLAY and WAYLAND_DISPLAY are unset); use a virtual one: xvfb-run -a make run" >&2
    exit 1
fi
exec "$program"
