#!/usr/bin/env bash
# A program's man page names exactly the options and commands its --help shows: each option of
# `PROGRAM --help` (and of `PROGRAM COMMAND --help` for each command it lists) has an entry in
# the man page, and each entry of the man page is an option or command the program has.
# Usage: man-matches-help.sh MAN_PAGE PROGRAM
set -euo pipefail
page=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Option names of help lines such as "  -q,--quiet   ...", "  --device TEXT Excludes: ..." or
# "  -h, --help     ...": the leading words that start with a dash.
help_options() {
    sed -n 's/^  \(-.*\)$/\1/p' | while read -r -a words; do
        for word in "${words[@]}"; do
            [[ $word == -* ]] || break
            tr ',' '\n' <<<"$word"
        done
    done | sed '/^$/d'
}
# Commands of a CLI11 help: the first word of each line under "Subcommands:".
help_commands() {
    sed -n '/^Subcommands:$/,/^$/{/^  [a-z]/s/^  \([^ ]*\).*/\1/p}'
}

"$program" --help >"$work/help"
help_commands <"$work/help" | sort -u >"$work/help.commands"
{
    help_options <"$work/help"
    while read -r command; do
        "$program" "$command" --help | help_options
    done <"$work/help.commands"
} | sort -u >"$work/help.options"

# The man page's entries: the tag line after each .TP, with its quoted words, font changes and
# escaped dashes taken out. Options are its words that start with a dash; under COMMANDS, the
# first word is a command.
awk '
    /^\.SH/ { section = $0 }
    tag { print (section ~ /COMMANDS/ ? "command " : "entry ") $0; tag = 0; next }
    /^\.TP/ { tag = 1 }
' "$page" | sed -e 's/"[^"]*"//g' -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/^\(command\|entry\) \.[A-Z]* /\1 /' >"$work/tags"
sed -n 's/^command \([a-z][a-z-]*\).*/\1/p' "$work/tags" | sort -u >"$work/man.commands"
sed -n 's/^[a-z]* //p' "$work/tags" | tr ' ' '\n' | grep -- '^-' | sort -u >"$work/man.options" || true

status=0
compare() {
    local what=$1
    if ! diff -u --label "$what in $(basename "$page")" --label "$what in $(basename "$program") --help" \
        "$work/man.$what" "$work/help.$what"; then
        echo "FAIL: $(basename "$page") and $(basename "$program") --help name different $what" >&2
        status=1
    fi
}
compare options
compare commands
exit $status
