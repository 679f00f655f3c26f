# Shared functions of zentik.sh: packages, display, Wine.
# shellcheck shell=bash

zt_log() { printf '[zentik] %s\n' "$*" >&2; }

# Installs the Debian packages that are missing; quick when all are present.
zt_ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    zt_log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    # Packages must not start their services here (chrony's would steer the clock): a
    # policy-rc.d that refuses every start, in force for this install only.
    local policy=/usr/sbin/policy-rc.d own_policy=""
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
        $sudo chmod 755 "$policy"
        own_policy=1
    fi
    local rc=0
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null || rc=$?
    [ -z "$own_policy" ] || $sudo rm -f "$policy"
    return $rc
}

ZT_STARTED_XVFB=""
ZT_STARTED_WINESERVER=""

# Starts Xvfb on a free display when there is no display.
zt_ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    ZT_STARTED_XVFB=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    zt_log "Xvfb did not start on :$n"
    return 1
}

# Prepares a Wine prefix (created once) and a persistent wineserver whose
# standard streams are detached, so that no test runner waits on it.
zt_ensure_wine() {
    export WINEPREFIX="$1"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    if [ ! -f "$WINEPREFIX/.zentik-ready" ]; then
        zt_log "creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        timeout 300 wineboot -i </dev/null >/dev/null 2>&1 || true
        timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.zentik-ready"
    fi
    wineserver -p </dev/null >/dev/null 2>&1 &
    ZT_STARTED_WINESERVER=1
    # The first program of a session starts Wine's own services; start them here with
    # detached streams, or they would hold a test runner's pipe open.
    timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Stops what this script started, nothing else.
zt_cleanup() {
    if [ -n "$ZT_STARTED_WINESERVER" ] && [ -n "${WINEPREFIX:-}" ]; then
        timeout 20 wineserver -k </dev/null >/dev/null 2>&1 || true
        ZT_STARTED_WINESERVER=""
    fi
    if [ -n "$ZT_STARTED_XVFB" ]; then
        kill "$ZT_STARTED_XVFB" 2>/dev/null || true
        wait "$ZT_STARTED_XVFB" 2>/dev/null || true
        ZT_STARTED_XVFB=""
    fi
}
