#!/usr/bin/env bash
# Zentik: set-up, build, run and test.
#   ./zentik.sh run     build everything and start the clock under Wine
#   ./zentik.sh test    build everything and run every test
#   ./zentik.sh build   build both trees without running anything
#   ./zentik.sh bench   run the native benchmarks (optimised, no sanitizers)
#   ./zentik.sh package the installer, the portable zip and the plug-in SDK, into build/dist
#   ./zentik.sh fuzz [SECONDS]  run each fuzz target that long (default 60)
# ZT_BUILD_DIR chooses the build folder (default ./build).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
BUILD=${ZT_BUILD_DIR:-$ROOT/build}
JOBS=${ZT_JOBS:-$(nproc)}
# shellcheck source=scripts/lib.sh
source "$ROOT/scripts/lib.sh"

BUILD_PACKAGES=(cmake ninja-build g++ mingw-w64 g++-mingw-w64-x86-64-posix googletest
                libbenchmark-dev clang-format espeak-ng sox fp-utils nsis clang libclang-rt-14-dev)
RUN_PACKAGES=(wine wine64 xvfb x11-utils imagemagick)
TEST_PACKAGES=(wine wine64 xvfb x11-utils xdotool chrony)

# configure_and_build DIR [TARGET] [CMAKE OPTIONS...]
configure_and_build() {
    local dir=$1 target=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    fi
    cmake --build "$dir" -j "$JOBS" --target "$target"
}

# build_windows [TARGET]: everything by default, "ship" for the program folder only.
build_windows() {
    configure_and_build "$BUILD/win" "${1:-all}" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake"
}

build_native() {
    configure_and_build "$BUILD/native" all
}

# Counts GoogleTest results from the XML files of one ctest run; a test program
# that left no XML (crash, time-out) counts as one failure.
count_results() {
    local dir=$1 log=$2
    local passed=0 failed=0 skipped=0 f t fl er sk
    for f in "$dir"/results/*.xml; do
        [ -e "$f" ] || continue
        t=$(grep -o -m1 '<testsuites tests="[0-9]*"' "$f" | grep -o '[0-9]*' || echo 0)
        fl=$(grep -o -m1 '<testsuites tests="[0-9]*" failures="[0-9]*"' "$f" | grep -o '[0-9]*"$' | tr -d '"' || echo 0)
        er=$(grep -o -m1 ' errors="[0-9]*"' "$f" | grep -o '[0-9]*' || echo 0)
        dis=$(grep -o -m1 ' disabled="[0-9]*"' "$f" | grep -o '[0-9]*' || echo 0)
        # Skipped cases, summed over the suites (the top element has no count of its own).
        sk=$(grep -o ' skipped="[0-9]*"' "$f" | grep -o '[0-9]*' | awk '{s += $1} END {print s + 0}')
        passed=$((passed + t - fl - er - dis - ${sk:-0}))
        failed=$((failed + fl + er))
        skipped=$((skipped + ${sk:-0}))
    done
    local name
    while read -r name; do
        [ -n "$name" ] || continue
        # A program that crashed or hung counts once, unless its own failures counted.
        if [ ! -e "$dir/results/$name.xml" ] ||
            grep -q -m1 '<testsuites tests="[0-9]*" failures="0"' "$dir/results/$name.xml"; then
            failed=$((failed + 1))
        fi
    done < <(sed -n 's/^[[:space:]]*[0-9]*[[:space:]]*-[[:space:]]*\([A-Za-z0-9_]*\) (.*/\1/p' "$log")
    echo "$passed $failed $skipped"
}

run_ctest() {
    local dir=$1 log=$2
    rm -rf "$dir/tests/bin/results"
    set +e
    (cd "$dir" && ctest --output-on-failure -j 1 2>&1) | tee "$log" >&2
    set -e
    count_results "$dir/tests/bin" "$log"
}

# The libFuzzer targets of fuzz/, each seeded from fuzz/corpus/<target>/.
FUZZ_TARGETS=(fuzz_lang_file fuzz_update_list fuzz_sntp_reply fuzz_task_record fuzz_datetime_format)

# The native clang tree of the fuzz targets (sanitizers and coverage on the portable core).
build_fuzz() {
    CC=clang CXX=clang++ configure_and_build "$BUILD/fuzz" fuzzers -DZT_FUZZ=ON \
        -DZT_BUILD_TESTS=OFF -DZT_BUILD_BENCHMARKS=OFF
}

# run_fuzzers SECONDS FRESH: runs each target for SECONDS over its corpus in $BUILD/fuzz/corpus
# (a fresh copy of the seeds when FRESH is 1, else the one earlier runs have grown). Logs a
# line per target and prints "passed failed"; a crash leaves its input in $BUILD/fuzz/artifacts.
run_fuzzers() {
    local seconds=$1 fresh=$2 passed=0 failed=0 target corpus log result runs speed
    mkdir -p "$BUILD/fuzz/artifacts"
    for target in "${FUZZ_TARGETS[@]}"; do
        corpus=$BUILD/fuzz/corpus/$target
        log=$BUILD/fuzz/$target.log
        [ "$fresh" = 1 ] && rm -rf "$corpus"
        mkdir -p "$corpus"
        cp -r "$ROOT/fuzz/corpus/$target/." "$corpus/"
        if "$BUILD/fuzz/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$BUILD/fuzz/artifacts/$target-" "$corpus" >"$log" 2>&1; then
            passed=$((passed + 1))
            result=passed
        else
            failed=$((failed + 1))
            result="FAILED, see $log"
            grep -m 3 -E 'check failed|ERROR|SUMMARY|Test unit written' "$log" >&2 || true
        fi
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        zt_log "$target: ${runs:-?} runs, ${speed:-?} per second: $result"
    done
    echo "$passed $failed"
}

# The fuzz step of the test command: ZT_FUZZ_SECONDS (10) per target over fresh seeds.
# A target that cannot be built counts as failed.
run_fuzz_smoke() {
    if ! build_fuzz >&2; then
        zt_log "fuzz build FAILED"
        echo "0 ${#FUZZ_TARGETS[@]}"
        return
    fi
    run_fuzzers "${ZT_FUZZ_SECONDS:-10}" 1
}

cmd_fuzz() {
    zt_ensure_packages "${BUILD_PACKAGES[@]}"
    build_fuzz
    local p f
    read -r p f < <(run_fuzzers "${1:-60}" 0)
    echo "$p passed, $f failed"
    [ "$f" -eq 0 ]
}

format_check() {
    local files
    files=$(cd "$ROOT" && git ls-files '*.cpp' '*.h' 2>/dev/null || true)
    [ -n "$files" ] || files=$(cd "$ROOT" && find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
    (cd "$ROOT" && echo "$files" | xargs clang-format --dry-run --Werror)
}

cmd_test() {
    zt_ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    local passed=0 failed=0 skipped=0 p f k
    if format_check; then
        passed=$((passed + 1))
        zt_log "format check passed"
    else
        failed=$((failed + 1))
        zt_log "format check FAILED (clang-format -i fixes it)"
    fi
    build_native
    build_windows
    zt_log "native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
    read -r p f k < <(run_ctest "$BUILD/native" "$BUILD/native-ctest.log" | tail -n 1)
    passed=$((passed + p))
    failed=$((failed + f))
    skipped=$((skipped + k))
    zt_log "fuzz targets, a short run each (libFuzzer)"
    read -r p f < <(run_fuzz_smoke | tail -n 1)
    passed=$((passed + p))
    failed=$((failed + f))
    zt_log "Windows tests under Wine"
    trap zt_cleanup EXIT
    zt_ensure_display
    zt_ensure_wine "$BUILD/wineprefix-test"
    read -r p f k < <(run_ctest "$BUILD/win" "$BUILD/win-ctest.log" | tail -n 1)
    passed=$((passed + p))
    failed=$((failed + f))
    skipped=$((skipped + k))
    zt_cleanup
    if [ "$skipped" -gt 0 ]; then
        echo "$passed passed, $failed failed, $skipped skipped"
    else
        echo "$passed passed, $failed failed"
    fi
    [ "$failed" -eq 0 ]
}

cmd_run() {
    zt_ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
    build_windows ship
    trap zt_cleanup EXIT
    local headless=""
    [ -z "${DISPLAY:-}" ] && headless=1
    zt_ensure_display
    zt_ensure_wine "$BUILD/wineprefix"
    wine "$BUILD/win/bin/Zentik.exe" "$@" </dev/null &
    local clock=$!
    if [ -n "$headless" ]; then
        sleep 4
        local shot="$BUILD/zentik-screenshot.png"
        import -window root "$shot" 2>/dev/null || true
        echo "Screenshot of the clock: $shot"
        echo "The clock runs on the virtual display $DISPLAY; press Ctrl+C to stop it."
    fi
    trap 'kill "$clock" 2>/dev/null || true' INT TERM
    wait "$clock" || true
}

cmd_bench() {
    zt_ensure_packages "${BUILD_PACKAGES[@]}"
    configure_and_build "$BUILD/bench" zentik_bench -DCMAKE_BUILD_TYPE=Release -DZT_SANITIZE=OFF \
        -DZT_BUILD_TESTS=OFF
    "$BUILD/bench/bench/zentik_bench" "$@"
}

cmd_package() {
    zt_ensure_packages "${BUILD_PACKAGES[@]}"
    build_windows dist
    ls -l "$BUILD/dist"
}

case "${1:-}" in
run) shift; cmd_run "$@" ;;
package) cmd_package ;;
test) cmd_test ;;
bench) shift; cmd_bench "$@" ;;
fuzz) shift; cmd_fuzz "$@" ;;
build)
    zt_ensure_packages "${BUILD_PACKAGES[@]}"
    build_native
    build_windows
    ;;
*)
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
