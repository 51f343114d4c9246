#!/usr/bin/env bash
# Builds the program and its unit and widget tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs those tests under them. Any report fails the run.
# Usage: scripts/sanitize.sh [build folder]   (default: build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
jobs=$(nproc)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON -DQUILLMARK_UNIT_TESTS=ON \
    -DQUILLMARK_WERROR="${QUILLMARK_WERROR:-OFF}" >/dev/null

# Only the tests that run here are built: their targets carry the tests' names.
mapfile -t targets < <(ctest --test-dir "$build" -N -L 'unit|widget' | sed -n 's/^ *Test *#[0-9]*: *//p')
if [ ${#targets[@]} -eq 0 ]; then
    echo "no unit or widget tests found" >&2
    exit 1
fi
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" -L 'unit|widget' --output-on-failure -j"$jobs" --timeout 600
