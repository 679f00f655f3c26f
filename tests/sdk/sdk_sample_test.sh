#!/usr/bin/env bash
# Builds the SDK's sample plug-in from the SDK zip alone and runs the test program on it.
#   sdk_sample_test.sh SECONDS ZIP BIN_DIR PROGRAM
# The zip is unpacked into an empty folder; the sample is configured, built (cmake, ninja,
# MinGW-w64) and installed into a program folder of its own, which also gets the clock's
# language files from BIN_DIR. PROGRAM then runs under Wine (the prefix, display and
# wineserver come from zentik.sh's test environment) with that folder in
# ZT_SAMPLE_PROGRAM_DIR.
set -eu
secs=$1
zip=$2
bin=$3
program=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -E chdir "$work" cmake -E tar xf "$zip"
cmake -S "$work/sdk/sample" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build"
cmake --install "$work/build" --prefix "$work/program" >/dev/null
cp -r "$bin/Language/." "$work/program/Language/"

ZT_SAMPLE_PROGRAM_DIR="Z:$(echo "$work/program" | tr / '\\')" \
    "$here/../../scripts/wine-run.sh" "$secs" "$program"
