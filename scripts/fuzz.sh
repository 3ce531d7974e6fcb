#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer target for a bounded time on a
# temporary copy of its seed corpus (fuzz/corpus/TARGET). Fails on any crash,
# sanitizer report, leak or timeout; the input that caused it is kept in
# build/fuzz/findings/ and the target's log is shown.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (default: 60 seconds, every target)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${1:-60}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1)); then
  echo "fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2
  exit 2
fi
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(fuzz_private_profile fuzz_registry_hive fuzz_wine_path fuzz_envelope_args fuzz_batch_args fuzz_csv_records
           fuzz_journal fuzz_printer_strings fuzz_input_tray fuzz_pub28_style)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

findings=$root/build/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/fuzz/lsan.supp}
# Targets that shape text through Qt need full allocation stacks for fuzz/lsan.supp to
# match (slower; only these pay for it).
full_stacks=(fuzz_csv_records)
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for target in "${targets[@]}"; do
  binary=$root/build/fuzz/fuzz/$target
  seeds=$root/fuzz/corpus/$target
  if [[ ! -x $binary || ! -d $seeds ]]; then
    echo "fuzz.sh: no target or seed corpus named '$target'" >&2
    exit 2
  fi
  # libFuzzer adds what it finds to the corpus folder: never to the repository's.
  mkdir -p "$work/$target"
  cp -R "$seeds/." "$work/$target/"
  echo "== $target: ${seconds} s"
  options=$ASAN_OPTIONS
  if [[ " ${full_stacks[*]} " == *" $target "* ]]; then options+=:fast_unwind_on_malloc=0; fi
  if ASAN_OPTIONS=$options "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/$target-" "$work/$target" >"$work/$target.log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$work/$target.log" | sed 's/^/   /'
  else
    tail -n 60 "$work/$target.log" >&2
    failed+=("$target")
  fi
done
if ((${#failed[@]})); then
  echo "fuzz.sh: findings in ${failed[*]} (inputs in $findings)" >&2
  exit 1
fi
echo "== No findings: ${targets[*]}"
