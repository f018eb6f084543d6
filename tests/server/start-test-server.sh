#!/bin/sh
# Starts the PostgreSQL cluster the server runs of the tests share: a new
# cluster in a temporary folder, listening on 127.0.0.1 only, on a port
# free at the time, with password login (scram-sha-256) and its socket in
# the same folder. The server refuses to run as root: a root test run starts
# it as `nobody`. Writes what the tests need to reach it into STATE_DIR/env
# (read by run-on-server.sh) and the password file beside it.
#
#   start-test-server.sh STATE_DIR
set -eu
state_dir=$1
bin=${FALMIDE_PGBIN:-/usr/lib/postgresql/15/bin}
user=falmide_test

if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
    echo "PostgreSQL 15 is not installed ($bin/initdb): run tools/setup.sh" >&2
    exit 1
fi

# A cluster left by an interrupted run goes first.
if [ -f "$state_dir/env" ]; then
    sh "$(dirname "$0")/stop-test-server.sh" "$state_dir" || true
fi
mkdir -p "$state_dir"
chmod 700 "$state_dir"

run_as() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}

cluster=$(mktemp -d "${TMPDIR:-/tmp}/falmide-pg.XXXXXX")
# Written before anything can fail, so that the stop script finds the folder.
printf 'FALMIDE_TEST_PGCLUSTER=%s\n' "$cluster" >"$state_dir/env"
chmod 755 "$cluster"
mkdir "$cluster/data" "$cluster/socket" "$cluster/log"
password=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
printf '%s\n' "$password" >"$cluster/initpw"
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$cluster/data" "$cluster/socket" "$cluster/log" "$cluster/initpw"
fi
chmod 700 "$cluster/data"
chmod 600 "$cluster/initpw"

run_as "$bin/initdb" -D "$cluster/data" -U "$user" --pwfile="$cluster/initpw" \
    --auth=scram-sha-256 --encoding=UTF8 --locale=C.UTF-8 --no-sync >"$cluster/initdb.log" 2>&1 || {
    cat "$cluster/initdb.log" >&2
    exit 1
}
rm -f "$cluster/initpw"

# Nothing of a test cluster has to survive a crash of the machine: without
# flushes to the disk the whole run is quicker.
cat >>"$cluster/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$cluster/socket'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 200
shared_buffers = 32MB
CONF

# A port free now may be taken before the server binds it: a few tries.
started=no
for attempt in 1 2 3 4 5; do
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    if run_as "$bin/pg_ctl" -D "$cluster/data" -l "$cluster/log/server.log" -w -t 60 \
        -o "-p $port" start >"$cluster/pg_ctl.log" 2>&1; then
        started=yes
        break
    fi
done
if [ "$started" != yes ]; then
    cat "$cluster/pg_ctl.log" "$cluster/log/server.log" >&2 2>/dev/null || true
    exit 1
fi

umask 077
printf '127.0.0.1:%s:*:%s:%s\n' "$port" "$user" "$password" >"$state_dir/pgpass"
cat >"$state_dir/env" <<ENV
FALMIDE_TEST_PGCLUSTER=$cluster
FALMIDE_TEST_PGHOST=127.0.0.1
FALMIDE_TEST_PGPORT=$port
FALMIDE_TEST_PGUSER=$user
PGPASSFILE=$state_dir/pgpass
ENV
echo "PostgreSQL test server on 127.0.0.1:$port ($cluster)"
