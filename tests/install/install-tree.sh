#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a user would: from another folder,
# with no LD_LIBRARY_PATH, the programs find their library; the desktop entry, metainfo, manual
# pages, completion, pkg-config file and CMake package are checked with the tools that read them.
# Usage: install-tree.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
unset LD_LIBRARY_PATH
mkdir "$work/elsewhere" && cd "$work/elsewhere"
cli=$prefix/bin/tessary-cli

# The installed programs run from anywhere and answer --version.
for program in tessary-cli tessary-board $([[ -x $prefix/bin/tessary ]] && echo tessary); do
    version=$(env -i PATH=/usr/bin:/bin "$prefix/bin/$program" --version) ||
        fail "$program --version"
    [[ $version == "$program "[0-9]* ]] || fail "$program --version said '$version'"
done
# Outputs are taken whole before grep -q looks at them: grep leaving at its first match would
# otherwise end a writer that is still writing with SIGPIPE, which pipefail counts as a failure.
libraries=$(ldd "$cli")
grep -q "liblnkutil.so.1 => $prefix/" <<<"$libraries" || fail "tessary-cli does not use the installed liblnkutil"

# A round trip on the simulated board, memories kept between the two runs.
export LNKUTIL_DEVICES="" LNKUTIL_DATA_DIR=$work/boards
head -c 70000 /dev/urandom >in.bin
"$cli" -q load-ram in.bin --address 0x100 >/dev/null
"$cli" -q store-ram out.bin --address 0x100 --length 70000 >/dev/null
cmp -s in.bin out.bin || fail "what was stored differs from what was loaded"
devices=$("$cli" devices)
grep -q "(default)" <<<"$devices" || fail "devices lists no default device"

# The labgrid driver is installed where Debian's python3 looks (lib/python3/dist-packages under
# the prefix), without byte code, and registers itself with labgrid when imported (where a
# python3 with labgrid is installed).
module=$prefix/lib/python3/dist-packages/tessary_labgrid
[[ -s $module/__init__.py && -s $module/driver.py ]] || fail "the labgrid driver is not installed"
[[ ! -e $module/__pycache__ ]] || fail "byte code was installed with the labgrid driver"
if /usr/bin/python3 -c "import labgrid" 2>/dev/null; then
    PYTHONPATH=$prefix/lib/python3/dist-packages PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -c '
import tessary_labgrid
from labgrid.factory import target_factory
assert target_factory.drivers["TessaryDriver"] is tessary_labgrid.TessaryDriver
assert tessary_labgrid.__file__.startswith("'"$prefix"'/")' || fail "the installed labgrid driver does not register"
fi

# The desktop's files pass their validators.
share=$prefix/share
if [[ -x $prefix/bin/tessary ]]; then
    desktop-file-validate "$share/applications/io.github.tessary.Tessary.desktop"
    appstreamcli validate --no-net --pedantic "$share/metainfo/io.github.tessary.Tessary.metainfo.xml" >/dev/null ||
        appstreamcli validate --no-net "$share/metainfo/io.github.tessary.Tessary.metainfo.xml"
    for size in 16 32 48 64 128 256; do
        [[ -s $share/icons/hicolor/${size}x$size/apps/io.github.tessary.Tessary.png ]] || fail "no $size px icon"
    done
fi

# Manual pages render without a warning and name their program.
for page in "$share"/man/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    text=$(MANWIDTH=80 man -l "$page" 2>"$work/man.err")
    [[ ! -s $work/man.err ]] || fail "man -l $page: $(cat "$work/man.err")"
    grep -q "^NAME" <<<"$text" && grep -q "$name" <<<"$text" || fail "$page does not render"
done
[[ -e $share/man/man1/tessary-cli.1.gz && -e $share/man/man1/tessary-board.1.gz ]] || fail "manual pages missing"

# Bash completion offers the commands and each command's options.
complete_line() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _tessary_cli; printf "%s\n" "${COMPREPLY[@]}"' _ \
        "$share/bash-completion/completions/tessary-cli" "$@"
}
[[ $(complete_line tessary-cli load | sort | tr '\n' ' ') == "load-flash load-ram " ]] ||
    fail "commands: $(complete_line tessary-cli load)"
complete_line tessary-cli store-ram out.bin --mo | grep -x -- --mode >/dev/null || fail "store-ram options"
[[ $(complete_line tessary-cli bla | tr '\n' ' ') == "blank-check " ]] || fail "blank-check command"
complete_line tessary-cli load-flash fw.hex --no-p | grep -x -- --no-preserve >/dev/null || fail "load-flash options"
[[ $(complete_line tessary-cli store-flash dump.hex --format i | tr '\n' ' ') == "ihex " ]] || fail "formats"
[[ $(complete_line tessary-cli p | sort | tr '\n' ' ') == "ports probe " ]] ||
    fail "commands: $(complete_line tessary-cli p)"
[[ $(complete_line tessary-cli --config parv | tr '\n' ' ') == "parvel4 parvel16 " ]] || fail "configurations"
complete_line tessary-cli --dev | grep -x -- --device >/dev/null || fail "global options"
[[ -s $share/zsh/vendor-completions/_tessary-cli ]] || fail "no zsh completion"

# A C program builds against the installed library through pkg-config, and through CMake.
cat >probe.c <<'C'
#include <lnkutil.h>
#include <stdio.h>
int main(void) {
    LnkErc erc = 0;
    if (!LnkInit(&erc)) return 1;
    printf("%d\n", ZmgrGetDevCount(&erc));
    LnkTerm();
    return 0;
}
C
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name lnkutil.pc)")
# shellcheck disable=SC2046
cc probe.c -o probe $(pkg-config --cflags --libs lnkutil) -Wl,-rpath,"$(pkg-config --variable=libdir lnkutil)"
[[ $(./probe) -ge 1 ]] || fail "the pkg-config build found no devices"
probe_libraries=$(ldd probe)
grep -qi qt <<<"$probe_libraries" && fail "a C program of the library loads Qt"
mkdir cmake-user && cat >cmake-user/CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.22)
project(probe C)
find_package(lnkutil 1.0 REQUIRED)
add_executable(probe ../probe.c)
target_link_libraries(probe PRIVATE lnkutil::lnkutil)
CMAKE
cmake -S cmake-user -B cmake-build -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build cmake-build >/dev/null
[[ $(cmake-build/probe) -ge 1 ]] || fail "the find_package build found no devices"
echo "installed tree OK"
