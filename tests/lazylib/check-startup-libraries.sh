#!/bin/sh
# The program starts without the libraries it loads on first use: none of
# them is among the libraries the dynamic loader maps before main(), and
# their entries give the loader nothing to do either (tables in zero-filled
# memory, names in read-only data: nothing to relocate).
#   check-startup-libraries.sh PROGRAM SONAME...
set -eu
program=$1
shift
[ $# -gt 0 ] || {
    echo "FAIL: no library is loaded on first use" >&2
    exit 1
}
needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
status=0
for library in "$@"; do
    if printf '%s\n' "$needed" | grep -qxF "$library"; then
        echo "FAIL: $program is linked with $library at start-up" >&2
        status=1
    fi
done
# What each of those brings in: OpenSSL comes with libcurl and libpq.
for library in libssl.so.3 libcrypto.so.3; do
    if ldd "$program" | grep -q "^[[:space:]]*$library "; then
        echo "FAIL: $program maps $library at start-up" >&2
        status=1
    fi
done
symbols=$(nm "$program")
if ! printf '%s\n' "$symbols" | grep -q ' falmide_lazy_.*_table$'; then
    echo "FAIL: $program has no table of entries" >&2
    status=1
fi
misplaced=$(printf '%s\n' "$symbols" |
    awk '($3 ~ /^falmide_lazy_.*_table$/ && $2 != "b") ||
         ($3 ~ /^falmide_lazy_.*_(names|text)$/ && $2 != "r")')
if [ -n "$misplaced" ]; then
    echo "FAIL: entries' tables the loader must relocate at start-up:" >&2
    printf '%s\n' "$misplaced" >&2
    status=1
fi
exit $status
