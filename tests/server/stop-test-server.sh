#!/bin/sh
# Stops the tests' PostgreSQL cluster that start-test-server.sh started and
# removes its folder; nothing to do when none is running.
#
#   stop-test-server.sh STATE_DIR
set -u
state_dir=$1
bin=${FALMIDE_PGBIN:-/usr/lib/postgresql/15/bin}
[ -f "$state_dir/env" ] || exit 0
cluster=$(sed -n 's/^FALMIDE_TEST_PGCLUSTER=//p' "$state_dir/env")

if [ -n "$cluster" ] && [ -f "$cluster/data/postmaster.pid" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- "$bin/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null
    else
        "$bin/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null
    fi
fi
case "$cluster" in
*/falmide-pg.*) rm -rf "$cluster" ;;
esac
rm -f "$state_dir/env" "$state_dir/pgpass"
