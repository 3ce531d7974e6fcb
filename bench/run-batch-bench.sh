#!/usr/bin/env bash
# Whole-process figures of `envelope batch ... --pdf`: wall time, peak RSS and PDF
# bytes per envelope for 1k, 10k and 100k records from CSV and from SQLite, plus
# the median wall time of one `envelope --pdf`. With BENCH_QUEUE=1 (root, cupsd
# running) the largest batch is also sent to a CUPS queue, to compare the peak
# memory of printing with that of saving. Prints a Markdown table.
#
#   [BENCH_QUEUE=1] bash bench/run-batch-bench.sh [path/to/envelope] [record counts...]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
envelope=${1:-$here/build/dev/cli/envelope}
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000 100000)

[ -x "$envelope" ] || { echo "no envelope binary at $envelope (build first, or pass its path)" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed (apt-get install sqlite3)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

make_csv() { # records file
    awk -v n="$1" 'BEGIN {
        print "name,street1,street2,city,state,zip"
        for (i = 0; i < n; i++)
            printf "Person %d,%d Main St.,,Springfield,IL,%d\n", i, 100 + i % 900, 62701 + i % 50
    }' > "$2"
}

make_sqlite() { # csv file
    sqlite3 "$2" <<SQL
CREATE TABLE addressees (name TEXT, street1 TEXT, street2 TEXT, city TEXT, state TEXT, zip INTEGER);
.mode csv
.import --skip 1 $1 addressees
SQL
}

# Runs the command under /usr/bin/time -v; prints "seconds peak_kb".
measure() {
    /usr/bin/time -v -o "$work/time.txt" "$@" > /dev/null 2> "$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
        /Maximum resident set size/ { kb = $2 }
        END { printf "%.2f %d\n", s, kb }' "$work/time.txt"
}

echo "| input | records | wall (s) | envelopes/s | peak RSS (MB) | PDF bytes/envelope |"
echo "|---|---:|---:|---:|---:|---:|"
for n in "${counts[@]}"; do
    make_csv "$n" "$work/in.csv"
    rm -f "$work/in.db"
    make_sqlite "$work/in.csv" "$work/in.db"
    for input in csv sqlite; do
        if [ $input = csv ]; then
            args=(--csv "$work/in.csv")
        else
            args=(--database "sqlite:$work/in.db" --query "SELECT * FROM addressees")
        fi
        read -r secs kb < <(measure "$envelope" batch "${args[@]}" --pdf "$work/out.pdf")
        bytes=$(stat -c %s "$work/out.pdf")
        awk -v i=$input -v n="$n" -v s="$secs" -v kb="$kb" -v b="$bytes" 'BEGIN {
            printf "| %s | %d | %.2f | %.0f | %.1f | %.0f |\n", i, n, s, (s > 0 ? n / s : 0), kb / 1024, b / n }'
    done
done

# The largest batch once more, sent to a queue that is stopped but accepting: the
# job waits in the spool, so what is measured is our side of it (making and
# sending the document), not the printer's filters.
if [ "${BENCH_QUEUE:-0}" = 1 ]; then
    queue=envelope-bench
    lpadmin -p $queue -D "Envelope benchmark queue (holds its jobs)" -v file:///dev/null \
        -P "$here/tests/cups/envelope-test.ppd" 2>/dev/null
    cupsdisable -r "holds the benchmark's jobs" $queue
    cupsaccept $queue
    trap 'cancel -a $queue 2>/dev/null; lpadmin -x $queue 2>/dev/null; rm -rf "$work"' EXIT
    n=${counts[-1]}
    make_csv "$n" "$work/in.csv"
    read -r secs kb < <(measure "$envelope" batch --csv "$work/in.csv" --printer $queue)
    awk -v n="$n" -v s="$secs" -v kb="$kb" 'BEGIN {
        printf "| csv to queue | %d | %.2f | %.0f | %.1f | |\n", n, s, (s > 0 ? n / s : 0), kb / 1024 }'
fi

# One envelope, the whole process: the median of 11 runs.
for i in $(seq 11); do
    start=$(date +%s%N)
    "$envelope" --pdf "$work/one.pdf" > /dev/null 2>&1
    echo $(( ($(date +%s%N) - start) / 1000000 ))
done | sort -n | awk '{ t[NR] = $1 } END { printf "\nOne envelope, `envelope --pdf`, whole process: median %d ms of 11 runs\n", t[6] }'
