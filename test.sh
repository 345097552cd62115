#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: in the normal build and in an
# AddressSanitizer + UndefinedBehaviorSanitizer build. Window and GL tests run under Xvfb. The tests
# of a battle stepped on two threads run once more under ThreadSanitizer.
# Then the same battles in four builds of the headless program, a short soak of many battles and a short fuzzing run of the file readers.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-packages.sh
ensure_architecture arm64
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${MATRIX_PACKAGES[@]}"

jobs=$(nproc)
# The options are given every time: ./run.sh configures the same folder without tests.
# Only the normal build makes the Python module; its tests (pytest) run with that build's.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBATTLESIM_TESTS=ON -DBATTLESIM_BENCH=ON -DBATTLESIM_PYTHON=ON >/dev/null
cmake --build build -j "$jobs"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DBATTLESIM_SANITIZE=ON -DBATTLESIM_TESTS=ON >/dev/null
cmake --build build/asan -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The GL driver keeps its own caches for the life of the process; tests need no shader cache.
export MESA_SHADER_CACHE_DISABLE=true

# LeakSanitizer's own tracer, which stops a process at its exit to look for leaks, has once
# faulted under load ("Tracer caught signal 11", "LeakSanitizer has encountered a fatal error")
# after every check of the test had passed. That says nothing of the program, so when it is in the
# output the failed tests run once more, and only their second run counts.
run_suite() {
  echo "== Tests: $1"
  local log="$1/ctest-output.log"
  if tools/with-virtual-display.sh ctest --test-dir "$1" --output-on-failure --no-tests=error -j "$jobs" \
    2>&1 | tee "$log"; then
    return 0
  fi
  grep -q "LeakSanitizer has encountered a fatal error" "$log" || return 1
  echo "== LeakSanitizer's tracer failed; the failed tests once more"
  tools/with-virtual-display.sh ctest --test-dir "$1" --output-on-failure --no-tests=error --rerun-failed
}
run_suite build
run_suite build/asan
echo "== ThreadSanitizer: a battle stepped on two threads"
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBATTLESIM_THREAD_SANITIZE=ON -DBATTLESIM_TESTS=ON \
  -DBATTLESIM_WINDOW=OFF -DBATTLESIM_BENCH=OFF >/dev/null
cmake --build build/tsan -j "$jobs" --target objects_tests battle_tests
TSAN_OPTIONS="halt_on_error=1" build/tsan/tests/objects_tests --gtest_filter='WalkForesight*'
TSAN_OPTIONS="halt_on_error=1" build/tsan/tests/battle_tests --gtest_filter='TwoThread*'
echo "== Determinism: the same battles in four builds (gcc -O2 and -O0, clang with libc++, 64-bit ARM)"
tools/determinism-check --jobs "$jobs"
echo "== Soak: 6 battles (the full soak: tools/soak.sh)"
tools/soak.sh 6 2
echo "== Fuzzing: 30 s per target"
tools/fuzz.sh 30
echo "All tests passed."
