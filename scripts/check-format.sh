#!/usr/bin/env bash
# Fails, naming the files, when a C or C++ file of src/, tests/, bench/ or res/ is not as
# clang-format (the tree's .clang-format) would write it. `make format` rewrites them.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
    echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
    exit 1
fi
mapfile -t files < <(find src tests bench res -type f \( -name '*.c' -o -name '*.cpp' \
    -o -name '*.h' -o -name '*.hpp' \) | sort)
# One clang-format for all files; it names each place that differs as "file:line:col: error: ...".
report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1) && status=0 || status=$?
mapfile -t unformatted < <(grep -oE '^[^:]+:[0-9]+:[0-9]+: error' <<<"$report" | cut -d: -f1 | sort -u)
if [[ $status -ne 0 || ${#unformatted[@]} -gt 0 ]]; then
    if [[ ${#unformatted[@]} -eq 0 ]]; then
        echo "$report" >&2
    fi
    printf '  %s\n' "${unformatted[@]}" >&2
    echo "check-format: ${#unformatted[@]} of ${#files[@]} files differ from clang-format's layout; make format rewrites them" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files as clang-format writes them"
