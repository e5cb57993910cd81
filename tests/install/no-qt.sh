#!/usr/bin/env bash
# The command-line programs and the device library load no Qt library, directly or through
# another library: a program that only wants register access stays small and starts fast.
set -euo pipefail
status=0
for file in "$@"; do
    if ! loaded=$(ldd "$file"); then
        echo "FAIL: ldd cannot read $file" >&2
        status=1
        continue
    fi
    if grep -q 'not found' <<<"$loaded"; then
        echo "FAIL: $file misses a library:" >&2
        grep 'not found' <<<"$loaded" >&2
        status=1
    fi
    if grep -i 'libQt' <<<"$loaded" >&2; then
        echo "FAIL: $file loads Qt (above)" >&2
        status=1
    fi
done
exit $status
