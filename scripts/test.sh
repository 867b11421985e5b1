#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite: once as a
# normal build with warnings as errors (run twice: as the environment has it,
# and as a German user with decimal commas), once with AddressSanitizer and
# UndefinedBehaviorSanitizer; in between fuzz runs of the project loader (one
# minute) and of the decoder (40 seconds), both on a corpus of real saved
# projects; at the end a ThreadSanitizer run over the tests of the profile run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARV_WERROR=ON
(cd "$root/build" && ctest --output-on-failure -j"$jobs")
# ARV_TEST_LOCALE makes every test program check that the C library and the
# toolkit really took the locale, so this run can never quietly become a C one.
(cd "$root/build" && LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 ARV_TEST_LOCALE=de_DE.UTF-8 \
  ctest --output-on-failure -j"$jobs")

# The fuzz run works on a copy of the seed corpus, so the checkout stays clean.
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DARV_FUZZ=ON -DARV_TESTS=OFF -DARV_BENCH=OFF >/dev/null
cmake --build "$root/build-fuzz" -j"$jobs" --target ProjectLoadFuzz HuffDecodeFuzz
fuzz() { # target seconds; a finding fails the run
  local corpus rc=0
  corpus=$(mktemp -d)
  cp "$root"/tests/fuzz/corpus/* "$corpus"/
  (cd "$corpus" && "$root/build-fuzz/bin/$1" -max_total_time="$2" -timeout=10 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12) || rc=$?
  rm -rf "$corpus"
  return "$rc"
}
fuzz ProjectLoadFuzz 60
fuzz HuffDecodeFuzz 40

"$root/scripts/build.sh" "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DARV_WERROR=ON -DARV_SANITIZE=ON -DARV_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-asan" && ctest --output-on-failure -j"$jobs")

# ThreadSanitizer once over the work on several threads (the profile run and
# its worker pool): a build of just the executable of those tests.
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARV_WERROR=ON -DARV_TSAN=ON \
  -DARV_BENCH=OFF >/dev/null
cmake --build "$root/build-tsan" -j"$jobs" --target threads_tests
TSAN_OPTIONS=halt_on_error=1:abort_on_error=1 "$root/build-tsan/bin/threads_tests"
