#!/usr/bin/env bash
# Runs one Windows program under Wine with a time limit.
#   wine-run.sh SECONDS PROGRAM [ARGS...]
# The Wine prefix, display and wineserver are prepared by zentik.sh.
set -u
secs=$1
shift
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run.sh: WINEPREFIX is not set; run the tests through ./zentik.sh test" >&2
    exit 2
fi
export WINEDEBUG=${WINEDEBUG:--all}
exec timeout -k 5 "$secs" wine "$@"
