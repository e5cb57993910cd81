#!/usr/bin/env bash
# Runs the shell examples of the user's documents as written, against simulated boards, and
# compares what they print with what the documents show.
#
# Usage: run-examples.sh SOURCE_DIR BIN_DIR DOCUMENT...   (documents relative to SOURCE_DIR)
#
# An example is a fenced block whose info string is `sh`. A block with `$ ` lines is a session:
# each `$ ` line is a command, and the lines up to the next one are what it prints on stdout,
# compared exactly. Any other block is a script, run whole with `set -e -o pipefail`. Every
# command must succeed. An HTML comment on the line before the fence changes that:
#   <!-- not run: REASON -->     the block is skipped (it needs a real board, root, the network)
#   <!-- run on the lab boards -->  the block runs with lab-devices.conf as its device table
# Each document runs in a folder of its own, in order, with a private HOME, data directory and
# device table (the built-in one), the built programs on PATH and as build/bin, and the files
# the examples name (firmware.bin, fw.bin, ...).
set -uo pipefail
source_dir=$(cd "$1" && pwd)
bin_dir=$(cd "$2" && pwd)
shift 2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
ran=0

fail() {
    echo "FAIL: $*"
    failed=$((failed + 1))
}

# The folder a document's examples run in.
prepare() {
    local dir=$1
    mkdir -p "$dir/home" "$dir/boards" "$dir/cwd/build" "$dir/cwd/out"
    ln -s "$bin_dir" "$dir/cwd/build/bin"
    head -c 20000 /dev/urandom >"$dir/cwd/firmware.bin"
    for name in fw.bin bitstream.bin image.bin out/firmware.bin; do
        head -c 20000 /dev/urandom >"$dir/cwd/$name"
    done
}

# Runs one block's script in the document's folder; its processes end with it.
run_script() {
    local dir=$1 script=$2 table=$3
    (
        cd "$dir/cwd" || exit 1
        export HOME=$dir/home LNKUTIL_DATA_DIR=$dir/boards LNKUTIL_DEVICES=$table
        export PATH=$bin_dir:$PATH
        unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME
        timeout 120 bash "$script" </dev/null &
        local pid=$!
        wait "$pid"
        local status=$?
        kill -- -"$pid" 2>/dev/null
        exit "$status"
    )
}

# A session: each command's stdout is compared with the lines the document shows after it.
run_session() {
    local doc=$1 line=$2 block=$3 dir=$4 table=$5
    local script=$dir/session.sh results=$dir/results
    rm -rf "$results" && mkdir "$results"
    local count=0 command="" expected=()
    : >"$script"
    flush() {
        [[ -n $command ]] || return 0
        count=$((count + 1))
        printf '%s\n' "$command" >"$results/$count.command"
        # trailing blank lines separate the output from what follows
        while ((${#expected[@]} > 0)) && [[ -z ${expected[-1]} ]]; do unset 'expected[-1]'; done
        if ((${#expected[@]} > 0)); then
            printf '%s\n' "${expected[@]}" >"$results/$count.expected"
        else
            : >"$results/$count.expected"
        fi
        printf '{ %s\n} >%q 2>%q; echo $? >%q\n' "$command" "$results/$count.out" \
            "$results/$count.err" "$results/$count.status" >>"$script"
        command="" expected=()
    }
    while IFS= read -r text; do
        if [[ $text == '$ '* ]]; then
            flush
            command=${text#'$ '}
        elif [[ -n $command ]]; then
            expected+=("$text")
        fi
    done <"$block"
    flush
    run_script "$dir" "$script" "$table"
    local n
    for ((n = 1; n <= count; n++)); do
        local shown
        shown=$(cat "$results/$n.command")
        if [[ ! -e $results/$n.status ]]; then
            fail "$doc:$line: \$ $shown: did not run (an earlier command ended the session)"
        elif [[ $(cat "$results/$n.status") != 0 ]]; then
            fail "$doc:$line: \$ $shown: exit status $(cat "$results/$n.status")"
            sed 's/^/    stderr: /' "$results/$n.err"
        elif ! cmp -s "$results/$n.expected" "$results/$n.out"; then
            fail "$doc:$line: \$ $shown: prints other than the document shows"
            diff -u --label "$doc (as documented)" --label "printed" \
                "$results/$n.expected" "$results/$n.out" | sed 's/^/    /'
        fi
    done
}

run_block() {
    local doc=$1 line=$2 block=$3 dir=$4 table=$5
    ran=$((ran + 1))
    echo "example $doc:$line"
    if grep -q '^\$ ' "$block"; then
        run_session "$@"
        return
    fi
    {
        echo 'set -e -o pipefail'
        cat "$block"
    } >"$dir/script.sh"
    if ! run_script "$dir" "$dir/script.sh" "$table" >"$dir/script.out" 2>&1; then
        fail "$doc:$line: the example failed:"
        sed 's/^/    | /' "$block"
        sed 's/^/    > /' "$dir/script.out"
    fi
}

for doc in "$@"; do
    dir=$work/$(tr '/.' '__' <<<"$doc")
    prepare "$dir"
    number=0 fence_line=0 marker="" in_block=false indent="" previous=""
    block=$dir/block
    while IFS= read -r text || [[ -n $text ]]; do
        number=$((number + 1))
        if ! $in_block; then
            if [[ $text =~ ^([[:space:]]*)'```sh'[[:space:]]*$ ]]; then
                in_block=true indent=${BASH_REMATCH[1]} fence_line=$number
                marker=$previous
                : >"$block"
            fi
            [[ -n ${text//[[:space:]]/} ]] && previous=$text
            continue
        fi
        if [[ $text =~ ^[[:space:]]*'```'[[:space:]]*$ ]]; then
            in_block=false previous=""
            table=""
            case $marker in
                *'<!-- not run:'*) continue ;;
                *'<!-- run on the lab boards -->'*) table=$here/lab-devices.conf ;;
            esac
            run_block "$doc" "$fence_line" "$block" "$dir" "$table"
            continue
        fi
        printf '%s\n' "${text#"$indent"}" >>"$block"
    done <"$source_dir/$doc"
    $in_block && fail "$doc:$fence_line: the block is not closed"
done

echo "$ran examples run, $failed failures"
((ran > 0 && failed == 0))
