#!/usr/bin/env bash
# Builds the Debian package from a build folder (cpack), checks it with lintian (no errors), and
# with --try installs it with dpkg, uses the installed programs from /usr and removes it again.
# Usage: scripts/build-deb.sh BUILD_DIR [--try]
# Exit 77 (skipped) for --try when not root or when a tessary package is installed already.
set -euo pipefail
build=$(cd "$1" && pwd)
try=${2:-}
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$out" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null)
deb=$(ls "$out"/tessary_*.deb)
echo "built $(basename "$deb")"
dpkg-deb --field "$deb" Depends

# lintian: errors fail; warnings are shown.
lintian --no-tag-display-limit "$deb" | tee "$out/lintian.txt" || true
if grep -q '^E:' "$out/lintian.txt"; then
    fail "lintian reports errors"
fi
[[ $try == --try ]] || exit 0

installed() { dpkg-query -W -f='${Status}' tessary 2>/dev/null | grep -q 'ok installed'; }
if [[ $(id -u) -ne 0 ]] || installed; then
    echo "skipped: installing needs root and a machine without a tessary package" >&2
    exit 77
fi
trap 'dpkg -P tessary >/dev/null 2>&1 || true; rm -rf "$out"' EXIT
dpkg -i "$deb" >/dev/null
cd "$out"
unset LD_LIBRARY_PATH
[[ $(command -v tessary-cli) == /usr/bin/tessary-cli ]] || fail "tessary-cli is not in /usr/bin"
/usr/bin/tessary-cli --version
LNKUTIL_DEVICES="" LNKUTIL_DATA_DIR=$out/boards /usr/bin/tessary-cli devices | grep -q "(default)" ||
    fail "devices lists no default device"
head -c 50000 /dev/urandom >in.bin
export LNKUTIL_DEVICES="" LNKUTIL_DATA_DIR=$out/boards
/usr/bin/tessary-cli -q load-flash in.bin >/dev/null
/usr/bin/tessary-cli -q store-flash out.bin --length 50000 >/dev/null
cmp -s in.bin out.bin || fail "the installed tessary-cli stored other bytes than it loaded"
dpkg -P tessary >/dev/null
[[ ! -e /usr/bin/tessary-cli ]] || fail "removing the package left tessary-cli"
! dpkg-query -W tessary >/dev/null 2>&1 || fail "dpkg still knows the purged package"
echo "package OK"
