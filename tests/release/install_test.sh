#!/usr/bin/env bash
# Runs the installer test program in a fresh Wine prefix of its own, removed afterwards.
#   install_test.sh SECONDS PROGRAM
# The display comes from zentik.sh's test environment; only this prefix's wineserver is
# stopped.
set -u
secs=$1
program=$2
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
cleanup() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
timeout -k 5 120 wineboot -i >/dev/null 2>&1
wineserver -w
timeout -k 5 "$secs" wine "$program"
