#!/usr/bin/env bash
# Idle cost, paints and start-up of Zentik.exe under Wine, side by side with reference
# programs started in the same run (mini_clock.exe, empty_window.exe of this folder).
#
#   tools/perf/perf.sh            10-minute idle phases, 2-minute paint counts, 5 start-ups
#   PERF_MINUTES=1 PERF_PAINT_MINUTES=1 PERF_RUNS=3 tools/perf/perf.sh     a quick look
#   PERF_PHASES="idle paint startup" (the default) chooses what is measured
#
# ZT_BUILD_DIR chooses the build (default ./build); the clock runs from its win/bin folder
# (PERF_BIN chooses another) with every plug-in there, seconds shown and the Font style
# (Facet) on, in a Wine prefix of its own (ZT_BUILD_DIR/wineprefix-perf) on an Xvfb of its
# own with a black root.
#
# CPU: utime + stime from /proc/PID/stat of the Linux process that runs each program (in
# clock ticks), and the run time of its threads from /proc/PID/task/*/schedstat (ns).
# Paints: WM_PAINT messages the clock's windows take, counted in Wine's "msg" debug
# channel (a separate run of the clock, the trace costs time of its own).
# Start-up: perf_probe.exe starts the program and polls the screen until the window's
# rectangle shows a pixel of the lit-segment colour (see perf_probe.cpp).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${ZT_BUILD_DIR:-$ROOT/build}
MINUTES=${PERF_MINUTES:-10}
PAINT_MINUTES=${PERF_PAINT_MINUTES:-2}
RUNS=${PERF_RUNS:-5}
BIN=${PERF_BIN:-$BUILD/win/bin}
PHASES=${PERF_PHASES:-idle paint startup}
OUT=$BUILD/perf
# shellcheck source=scripts/lib.sh
source "$ROOT/scripts/lib.sh"

[ -x "$BIN/Zentik.exe" ] || { zt_log "no $BIN/Zentik.exe: build first"; exit 1; }
mkdir -p "$OUT"
# One run per build at a time: two would share the Wine prefix and its wineserver.
exec 9>"$OUT/.lock"
flock -n 9 || { zt_log "perf.sh already runs on $BUILD"; exit 1; }
CXX=x86_64-w64-mingw32-g++-posix
FLAGS=(-std=c++20 -O2 -Wall -Wextra -Werror -static -municode)
$CXX "${FLAGS[@]}" -mwindows -o "$OUT/mini_clock.exe" "$ROOT/tools/perf/mini_clock.cpp"
$CXX "${FLAGS[@]}" -mwindows -o "$OUT/empty_window.exe" "$ROOT/tools/perf/empty_window.cpp"
$CXX "${FLAGS[@]}" -o "$OUT/perf_probe.exe" "$ROOT/tools/perf/perf_probe.cpp" -lgdi32 -luser32

# An X server of our own: a black root, so that only a painted window shows the lit colour.
n=120
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -br -nolisten tcp </dev/null >/dev/null 2>&1 &
ZT_STARTED_XVFB=$! # stopped by zt_cleanup
export DISPLAY=":$n"
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

STARTED=()
finish() {
    local pid
    for pid in "${STARTED[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    zt_cleanup
}
trap finish EXIT
zt_ensure_wine "$BUILD/wineprefix-perf"

probe() { (cd "$OUT" && wine ./perf_probe.exe "$@" 2>/dev/null | tr -d '\r'); }

# The clock's settings: clean, seconds shown, colon steady (1: flashing), Font style on.
settings() {
    wine reg delete 'HKCU\Software\Ombrelt\Zentik' /f >/dev/null 2>&1 || true
    # Without the form version the clock takes its first-start design.
    wine reg add 'HKCU\Software\Ombrelt\Zentik' /v FormVersion /t REG_SZ /d 2 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Ombrelt\Zentik' /v CZentik_ShowSeconds /t REG_SZ /d True /f \
        >/dev/null 2>&1
    local flash=False
    [ "$1" = 1 ] && flash=True
    wine reg add 'HKCU\Software\Ombrelt\Zentik' /v CZentik_SecondFlash /t REG_SZ /d $flash \
        /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Ombrelt\Zentik\Plugins\Facet.Zentik' /v Activ /t REG_DWORD \
        /d 1 /f >/dev/null 2>&1
}

# The Linux process of ours whose command line names the program $1.
pid_of() {
    local p
    for p in /proc/[0-9]*; do
        tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -qi "$1" || continue
        tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        [[ "$(cat "$p/comm" 2>/dev/null)" == wineserver* ]] && continue
        basename "$p"
        return 0
    done
    return 1
}

# Our wineserver, which both programs share.
server_pid() {
    local p
    for p in /proc/[0-9]*; do
        [[ "$(cat "$p/comm" 2>/dev/null)" == wineserver* ]] || continue
        tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        basename "$p"
        return 0
    done
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Run time of the threads alive now, in microseconds.
run_us() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s / 1000}'; }

# Waits up to 60 s for a top-level window of class $1; prints perf_probe's line for it.
wait_window() {
    local line
    for _ in $(seq 1 120); do
        line=$(probe find "$1" | grep '^window' | head -1 || true)
        if [ -n "$line" ] && echo "$line" | grep -q 'visible=1'; then
            echo "$line"
            return 0
        fi
        sleep 0.5
    done
    zt_log "no window of class $1"
    return 1
}

start_clock() { # $1: WINEDEBUG for the clock, $2: its log
    (cd "$BIN" && WINEDEBUG=$1 exec wine ./Zentik.exe </dev/null >/dev/null 2>"$2") &
    STARTED+=($!)
    wait_window TfrmClock
}

HZ=$(getconf CLK_TCK)
seconds() { awk -v t="$1" -v hz="$HZ" 'BEGIN {printf "%.2f", t / hz}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "n/a"}'; }

: >"$OUT/summary.txt"
echo "clock: $BIN/Zentik.exe" | tee -a "$OUT/summary.txt"

# ---- Idle cost ----
if [[ " $PHASES " == *" idle "* ]]; then
settings 0
(cd "$OUT" && exec wine ./mini_clock.exe </dev/null >/dev/null 2>&1) &
STARTED+=($!)
wait_window ZentikPerfMiniClock >/dev/null
clock_line=$(start_clock -all /dev/null)
sleep 10 # plug-ins loaded, start-up work done
clock_line=$(probe find TfrmClock | grep '^window' | head -1)
clock_pid=$(pid_of 'Zentik.exe')
mini_pid=$(pid_of 'mini_clock.exe')
server_pid=$(server_pid)
echo "clock window: $clock_line"
echo "processes: Zentik.exe $clock_pid, mini_clock.exe $mini_pid"
if [ -z "$clock_pid" ] || [ -z "$mini_pid" ] || [[ "$clock_line" == *lit=-1* ]]; then
    zt_log "the clock or the mini clock is not running, or shows no lit segment"
    exit 1
fi

# $1: phase name; measures both processes for MINUTES.
measure_idle() {
    local c0 m0 s0=0 c1 m1 s1=0 cu0 mu0 cu1 mu1
    c0=$(cpu_ticks "$clock_pid")
    m0=$(cpu_ticks "$mini_pid")
    cu0=$(run_us "$clock_pid")
    mu0=$(run_us "$mini_pid")
    [ -z "$server_pid" ] || s0=$(cpu_ticks "$server_pid")
    sleep $((MINUTES * 60))
    c1=$(cpu_ticks "$clock_pid")
    m1=$(cpu_ticks "$mini_pid")
    cu1=$(run_us "$clock_pid")
    mu1=$(run_us "$mini_pid")
    [ -z "$server_pid" ] || s1=$(cpu_ticks "$server_pid")
    local c=$((c1 - c0)) m=$((m1 - m0)) cu=$((cu1 - cu0)) mu=$((mu1 - mu0))
    printf '%-28s utime+stime: Zentik.exe %ss, mini_clock.exe %ss, ratio %s\n' "$1:" \
        "$(seconds $c)" "$(seconds $m)" "$(ratio $c $m)" | tee -a "$OUT/summary.txt"
    printf '%-28s thread run time: Zentik.exe %d ms, mini_clock.exe %d ms, ratio %s; wineserver (shared) %ss\n' \
        "" $((cu / 1000)) $((mu / 1000)) "$(ratio $cu $mu)" "$(seconds $((s1 - s0)))" |
        tee -a "$OUT/summary.txt"
}

echo "== idle CPU over $MINUTES min (seconds shown, Font style on, every plug-in) ==" |
    tee -a "$OUT/summary.txt"
xdotool mousemove 1270 1010
measure_idle "cursor away from both"
lit=$(echo "$clock_line" | sed -n 's/.*lit=\([0-9-]*\),\([0-9-]*\).*/\1 \2/p')
# shellcheck disable=SC2086
xdotool mousemove $lit
sleep 2
hint=$(probe find tooltips_class32 | grep -c 'visible=1' || true)
measure_idle "cursor resting on the clock"
echo "  (cursor at $lit on a lit segment; visible tooltips while resting: $hint)" |
    tee -a "$OUT/summary.txt"
xdotool mousemove 1270 1010
probe close TfrmClock >/dev/null || true
probe close ZentikPerfMiniClock >/dev/null || true
fi

# ---- Paints ----
count_paints() { # $1: 0 steady colon, 1 flashing
    settings "$1"
    local log=$OUT/paint-msg-$1.log
    local line panel
    line=$(start_clock '-all,+msg' "$log")
    panel=$(probe find TfrmClock | awk '/^child/ {print $2; exit}')
    sleep 10
    local start
    start=$(grep -c "(WM_PAINT) hwnd $panel " "$log" || true)
    sleep $((PAINT_MINUTES * 60))
    local end
    end=$(grep -c "(WM_PAINT) hwnd $panel " "$log" || true)
    probe close TfrmClock >/dev/null || true
    local label="steady colon"
    [ "$1" = 1 ] && label="flashing colon"
    awk -v n=$((end - start)) -v m="$PAINT_MINUTES" -v l="$label" \
        'BEGIN {printf "paints of the clock face, %s: %.1f per minute (%d in %d min)\n", l, n / m, n, m}' |
        tee -a "$OUT/summary.txt"
}
if [[ " $PHASES " == *" paint "* ]]; then
    echo "== paints (WM_PAINT in Wine's msg channel) ==" | tee -a "$OUT/summary.txt"
    xdotool mousemove 1270 1010
    count_paints 0
    count_paints 1
fi

# ---- Start-up ----
[[ " $PHASES " == *" startup "* ]] || exit 0
settings 0
echo "== start-up to the first painted window, $RUNS runs each ==" | tee -a "$OUT/summary.txt"
# Not counted: the first start of a session pays for Wine's own start-up.
probe startup empty_window.exe >/dev/null || true
zentik_times=()
empty_times=()
for i in $(seq 1 "$RUNS"); do
    t=$(cd "$BIN" && wine "$OUT/perf_probe.exe" startup Zentik.exe 2>/dev/null | tr -d '\r')
    zentik_times+=("$(echo "$t" | sed -n 's/.*painted_ms=\([0-9.-]*\).*/\1/p')")
    t=$(probe startup empty_window.exe)
    empty_times+=("$(echo "$t" | sed -n 's/.*painted_ms=\([0-9.-]*\).*/\1/p')")
    echo "run $i: Zentik.exe ${zentik_times[-1]} ms, empty_window.exe ${empty_times[-1]} ms"
done
stats() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {printf "median %.1f ms, worst %.1f ms", v[int((NR + 1) / 2)], v[NR]}'; }
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
echo "Zentik.exe:       $(stats "${zentik_times[@]}")" | tee -a "$OUT/summary.txt"
echo "empty_window.exe: $(stats "${empty_times[@]}")" | tee -a "$OUT/summary.txt"
echo "median ratio: $(ratio "$(median "${zentik_times[@]}")" "$(median "${empty_times[@]}")")" |
    tee -a "$OUT/summary.txt"
echo "summary in $OUT/summary.txt"
