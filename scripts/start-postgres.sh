#!/bin/sh
# Starts a PostgreSQL cluster of our own for the tests and prints its URL on
# standard output (everything else goes to standard error):
#   postgresql://envelope_test@127.0.0.1:PORT/envelope_test
# The cluster lives in /var/lib/postgresql/envelope-test, listens only on
# 127.0.0.1 and its own socket, and lets the role envelope_test in without a
# password (a disposable test cluster). The system's own cluster is not touched.
# Safe to run again: an existing cluster is reused, a running one left running.
# Needs root and Debian's postgresql package; no systemd needed.
#
# Usage: scripts/start-postgres.sh [--stop]
#   --stop   stop the test cluster (its data stays)
# Environment: ENVELOPE_TEST_PG_PORT (default 55432)
set -eu

STOP=0
for arg in "$@"; do
    case "$arg" in
        --stop) STOP=1 ;;
        -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
        *) echo "start-postgres.sh: unknown option '$arg'" >&2; exit 2 ;;
    esac
done

if [ "$(id -u)" -ne 0 ]; then
    echo "start-postgres.sh: must run as root" >&2
    exit 1
fi

PORT=${ENVELOPE_TEST_PG_PORT:-55432}
ROLE=envelope_test
DB=envelope_test
DATA=/var/lib/postgresql/envelope-test
SOCKET_DIR=/var/run/postgresql
LOG=$DATA/server.log

# The newest server Debian has installed.
BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$BIN" ] || [ ! -x "$BIN/pg_ctl" ]; then
    echo "start-postgres.sh: no PostgreSQL server found (apt-get install postgresql)" >&2
    exit 1
fi

as_postgres() {
    runuser -u postgres -- "$@"
}

# pg_ctl trusts the pid file, and a machine restored from a snapshot may hold
# one whose number now belongs to another process: ask the server itself too.
running() {
    as_postgres "$BIN/pg_ctl" -D "$DATA" status >/dev/null 2>&1 \
        && "$BIN/pg_isready" -q -h "$SOCKET_DIR" -p "$PORT" -t 5
}

# Lock files of a server that is gone, left by a machine that stopped without
# shutting it down. Kept while their process is a live postgres.
remove_stale_locks() {
    for lock in "$DATA/postmaster.pid" "$SOCKET_DIR/.s.PGSQL.$PORT.lock"; do
        [ -f "$lock" ] || continue
        pid=$(head -n 1 "$lock")
        if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = postgres ]; then
            continue
        fi
        echo "start-postgres.sh: removing the stale $lock" >&2
        rm -f "$lock"
    done
}

if [ $STOP -eq 1 ]; then
    if running; then
        as_postgres "$BIN/pg_ctl" -D "$DATA" -m fast -w stop >&2
    fi
    exit 0
fi

# Containers often lack the tmpfiles-made socket folder.
mkdir -p "$SOCKET_DIR"
chown postgres:postgres "$SOCKET_DIR"
chmod 2775 "$SOCKET_DIR"

if [ ! -s "$DATA/PG_VERSION" ]; then
    mkdir -p "$DATA"
    chown postgres:postgres "$DATA"
    chmod 0700 "$DATA"
    as_postgres "$BIN/initdb" -D "$DATA" -U postgres -E UTF8 --locale=C.UTF-8 \
        --auth-local=peer --auth-host=reject >&2
fi

# Rewritten every time, so a changed port or rule takes effect on restart.
cat > "$DATA/envelope-test.conf" <<EOF
port = $PORT
listen_addresses = '127.0.0.1'
unix_socket_directories = '$SOCKET_DIR'
EOF
grep -q "^include_if_exists = 'envelope-test.conf'" "$DATA/postgresql.conf" \
    || echo "include_if_exists = 'envelope-test.conf'" >> "$DATA/postgresql.conf"
cat > "$DATA/pg_hba.conf" <<EOF
# Test cluster: the test role needs no password, only from this machine.
local   all   postgres                 peer
local   all   $ROLE                    trust
host    all   $ROLE    127.0.0.1/32    trust
EOF
chown postgres:postgres "$DATA/envelope-test.conf" "$DATA/pg_hba.conf"

if running; then
    as_postgres "$BIN/pg_ctl" -D "$DATA" reload >/dev/null
else
    remove_stale_locks
    as_postgres "$BIN/pg_ctl" -D "$DATA" -l "$LOG" -w -t 60 start >&2 || {
        echo "start-postgres.sh: the server did not start; its log:" >&2
        tail -n 20 "$LOG" >&2 || true
        exit 1
    }
fi

psql_admin() {
    as_postgres psql -X -q -v ON_ERROR_STOP=1 -h "$SOCKET_DIR" -p "$PORT" -d postgres "$@"
}
if [ "$(psql_admin -tAc "SELECT 1 FROM pg_roles WHERE rolname = '$ROLE'")" != 1 ]; then
    psql_admin -c "CREATE ROLE $ROLE LOGIN"
fi
if [ "$(psql_admin -tAc "SELECT 1 FROM pg_database WHERE datname = '$DB'")" != 1 ]; then
    psql_admin -c "CREATE DATABASE $DB OWNER $ROLE"
fi

URL="postgresql://$ROLE@127.0.0.1:$PORT/$DB"
# Prove the tests' own way in works before handing out the URL.
psql -X -q -d "$URL" -tAc 'SELECT 1' >/dev/null
echo "$URL"
