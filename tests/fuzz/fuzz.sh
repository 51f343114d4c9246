#!/bin/sh
# Builds the fuzz targets with clang, or runs one of them for a bounded time.
#   fuzz.sh build <targets source dir> <build dir> <clang++> <project source dir>
#   fuzz.sh run <build dir> <target> <seconds> <max input length> <seeds dir>
set -eu
case "$1" in
build)
    src=$2 build=$3 cxx=$4 project=$5
    mkdir -p "$build"
    cmake -S "$src" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUILLMARK_SOURCE_DIR="$project" >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
    cmake --build "$build" -j2
    ;;
run)
    build=$2 target=$3 seconds=$4 maxlen=$5 seeds=$6
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/$target.log"
    rm -rf "$artifacts"
    mkdir -p "$corpus" "$artifacts"
    dict=""
    [ -f "$seeds/$target.dict" ] && dict="-dict=$seeds/$target.dict"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # New inputs go to the first folder (in the build tree); the checked-in seeds are only read.
    status=0
    "$build/$target" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" $dict "$corpus" "$seeds/$target" >"$log" 2>&1 ||
        status=$?
    # The progress lines are left out; everything else (statistics, any report) is shown.
    grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|RELOAD)' "$log" | tail -n 80
    if [ -n "$(ls -A "$artifacts")" ]; then
        echo "FAIL: $target left inputs that break it in $artifacts"
        status=1
    fi
    exit $status
    ;;
*)
    echo "usage: fuzz.sh build|run ..." >&2
    exit 2
    ;;
esac
