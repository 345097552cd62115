#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (build/fuzz) and runs each for the given seconds
# (default 30), one after another on one core; further arguments pick targets (default all).
# Exits non-zero when any finds a crash, leak or timeout, and says where the input that did it
# was left.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build=build/fuzz
targets=(png heightmap scenario design shardmerge lua battle)
if [ $# -gt 1 ]; then
  targets=("${@:2}")
fi

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DBATTLESIM_FUZZ=ON -DBATTLESIM_TESTS=OFF -DBATTLESIM_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz-}"

export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Seeds are read from the committed corpus, the kept regressions and the runtime images (the
# shipped scenarios for the scenario reader); new inputs only go to the scratch corpus.
seed_folders() {
  local folder shipped=Textures
  [ "$1" = scenario ] && shipped=scenarios
  [ "$1" = design ] && shipped=designs
  [ "$1" = lua ] && shipped=strategies
  [ "$1" = shardmerge ] && shipped=
  [ "$1" = battle ] && shipped=
  for folder in "tests/fuzz/corpus/$1" "tests/fuzz/regressions/$1" "$shipped"; do
    [ -n "$folder" ] && [ -d "$folder" ] && echo "$folder"
  done
}

dictionary() {
  case "$1" in
    scenario | design) echo tests/fuzz/toml.dict ;;
    shardmerge) echo tests/fuzz/json.dict ;;
    lua) echo tests/fuzz/lua.dict ;;
    battle) echo tests/fuzz/battle.dict ;;
    *) echo tests/fuzz/png.dict ;;
  esac
}

failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus-$target"
  findings="$build/findings-$target"
  log="$build/fuzz-$target.log"
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings"
  echo "== Fuzzing $target for $seconds s (log: $log)"
  mapfile -t seeds < <(seed_folders "$target")
  if "$build/fuzz-$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -dict="$(dictionary "$target")" -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    grep -E "^(#[0-9]+.*DONE|Done [0-9]+ runs|stat::number_of_executed_units|stat::average_exec_per_sec)" "$log" || true
  else
    tail -n 40 "$log"
    echo "!! $target failed; the input that did it is in $findings/:"
    ls -1 "$findings"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]}"
  exit 1
fi
echo "Fuzzing found nothing."
