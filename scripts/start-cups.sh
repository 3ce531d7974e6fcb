#!/bin/sh
# Starts the CUPS scheduler and creates the print queues the tests print to:
#   envelope-test     a PostScript envelope printer writing each job to a file
#   envelope-stopped  the same printer, disabled and rejecting jobs
#   envelope-failing  the same printer behind a backend that fails during
#                     every job (tests/cups/envelope-fail); its jobs are aborted
#   envelope-jam      a raw queue behind a backend that jams (tests/cups/envelope-jam)
#                     on the jobs whose first envelope is 11 or 51, before any page
#   envelope-jam-late the same, jamming after 3 pages of such a job
# and queues on real makers' drivers, each writing its jobs to a file:
#   envelope-hp4250   HP LaserJet 4250, HP's PPD, envelope feeder installed
#   envelope-vendor2  Lexmark T652, OpenPrinting's PPD, envelope feeder installed
#   envelope-kyocera  Kyocera FS-1700, OpenPrinting's PPD, EF-1 envelope feeder installed
#   envelope-everywhere  an IPP Everywhere queue on a driverless printer
#                     (ippeveprinter on ipp://localhost:8631/ipp/print, with the
#                     attributes of tests/cups/envelope-everywhere.conf), which
#                     logs every request and keeps the documents it receives
# Safe to run again: queues are re-created and re-enabled, a running cupsd,
# D-Bus, avahi-daemon and ippeveprinter are reused (cupsd restarted only when
# file: devices had to be allowed, ippeveprinter when its attributes changed).
# Needs root and the packages cups cups-client cups-bsd printer-driver-cups-pdf;
# the real-driver queues printer-driver-postscript-hp openprinting-ppds, the
# IPP Everywhere one cups-ipp-utils dbus avahi-daemon (without them those
# queues are left out, with a warning).
#
# Usage: scripts/start-cups.sh [--set-default]
#   --set-default  also make envelope-test the system's default destination
#                  (off by default: tests of "no destination" need none).
set -eu

SET_DEFAULT=0
for arg in "$@"; do
    case "$arg" in
        --set-default) SET_DEFAULT=1 ;;
        -h|--help) sed -n '2,25p' "$0"; exit 0 ;;
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
JAM_BACKEND="$HERE/../tests/cups/envelope-jam"
FILES_CONF=/etc/cups/cups-files.conf
SOCKET=/run/cups/cups.sock
OUT_DIR=/var/spool/envelope-test
HP4250_MODEL=postscript-hp:0/ppd/hplip/HP/hp-laserjet_4250-ps.ppd
VENDOR2_MODEL=openprinting-ppds:0/ppd/openprinting/Lexmark/Lexmark_T652.ppd
KYOCERA_MODEL=openprinting-ppds:0/ppd/openprinting/Kyocera/en/Kyocera_FS-1700_en.ppd
DRIVER_DIR=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)/driver
IPP_PORT=8631
IPP_URI=ipp://localhost:$IPP_PORT/ipp/print
IPP_ATTRS=$HERE/../tests/cups/envelope-everywhere.conf
IPP_ANSWERS=$HERE/../tests/cups/printer-answers.test
AVAHI_CONF=$HERE/../tests/cups/avahi-daemon.conf
IPP_CONF=$OUT_DIR/ippeveprinter.conf   # the attributes the running printer has
IPP_SPOOL=$OUT_DIR/ippeveprinter       # the documents it received
IPP_HOME=$OUT_DIR/ippeveprinter.home   # its own files (TLS keys)
IPP_LOG=$OUT_DIR/ippeveprinter.log

[ -r "$PPD" ] || { echo "start-cups.sh: $PPD not found" >&2; exit 1; }

# lpstat -r exits 0 either way; only its words tell. A socket left behind by
# a scheduler that is gone must not pass for a running one.
scheduler_up() {
    [ -S "$SOCKET" ] && lpstat -h "$SOCKET" -r 2>/dev/null | grep -qx 'scheduler is running'
}

systemd_runs() {
    [ -d /run/systemd/system ] && command -v systemctl >/dev/null 2>&1 \
        && systemctl list-unit-files "$1" >/dev/null 2>&1
}

warn() {
    echo "start-cups.sh: warning: $*" >&2
}

# Waits up to 10 s for a command to succeed.
wait_until() {
    i=0
    while [ $i -lt 100 ]; do
        "$@" && return 0
        sleep 0.1
        i=$((i + 1))
    done
    return 1
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
    if systemd_runs cups.service; then
        systemctl start cups.service
    else
        mkdir -p /run/cups
        cupsd            # forks into the background by itself
    fi
    wait_for_scheduler
}

stop_scheduler() {
    if systemd_runs cups.service; then
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
# cupsd creates a missing output file readable by root alone but keeps the mode
# of one that is there: readable, the tests need not run as root.
for queue in envelope-test envelope-hp4250 envelope-vendor2 envelope-kyocera; do
    [ -e "$OUT_DIR/$queue.ps" ] || : >"$OUT_DIR/$queue.ps"
    chmod 0644 "$OUT_DIR/$queue.ps"
done

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

# Raw: no filter counts the pages, so job-impressions-completed is what the backend says came out.
install -m 0755 -o root -g root "$JAM_BACKEND" "$BACKEND_DIR/envelope-jam"
for jam in "envelope-jam 0" "envelope-jam-late 3"; do
    set -- $jam
    : >"$OUT_DIR/$1.pdf"
    chmod 0666 "$OUT_DIR/$1.pdf" # the backend runs as lp
    lpadmin -p "$1" -D "Envelope test printer jamming after $2 pages of the jobs starting at envelope 11 or 51" \
        -v "envelope-jam:/11,51?after=$2" -m raw -o printer-error-policy=abort-job 2>/dev/null
    cupsenable "$1"
    cupsaccept "$1"
done

# ---- Real makers' drivers ---------------------------------------------------
# Their PPDs come from the packages' driver programs; lpadmin -o sets a PPD
# default, here the installable envelope feeder. A choice the PPD does not have
# is ignored without a word, so the result is checked.
ppd_default_is() { # queue keyword choice
    grep -qx "\*Default$2: $3" "/etc/cups/ppd/$1.ppd"
}

# queue model description option=value
add_driver_queue() {
    if [ ! -x "$DRIVER_DIR/${2%%:*}" ]; then
        warn "no driver ${2%%:*} for $1 (apt-get install printer-driver-postscript-hp openprinting-ppds); left out"
        return 0
    fi
    lpadmin -p "$1" -D "$3 (writes to $OUT_DIR)" -v "file://$OUT_DIR/$1.ps" -m "$2" \
        -o "$4" -o printer-error-policy=abort-job
    if ! ppd_default_is "$1" "${4%%=*}" "${4#*=}"; then
        echo "start-cups.sh: $1: the PPD of $2 did not take $4" >&2
        exit 1
    fi
    cupsenable "$1"
    cupsaccept "$1"
}

add_driver_queue envelope-hp4250 "$HP4250_MODEL" "HP LaserJet 4250" HPOption_Envelope_Feeder=True
add_driver_queue envelope-vendor2 "$VENDOR2_MODEL" "Lexmark T652" EnvFeeder=InstalledM
add_driver_queue envelope-kyocera "$KYOCERA_MODEL" "Kyocera FS-1700" Option01=EF1

# ---- An IPP Everywhere printer ----------------------------------------------
# ippeveprinter registers with avahi over the system D-Bus, and exits when
# avahi goes away; without systemd both are started here. Our avahi-daemon
# uses only the loopback interface: nothing is announced on the network.
dbus_up() {
    pid=$(cat /run/dbus/pid 2>/dev/null) && [ -S /run/dbus/system_bus_socket ] \
        && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = dbus-daemon ]
}

start_dbus() {
    if systemd_runs dbus.service; then
        systemctl start dbus.service
    elif ! dbus_up; then
        mkdir -p /run/dbus
        rm -f /run/dbus/pid # a bus that is gone left it; dbus-daemon would refuse to start
        dbus-daemon --system --fork
        wait_until dbus_up || { echo "start-cups.sh: the system D-Bus did not start" >&2; exit 1; }
    fi
}

avahi_up() {
    avahi-daemon -c 2>/dev/null
}

start_avahi() {
    if systemd_runs avahi-daemon.service; then
        systemctl start avahi-daemon.service
    elif ! avahi_up; then
        rm -f /run/avahi-daemon/pid
        avahi-daemon -D -f "$AVAHI_CONF"
        wait_until avahi_up || { echo "start-cups.sh: avahi-daemon did not start" >&2; exit 1; }
    fi
}

# Our printers, by the attributes file their command line names.
ippeveprinter_pids() {
    for proc in /proc/[0-9]*; do
        case "$( { tr '\0' ' ' <"$proc/cmdline"; } 2>/dev/null)" in
            ippeveprinter*" -a $IPP_CONF "*) echo "${proc#/proc/}" ;;
        esac
    done
}

printer_answers() {
    ipptool -q -T 2 "$IPP_URI" "$IPP_ANSWERS" 2>/dev/null
}

none_alive() {
    for pid in $pids; do
        kill -0 "$pid" 2>/dev/null && return 1
    done
    return 0
}

stop_ippeveprinter() {
    pids=$(ippeveprinter_pids)
    [ -n "$pids" ] || return 0
    # shellcheck disable=SC2086
    kill $pids 2>/dev/null || true
    if ! wait_until none_alive; then
        # shellcheck disable=SC2086
        kill -9 $pids 2>/dev/null || true
        wait_until none_alive || true
    fi
}

start_ippeveprinter() {
    mkdir -p "$IPP_SPOOL" "$IPP_HOME"
    rm -rf "${IPP_SPOOL:?}"/* # the documents of an earlier printer
    chown lp:lp "$IPP_SPOOL" "$IPP_HOME"
    chmod 0755 "$IPP_SPOOL"
    install -m 0644 "$IPP_ATTRS" "$IPP_CONF"
    : >"$IPP_LOG"
    chmod 0644 "$IPP_LOG"
    # As lp, in a session of its own so that it outlives this script's caller.
    # -c /bin/true: the job is done when received (without a command it
    # pretends to print for 5 to 15 s). -r off: not advertised over DNS-SD, or
    # every CUPS client would list it as one more destination.
    (cd / && HOME=$IPP_HOME setsid setpriv --reuid=lp --regid=lp --init-groups \
        ippeveprinter -n localhost -p "$IPP_PORT" -r off -a "$IPP_CONF" -d "$IPP_SPOOL" -k \
        -c /bin/true -vvv "Envelope Everywhere" </dev/null >>"$IPP_LOG" 2>&1 &)
    # Another server on the port would answer too: ours must be running.
    if ! wait_until printer_answers || [ -z "$(ippeveprinter_pids)" ]; then
        echo "start-cups.sh: ippeveprinter did not answer on $IPP_URI within 10 s" >&2
        tail -n 20 "$IPP_LOG" >&2
        exit 1
    fi
}

if ! command -v ippeveprinter >/dev/null 2>&1 || ! command -v avahi-daemon >/dev/null 2>&1 \
    || ! command -v dbus-daemon >/dev/null 2>&1; then
    warn "no ippeveprinter, avahi-daemon or dbus-daemon (apt-get install cups-ipp-utils avahi-daemon dbus); envelope-everywhere left out"
else
    start_dbus
    start_avahi
    # The running printer is kept when it is alone, answers and has the
    # attributes of the file; otherwise it is replaced.
    pids=$(ippeveprinter_pids)
    # shellcheck disable=SC2086
    if [ "$(echo $pids | wc -w)" -ne 1 ] || ! cmp -s "$IPP_ATTRS" "$IPP_CONF" || ! printer_answers; then
        stop_ippeveprinter
        start_ippeveprinter
    fi
    # The queue's PPD is made from what the printer answers now.
    lpadmin -p envelope-everywhere -D "IPP Everywhere printer at $IPP_URI" \
        -v "$IPP_URI" -m everywhere -o printer-error-policy=abort-job
    cupsenable envelope-everywhere
    cupsaccept envelope-everywhere
fi

if [ $SET_DEFAULT -eq 1 ]; then
    lpadmin -d envelope-test
fi

lpstat -h "$SOCKET" -p envelope-test -p envelope-stopped -p envelope-failing \
    -a envelope-test -a envelope-stopped -a envelope-failing
for queue in envelope-hp4250 envelope-vendor2 envelope-kyocera envelope-everywhere; do
    lpstat -h "$SOCKET" -p "$queue" -a "$queue" 2>/dev/null || true
done
