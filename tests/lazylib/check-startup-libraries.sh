#!/bin/sh
# The program starts without the libraries it loads on first use: none of
# them is among the libraries the dynamic loader maps before main().
#   check-startup-libraries.sh PROGRAM
set -eu
needed=$(readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
status=0
for library in libcurl libgmime libgobject libcrypto libssl libzip libpq libxlsxwriter \
    libQt6Charts libQt6PrintSupport libqt6keychain; do
    if printf '%s\n' "$needed" | grep -q "^$library[.-]"; then
        echo "FAIL: $1 is linked with $library at start-up" >&2
        status=1
    fi
done
exit $status
