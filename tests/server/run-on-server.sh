#!/bin/sh
# Runs a test executable against the tests' PostgreSQL cluster: its
# connection (FALMIDE_TEST_PGHOST, FALMIDE_TEST_PGPORT, FALMIDE_TEST_PGUSER
# and the password file in PGPASSFILE) from the state the start script
# wrote, and FALMIDE_TEST_ENGINE=server.
#
#   run-on-server.sh STATE_DIR EXECUTABLE [ARGUMENTS...]
set -eu
state_dir=$1
shift
if [ ! -f "$state_dir/env" ] || ! grep -q '^FALMIDE_TEST_PGPORT=' "$state_dir/env"; then
    echo "The PostgreSQL test server is not running (see start-test-server.sh)" >&2
    exit 1
fi
set -a
. "$state_dir/env"
set +a
FALMIDE_TEST_ENGINE=server
export FALMIDE_TEST_ENGINE
exec "$@"
