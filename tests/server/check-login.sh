#!/bin/sh
# The tests' server takes a password login over TCP on 127.0.0.1 and
# refuses one without the password.
set -eu
answer=$(psql -X -w -h "$FALMIDE_TEST_PGHOST" -p "$FALMIDE_TEST_PGPORT" -U "$FALMIDE_TEST_PGUSER" \
    -d postgres -At -c 'SHOW password_encryption')
[ "$answer" = scram-sha-256 ] || { echo "unexpected answer: $answer" >&2; exit 1; }
if PGPASSFILE=/dev/null psql -X -w -h "$FALMIDE_TEST_PGHOST" -p "$FALMIDE_TEST_PGPORT" \
    -U "$FALMIDE_TEST_PGUSER" -d postgres -c 'SELECT 1' >/dev/null 2>&1; then
    echo "the server let a login in without a password" >&2
    exit 1
fi
