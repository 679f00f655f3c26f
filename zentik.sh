#!/usr/bin/env bash
# Zentik: set-up, build, run and test.
#   ./zentik.sh run     build everything and start the clock under Wine
#   ./zentik.sh test    build everything and run every test
#   ./zentik.sh build   build both trees without running anything
#   ./zentik.sh bench   run the native benchmarks (optimised, no sanitizers)
#   ./zentik.sh package the installer and the portable zip, into build/dist
# ZT_BUILD_DIR chooses the build folder (default ./build).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
BUILD=${ZT_BUILD_DIR:-$ROOT/build}
JOBS=${ZT_JOBS:-$(nproc)}
# shellcheck source=scripts/lib.sh
source "$ROOT/scripts/lib.sh"

BUILD_PACKAGES=(cmake ninja-build g++ mingw-w64 g++-mingw-w64-x86-64-posix googletest
                libbenchmark-dev clang-format espeak-ng sox fp-utils nsis)
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
build)
    zt_ensure_packages "${BUILD_PACKAGES[@]}"
    build_native
    build_windows
    ;;
*)
    sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
