#!/usr/bin/env bash
# A long run sent to a printer as one job and as jobs of a tray's size: the time until
# the printer has its first job, the whole run's wall time and its peak RSS. The queue
# is stopped but accepting, so its jobs wait in the spool and what is measured is our
# side (making and sending the documents), not the printer's filters. Root, cupsd running.
#
#   bash bench/run-jobs-bench.sh [path/to/envelope] [records] [job sizes...]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
envelope=${1:-$here/build/dev/cli/envelope}
records=${2:-10000}
shift 2 || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(0 500)

[ -x "$envelope" ] || { echo "no envelope binary at $envelope (build first, or pass its path)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d)
queue=envelope-jobs-bench
lpadmin -p $queue -D "Envelope benchmark queue (holds its jobs)" -v file:///dev/null \
    -P "$here/tests/cups/envelope-test.ppd" 2>/dev/null
cupsdisable -r "holds the benchmark's jobs" $queue
cupsaccept $queue
trap 'cancel -a $queue 2>/dev/null; lpadmin -x $queue 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_STATE_HOME=$work/state

awk -v n="$records" 'BEGIN {
    print "name,street1,street2,city,state,zip"
    for (i = 0; i < n; i++)
        printf "Person %d,%d Main St.,,Springfield,IL,%d\n", i, 100 + i % 900, 62701 + i % 50
}' > "$work/in.csv"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

echo "| records | jobs of | jobs | first job submitted (s) | total (s) | peak RSS (MB) |"
echo "|---:|---:|---:|---:|---:|---:|"
for size in "${sizes[@]}"; do
    cancel -a $queue 2>/dev/null || true
    args=(batch --csv "$work/in.csv" --printer $queue)
    [ "$size" -gt 0 ] && args+=(--job-size "$size")
    start=$(now_ms)
    /usr/bin/time -v -o "$work/time.txt" "$envelope" "${args[@]}" > /dev/null 2> "$work/err.txt" &
    pid=$!
    first=""
    while kill -0 $pid 2>/dev/null; do
        if [ -z "$first" ] && [ -n "$(lpstat -o $queue 2>/dev/null | head -1)" ]; then
            first=$(( $(now_ms) - start ))
        fi
        sleep 0.02
    done
    wait $pid || { cat "$work/err.txt" >&2; exit 1; }
    total=$(( $(now_ms) - start ))
    [ -n "$first" ] || first=$total
    jobs=$(lpstat -o $queue | wc -l)
    kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    awk -v n="$records" -v s="$size" -v j="$jobs" -v f="$first" -v t="$total" -v kb="$kb" 'BEGIN {
        printf "| %d | %s | %d | %.2f | %.2f | %.1f |\n", n, (s > 0 ? s : "all"), j, f / 1000, t / 1000, kb / 1024 }'
done
