#!/bin/sh
# The database engines stay behind the data layer's dialect: no source file
# outside src/data/embedded/ names SQLite, its row ids or its pragmas (a
# header's "#pragma once" aside), and none outside src/data/server/ names
# PostgreSQL, its driver or its client library. Run with the repository's
# folder; prints the lines that cross a boundary and fails on any.
cd "$1" || exit 2
status=0
crossing=$(grep -rniE 'sqlite|rowid|pragma' src --include='*.cpp' --include='*.h' \
    | grep -v '^src/data/embedded/' | grep -vE ':[0-9]+:#pragma once$')
if [ -n "$crossing" ]; then
    echo "Outside src/data/embedded/, these lines name the embedded engine:"
    echo "$crossing"
    status=1
fi
crossing=$(grep -rniE 'postgres|qpsql|psql|libpq|pgconn' src --include='*.cpp' \
    --include='*.h' | grep -v '^src/data/server/')
if [ -n "$crossing" ]; then
    echo "Outside src/data/server/, these lines name the server's engine:"
    echo "$crossing"
    status=1
fi
exit $status
