#!/usr/bin/env bash
# Builds the program and its unit and widget tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs those tests under them. Any report fails the run.
# Usage: scripts/sanitize.sh [build folder]   (default: build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
jobs=$(nproc)

# Line tables are all a report needs of the debug information.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DQUILLMARK_SANITIZE=ON -DQUILLMARK_UNIT_TESTS=ON \
    -DQUILLMARK_WERROR="${QUILLMARK_WERROR:-OFF}" >/dev/null

# Only the suites that run here are built, all in one go.
cmake --build "$build" -j"$jobs" --target quillmark_suites

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" -L 'unit|widget' --output-on-failure -j"$jobs" --timeout 600
