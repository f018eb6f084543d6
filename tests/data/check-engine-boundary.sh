#!/bin/sh
# The embedded database engine stays behind the data layer's dialect: no
# source file outside src/data/embedded/ names SQLite, its row ids or its
# pragmas (a header's "#pragma once" aside). Run with the repository's
# folder; prints the lines that cross the boundary and fails on any.
cd "$1" || exit 2
crossing=$(grep -rniE 'sqlite|rowid|pragma' src --include='*.cpp' --include='*.h' \
    | grep -v '^src/data/embedded/' | grep -vE ':[0-9]+:#pragma once$')
if [ -n "$crossing" ]; then
    echo "Outside src/data/embedded/, these lines name the embedded engine:"
    echo "$crossing"
    exit 1
fi
