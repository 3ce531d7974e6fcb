#!/bin/sh
# Starts the CUPS scheduler and creates the print queues the tests print to:
#   envelope-test     a PostScript envelope printer writing each job to a file
#   envelope-stopped  the same printer, disabled and rejecting jobs
#   envelope-failing  the same printer behind a backend that fails during
#                     every job (tests/cups/envelope-fail); its jobs are aborted
# Safe to run again: queues are re-created and re-enabled, a running cupsd is
# reused (restarted only when file: devices had to be allowed).
# Needs root and the packages cups cups-client cups-bsd printer-driver-cups-pdf.
#
# Usage: scripts/start-cups.sh [--set-default]
#   --set-default  also make envelope-test the system's default destination
#                  (off by default: tests of "no destination" need none).
set -eu

SET_DEFAULT=0
for arg in "$@"; do
    case "$arg" in
        --set-default) SET_DEFAULT=1 ;;
        -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
        *) echo "start-cups.sh: unknown option '$arg'" >&2; exit 2 ;;
    esac
done

if [ "$(id -u)" -ne 0 ]; then
    echo "start-cups.sh: must run as root" >&2
    exit 1
fi
for tool in cupsd lpadmin lpstat cupsenable cupsaccept cupsdisable cupsreject; do
    if ! command -v "$tool" >/dev/null 2>&1 && [ ! -x "/usr/sbin/$tool" ]; then
        echo "start-cups.sh: '$tool' is missing (apt-get install cups cups-client cups-bsd)" >&2
        exit 1
    fi
done
PATH="$PATH:/usr/sbin:/sbin"

HERE=$(cd "$(dirname "$0")" && pwd)
PPD="$HERE/../tests/cups/envelope-test.ppd"
FAIL_BACKEND="$HERE/../tests/cups/envelope-fail"
FILES_CONF=/etc/cups/cups-files.conf
SOCKET=/run/cups/cups.sock
OUT_DIR=/var/spool/envelope-test

[ -r "$PPD" ] || { echo "start-cups.sh: $PPD not found" >&2; exit 1; }

# lpstat -r exits 0 either way; only its words tell. A socket left behind by
# a scheduler that is gone must not pass for a running one.
scheduler_up() {
    [ -S "$SOCKET" ] && lpstat -h "$SOCKET" -r 2>/dev/null | grep -qx 'scheduler is running'
}

systemd_runs_cups() {
    [ -d /run/systemd/system ] && command -v systemctl >/dev/null 2>&1 \
        && systemctl list-unit-files cups.service >/dev/null 2>&1
}

wait_for_scheduler() {
    i=0
    while [ $i -lt 100 ]; do
        if [ -S "$SOCKET" ] && scheduler_up; then
            return 0
        fi
        sleep 0.1
        i=$((i + 1))
    done
    echo "start-cups.sh: cupsd did not answer on $SOCKET within 10 s" >&2
    tail -n 20 /var/log/cups/error_log >&2 2>/dev/null || true
    exit 1
}

start_scheduler() {
    if systemd_runs_cups; then
        systemctl start cups.service
    else
        mkdir -p /run/cups
        cupsd            # forks into the background by itself
    fi
    wait_for_scheduler
}

stop_scheduler() {
    if systemd_runs_cups; then
        systemctl stop cups.service
        return
    fi
    pids=$(cat /run/cups/cupsd.pid 2>/dev/null || pidof cupsd || true)
    [ -n "$pids" ] || return 0
    # shellcheck disable=SC2086
    kill $pids
    i=0
    while [ $i -lt 100 ] && pidof cupsd >/dev/null 2>&1; do
        sleep 0.1
        i=$((i + 1))
    done
    if pidof cupsd >/dev/null 2>&1; then
        echo "start-cups.sh: cupsd did not stop" >&2
        exit 1
    fi
}

# file: device URIs are refused unless cups-files.conf allows them; cupsd
# reads that file only when it starts.
config_changed=0
if ! grep -Eq '^[[:space:]]*FileDevice[[:space:]]+Yes' "$FILES_CONF"; then
    sed -i '/^[[:space:]]*FileDevice[[:space:]]/d' "$FILES_CONF"
    echo 'FileDevice Yes' >> "$FILES_CONF"
    config_changed=1
fi

if scheduler_up; then
    if [ $config_changed -eq 1 ]; then
        stop_scheduler
        start_scheduler
    fi
else
    start_scheduler
fi

# cupsd opens the file: device itself; the tests read the job output there.
mkdir -p "$OUT_DIR"
chmod 0755 "$OUT_DIR"

lpadmin -p envelope-test -D "Envelope test printer (writes to $OUT_DIR)" \
    -v "file://$OUT_DIR/envelope-test.ps" -P "$PPD" \
    -o printer-error-policy=abort-job
cupsenable envelope-test
cupsaccept envelope-test

lpadmin -p envelope-stopped -D "Envelope test printer, stopped and rejecting jobs" \
    -v file:///dev/null -P "$PPD"
cupsdisable -r "stopped for the envelope tests" envelope-stopped
cupsreject -r "rejecting jobs for the envelope tests" envelope-stopped

# cupsd runs only backends in its own folder, owned by root and not writable by
# others: a copy of ours, not a link to the source tree.
BACKEND_DIR=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)/backend
install -m 0755 -o root -g root "$FAIL_BACKEND" "$BACKEND_DIR/envelope-fail"
lpadmin -p envelope-failing -D "Envelope test printer whose backend fails during every job" \
    -v envelope-fail:/ -P "$PPD" -o printer-error-policy=abort-job
cupsenable envelope-failing
cupsaccept envelope-failing

if [ $SET_DEFAULT -eq 1 ]; then
    lpadmin -d envelope-test
fi

lpstat -h "$SOCKET" -p envelope-test -p envelope-stopped -p envelope-failing \
    -a envelope-test -a envelope-stopped -a envelope-failing
