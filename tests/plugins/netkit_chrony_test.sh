#!/usr/bin/env bash
# Serves chronyd on a free loopback port, measures it 20 times with chronyd -Q and hands
# those figures and the port to the Windows test program, whose NetkitChronyTest queries
# the same server 20 times and compares. Never touches the clock (chronyd -x, -Q).
#   netkit_chrony_test.sh PROGRAM
# Run by ctest inside the Wine environment zentik.sh prepares; results/ like every test.
set -u
program=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
runs=20

run_program() {
    GTEST_FILTER='NetkitChronyTest.*' GTEST_OUTPUT=xml:results/netkit_chrony_tests.xml \
        "$here/../../scripts/wine-run.sh" 180 "$program"
}

chronyd=$(command -v chronyd || true)
[ -n "$chronyd" ] || [ ! -x /usr/sbin/chronyd ] || chronyd=/usr/sbin/chronyd
if [ -z "$chronyd" ]; then
    ZT_CHRONY_PORT=none run_program
    exit $?
fi

# chronyd drops to the user given; as another user than root it must be told not to insist.
if [ "$(id -u)" -eq 0 ]; then
    user=(-u root)
else
    user=(-U -u "$(id -un)")
fi

dir=$(mktemp -d)
server=""
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    rm -rf "$dir"
}
trap cleanup EXIT

# True when a UDP socket is bound to the port (IPv4 or IPv6).
port_bound() {
    local hex
    hex=$(printf ':%04X' "$1")
    awk 'FNR > 1 { print $2 }' /proc/net/udp /proc/net/udp6 2>/dev/null | grep -q "$hex\$"
}

# A free port, chronyd serving on it, and the wait until it is bound (at most 10 s).
port=""
for attempt in 1 2 3 4 5; do
    candidate=$((20000 + RANDOM % 40000))
    port_bound "$candidate" && continue
    cat >"$dir/chrony.conf" <<CONF
port $candidate
cmdport 0
local stratum 8
allow 127.0.0.1
pidfile $dir/chronyd.pid
driftfile $dir/drift
CONF
    "$chronyd" -x "${user[@]}" -f "$dir/chrony.conf" -n >"$dir/chronyd.log" 2>&1 &
    server=$!
    for _ in $(seq 100); do
        port_bound "$candidate" && break
        kill -0 "$server" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$server" 2>/dev/null && port_bound "$candidate"; then
        port=$candidate
        break
    fi
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=""
done
if [ -z "$port" ]; then
    echo "netkit_chrony_test.sh: chronyd did not start (attempt $attempt):" >&2
    cat "$dir/chronyd.log" >&2
    exit 1
fi

# chronyd -Q's measurement log: offset (server minus client, as ours) and peer delay.
offsets="" delays=""
for i in $(seq "$runs"); do
    timeout 30 "$chronyd" -Q -t 10 "${user[@]}" "server 127.0.0.1 port $port iburst maxsamples 1" \
        "logdir $dir/q$i" "log measurements" >"$dir/q$i.out" 2>&1
    line=$(grep -v -e '^=' -e 'Date' "$dir/q$i/measurements.log" 2>/dev/null | tail -n 1)
    if [ -z "$line" ]; then
        echo "netkit_chrony_test.sh: chronyd -Q measured nothing:" >&2
        cat "$dir/q$i.out" >&2
        continue
    fi
    offsets="$offsets $(echo "$line" | awk '{ print $12 }')"
    delays="$delays $(echo "$line" | awk '{ print $13 }')"
done
echo "chronyd -Q offsets (s):$offsets"
echo "chronyd -Q delays (s):$delays"

ZT_CHRONY_PORT=$port ZT_CHRONY_OFFSETS=$offsets ZT_CHRONY_DELAYS=$delays run_program
