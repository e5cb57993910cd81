#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tessary needs.
# Idempotent: only packages that are missing are installed.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    xvfb xauth fonts-dejavu-core
    srecord jq
    clang libclang-rt-14-dev clang-format
    desktop-file-utils appstream man-db bash-completion file dpkg-dev lintian
    ser2net
    python3-labgrid python3-pytest
    verilator
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    if command -v sudo >/dev/null; then
        sudo_cmd=(sudo)
    else
        echo "install-deps: missing packages (${missing[*]}) and not root; run as root or install sudo" >&2
        exit 1
    fi
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
