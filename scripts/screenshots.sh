#!/usr/bin/env bash
# Takes the pictures of docs/screenshots: every page of the desktop program on a virtual display.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build; the program must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tool="$build/bin/tessary-screenshots"
if [[ ! -x $tool ]]; then
    echo "screenshots: $tool is missing; build first (make build)" >&2
    exit 1
fi
mkdir -p docs/screenshots
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$tool" docs/screenshots
echo "screenshots: written to docs/screenshots"
