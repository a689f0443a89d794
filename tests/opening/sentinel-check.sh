#!/bin/sh
# Runs test programs with every debug log on and fails when the sentinel password shows up
# anywhere in what they print.
#   sentinel-check.sh SENTINEL TEST...
set -u
sentinel="$1"
shift
status=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for test in "$@"; do
    QT_LOGGING_RULES='*.debug=true' "$test" >"$log" 2>&1
    rc=$?
    found=no
    if [ "$rc" -ne 0 ]; then
        echo "$test failed with status $rc:"
        tail -n 40 "$log"
        status=1
    fi
    if grep -F -q -- "$sentinel" "$log"; then
        echo "$test printed the password:"
        grep -F -- "$sentinel" "$log" | head -n 20
        found=yes
        status=1
    fi
    echo "$test: $(wc -l <"$log") lines of output, password printed: $found"
done
exit $status
