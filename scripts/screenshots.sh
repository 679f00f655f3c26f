#!/usr/bin/env bash
# Takes screenshots of the clock, its menu and every page of its options dialog under
# Wine, in English and Russian, into build/screenshots (or the folder given).
#   scripts/screenshots.sh [FOLDER]
# Needs the Windows build (./zentik.sh build) and imagemagick.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ZT_BUILD_DIR:-$ROOT/build}
OUT=${1:-$BUILD/screenshots}
# shellcheck source=lib.sh
source "$ROOT/scripts/lib.sh"
BIN="$BUILD/win/bin"
[ -f "$BIN/Zentik.exe" ] || { echo "build first: ./zentik.sh build" >&2; exit 1; }
mkdir -p "$OUT"
DRIVER="$BUILD/shot_driver.exe"
x86_64-w64-mingw32-g++-posix -O1 -municode -static -o "$DRIVER" "$ROOT/scripts/shot_driver.cpp" -lcomctl32

trap zt_cleanup EXIT
unset DISPLAY
zt_ensure_display
zt_ensure_wine "$BUILD/wineprefix-shots"
# Tree nodes depth first: Opt, Time, Alarm, Plg, Ctrl, About (no shipped plug-in adds a
# page of its own yet).
for lang in en ru; do
    wine reg add 'HKCU\Software\Ombrelt\Zentik' /v Language /t REG_SZ /d "$lang" /f >/dev/null 2>&1
    wine "$BIN/Zentik.exe" </dev/null >/dev/null 2>&1 &
    clock=$!
    area=""
    for _ in $(seq 1 50); do
        area=$(wine "$DRIVER" menu 2>/dev/null | tr -d '\r') && break
        sleep 0.3
    done
    sleep 0.5
    import -window root -crop "$area" +repage "$OUT/menu-$lang.png"
    xdotool key Escape 2>/dev/null || true
    sleep 0.5
    wine "$DRIVER" open >/dev/null
    n=0
    for name in opt time alarm plugins ctrl about; do
        area=$(wine "$DRIVER" select $n | tr -d '\r')
        sleep 1
        import -window root -crop "$area" +repage "$OUT/options-$name-$lang.png"
        n=$((n + 1))
    done
    wine "$DRIVER" close >/dev/null 2>&1 || true
    sleep 3
    wine "$DRIVER" quit >/dev/null 2>&1 || true
    for _ in $(seq 1 50); do kill -0 "$clock" 2>/dev/null || break; sleep 0.2; done
    kill "$clock" 2>/dev/null || true
    wait "$clock" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 &
done
echo "Screenshots in $OUT"
