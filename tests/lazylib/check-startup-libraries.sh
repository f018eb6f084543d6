#!/bin/sh
# The program starts without the libraries it loads on first use: none of
# them is among the libraries the dynamic loader maps before main().
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
exit $status
