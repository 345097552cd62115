#!/usr/bin/env bash
# Soak test of the simulation: many battles back to back, first under AddressSanitizer (with leak
# detection) and UndefinedBehaviorSanitizer, which must stay silent, then in the normal build,
# whose resident memory after the last battle must stay within 5% of that after an early one.
#   tools/soak.sh [BATTLES [EARLY]]   (defaults 50 and 5; ./test.sh runs a short form)
# Expects the builds of ./test.sh (build/ and build/asan/); builds the runner in them if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
battles=${1:-50}
early=${2:-5}
if ! [[ "$battles" =~ ^[0-9]+$ && "$early" =~ ^[0-9]+$ ]] || [ "$early" -lt 1 ] || [ "$battles" -le "$early" ]; then
  echo "usage: tools/soak.sh [BATTLES [EARLY]] with 1 <= EARLY < BATTLES" >&2
  exit 2
fi
for folder in build build/asan; do
  if [ ! -f "$folder/CMakeCache.txt" ]; then
    echo "error: $folder is not configured; run ./test.sh first" >&2
    exit 2
  fi
  cmake --build "$folder" -j "$(nproc)" --target battlesim-headless >/dev/null
done
seed=1
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT

echo "Sanitizer build: $battles battles, seed $seed"
# halt_on_error makes any report fail the run; the report itself is shown below.
if ! ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  build/asan/battlesim-headless --seed "$seed" --battles "$battles" >"$log/asan.out" 2>"$log/asan.err"; then
  echo "FAIL: the sanitizer run did not finish cleanly" >&2
  cat "$log/asan.err" >&2
  exit 1
fi
if grep -q -E 'runtime error|Sanitizer' "$log/asan.err"; then
  echo "FAIL: the sanitizer run reported:" >&2
  cat "$log/asan.err" >&2
  exit 1
fi
tail -n 1 "$log/asan.out"

echo "Normal build: $battles battles, seed $seed, resident memory after each"
build/battlesim-headless --seed "$seed" --battles "$battles" --json --memory >"$log/plain.out"
resident_after() { sed -n "${1}p" "$log/plain.out" | grep -o '"resident_kb":[0-9]*' | cut -d: -f2; }
early_kb=$(resident_after "$early" || true)
last_kb=$(resident_after "$battles" || true)
if [ -z "$early_kb" ] || [ -z "$last_kb" ]; then
  echo "FAIL: no memory figure in the runner's output" >&2
  cat "$log/plain.out" >&2
  exit 1
fi
echo "Resident memory after battle $early: $early_kb KiB"
echo "Resident memory after battle $battles: $last_kb KiB"
growth=$(awk -v a="$early_kb" -v b="$last_kb" 'BEGIN { printf "%.2f", (b - a) * 100 / a }')
echo "Growth: $growth %"
if awk -v g="$growth" 'BEGIN { exit !(g > 5) }'; then
  echo "FAIL: resident memory grew by more than 5%" >&2
  exit 1
fi
echo "Soak passed."
