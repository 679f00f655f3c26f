#!/usr/bin/env bash
# Takes screenshots of the clock, its menu and Plug-ins submenu, every page of its options
# dialog, and the scheduler window with its task dialog under Wine, in English and Russian,
# into build/screenshots (or the folder given).
#   scripts/screenshots.sh [FOLDER]
# Needs the Windows build (./zentik.sh build) and imagemagick. Each language starts from
# fresh settings with two sample tasks in the scheduler.
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
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -municode -static -I"$ROOT" \
    -I"$ROOT/plugins/scheduler" -o "$DRIVER" "$ROOT/scripts/shot_driver.cpp" \
    "$ROOT/plugins/scheduler/schedule_record.cpp" "$ROOT/common/datetime.cpp" -lcomctl32

clock=""
finish() {
    if [ -n "$clock" ]; then
        kill "$clock" 2>/dev/null || true
        wait "$clock" 2>/dev/null || true
    fi
    zt_cleanup
}
trap finish EXIT
unset DISPLAY
zt_ensure_display
zt_ensure_wine "$BUILD/wineprefix-shots"
# Wine draws the window frames itself: there is no window manager to draw them. Their
# buttons need Wine's Marlett font (Debian's fonts-wine), given to this prefix alone.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
marlett="$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
if [ ! -f "$marlett" ]; then
    fonts=$(mktemp -d)
    if (cd "$fonts" && apt-get download -qq fonts-wine >/dev/null 2>&1); then
        dpkg-deb --fsys-tarfile "$fonts"/fonts-wine_*.deb |
            tar -x -O ./usr/share/wine/fonts/marlett.ttf >"$marlett"
    else
        echo "fonts-wine could not be fetched: the frame buttons show letters" >&2
    fi
    rm -rf "$fonts"
fi

# Runs a driver command and prints the geometry it reports; fails when it does.
drive() {
    local out
    out=$(wine "$DRIVER" "$@" </dev/null 2>/dev/null | tr -d '\r') || {
        echo "shot_driver $* failed" >&2
        return 1
    }
    printf '%s' "$out"
}
# shot NAME DRIVER-ARGS...: the area the driver command shows, as OUT/NAME-LANG.png. When
# the driver names the windows inside the area, the rest of it is transparent.
shot() {
    local name=$1 geometry area w h x y left top draw=()
    shift
    geometry=$(drive "$@")
    area=$(head -n 1 <<<"$geometry")
    IFS='x+' read -r _ _ x y <<<"$area"
    while IFS='x+' read -r w h left top; do
        left=$((left - x)) top=$((top - y))
        draw+=(-draw "rectangle $left,$top $((left + w - 1)),$((top + h - 1))")
    done < <(tail -n +2 <<<"$geometry")
    if [ ${#draw[@]} -eq 0 ]; then
        import -window root -crop "$area" +repage "$OUT/$name-$lang.png"
        return
    fi
    IFS='x+' read -r w h _ _ <<<"$area"
    import -window root -crop "$area" +repage png:- |
        convert png:- \( -size "${w}x$h" xc:black -fill white "${draw[@]}" \) \
            -alpha off -compose CopyOpacity -composite "$OUT/$name-$lang.png"
}

# Options tree nodes depth first; the plug-in pages sit under Plug-ins.
pages=(opt time alarm plugins facet netkit speech ctrl about)
for lang in en ru; do
    wine reg delete 'HKCU\Software\Ombrelt\Zentik' /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Ombrelt\Zentik' /v Language /t REG_SZ /d "$lang" /f >/dev/null 2>&1
    drive tasks
    wine "$BIN/Zentik.exe" </dev/null >/dev/null 2>&1 &
    clock=$!
    shot clock clock
    shot menu menu
    shot menu-plugins submenu
    drive endmenu
    drive open >/dev/null
    count=$(drive count)
    if [ "$count" -ne ${#pages[@]} ]; then
        echo "the options tree has $count nodes, expected ${#pages[@]} (${pages[*]})" >&2
        exit 1
    fi
    for n in "${!pages[@]}"; do
        shot "options-${pages[$n]}" select "$n"
        if [ "${pages[$n]}" = alarm ]; then
            shot scheduler scheduler
            shot scheduler-task new
            drive endscheduler
        fi
    done
    drive close
    drive quit
    for _ in $(seq 1 100); do kill -0 "$clock" 2>/dev/null || break; sleep 0.1; done
    kill "$clock" 2>/dev/null || true
    wait "$clock" 2>/dev/null || true
    clock=""
done
echo "Screenshots in $OUT"
