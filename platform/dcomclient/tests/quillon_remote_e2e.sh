#!/bin/sh
# quillon_remote_e2e.sh QUILLON DCOMHOST NTLMUSER REGISTRY EXAMPLES
#
# Quillon against dcomhost on "another machine": two network namespaces made
# here, joined by a veth pair with addresses from 192.0.2.0/24 and nothing
# else. The example scripts run once in process and once over DCOM, by
# address and by a name from a hosts file of the test's own; their outputs
# must be the same but for times. Then the failures: wrong credentials, the
# connection cut in the middle of a session, a server that stops answering
# and one that restarts each end in the failure text within the call's
# time-out. Needs root (exits 77, skipped, without).
set -u
quillon=$1 dcomhost=$2 ntlmuser=$3 registry=$4 examples=$5

[ "$(id -u)" = 0 ] || { echo "needs root to make network namespaces"; exit 77; }
server=velmora-dcom-srv-$$
client=velmora-dcom-cli-$$
ip netns add "$server" 2>/dev/null || { echo "cannot create a network namespace here"; exit 77; }
ip netns add "$client"
scratch=$(mktemp -d); echo "scratch: $scratch"
host_pid=
cleanup() {
  [ -n "$host_pid" ] && kill -CONT "$host_pid" 2>/dev/null && kill "$host_pid" 2>/dev/null && wait "$host_pid"
  ip netns del "$server" 2>/dev/null
  ip netns del "$client" 2>/dev/null
  [ -n "${KEEP_SCRATCH:-}" ] || rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

ip -n "$server" link set lo up
ip -n "$client" link set lo up
ip -n "$server" link add veth-srv type veth peer name veth-cli netns "$client"
ip -n "$server" addr add 192.0.2.1/24 dev veth-srv
ip -n "$client" addr add 192.0.2.2/24 dev veth-cli
ip -n "$server" link set veth-srv up
ip -n "$client" link set veth-cli up

# The account on the server and the same one in Quillon's credentials file.
printf 'Secret123!\n' | "$ntlmuser" "$scratch/users" add opcuser TESTDOM >/dev/null 2>&1
hash=$(grep -v '^#' "$scratch/users" | cut -d: -f3)
mkdir -p "$scratch/good/Velmora" "$scratch/wrong/Velmora" "$scratch/local/Velmora"
echo "*:opcuser:TESTDOM:$hash" >"$scratch/good/Velmora/dcom-machines"
echo "*:opcuser:TESTDOM:00000000000000000000000000000000" >"$scratch/wrong/Velmora/dcom-machines"
chmod 600 "$scratch/good/Velmora/dcom-machines" "$scratch/wrong/Velmora/dcom-machines"
printf '127.0.0.1 localhost\n192.0.2.1 plc7\n' >"$scratch/hosts"

start_host() {
  ip netns exec "$server" env VELMORA_REGISTRY="$registry" HOME="$scratch" \
    "$dcomhost" --listen 192.0.2.1 --exporter-port 4000 --credentials "$scratch/users" 2>>"$scratch/host.log" &
  host_pid=$!
  for _ in $(seq 100); do
    ip netns exec "$server" ss -ltn 2>/dev/null | grep -q '192.0.2.1:135 ' && return 0
    sleep 0.1
  done
  echo "dcomhost did not start:"; cat "$scratch/host.log"; exit 1
}

# quillon_in CONFIG ARGS...: Quillon in the client's namespace, with the
# test's hosts file in a mount namespace of its own.
quillon_in() {
  config=$1
  shift
  ip netns exec "$client" unshare -m sh -c 'mount --bind "$0" /etc/hosts && exec "$@"' "$scratch/hosts" \
    env VELMORA_REGISTRY="$registry" XDG_CONFIG_HOME="$scratch/$config" HOME="$scratch" QT_QPA_PLATFORM=offscreen \
    timeout 300 "$quillon" "$@"
}

# What differs between machines and runs: times, durations, interface
# pointers and the values of the simulated items, which change by the moment.
normalize() {
  awk '
    { sub(/ \([0-9]+ ms\)$/, "") }
    /Item \x27/ { item = $0 }
    /Duration of/ { sub(/\) : .*/, ") : <duration>"); timing = 0; print; next }
    /read access|Resolution of the System Timer|Average access time|^ *\| is [0-9.]+ milliseconds/ {
      if (!timing) print "  | <timing>"; timing = 1; next
    }
    { timing = 0 }
    /interface pointer *:/ { sub(/: .*/, ": <pointer>") }
    /ftTimeStamp|Time *:|Timestamp *:/ { sub(/: .*/, ": <time>") }
    /vDataValue/ && item ~ /Simulation\.|Analog\./ { sub(/: .*/, ": <live>") }
    # Simulation.Quality cycles its quality as the others change their values.
    /wQuality/ && item ~ /Simulation\.Quality/ { sub(/: .*/, ": <live>") }
    { print }
  ' "$1"
}

start_host

for script in server_commands group_items; do
  quillon_in local --run "$examples/$script.quillon" >"$scratch/$script.local" 2>&1
  for machine in 192.0.2.1 plc7; do
    quillon_in good --run "$examples/$script.quillon" --machine "$machine" >"$scratch/$script.$machine" 2>&1
    normalize "$scratch/$script.local" >"$scratch/expected"
    normalize "$scratch/$script.$machine" >"$scratch/got"
    if ! diff -u "$scratch/expected" "$scratch/got" >"$scratch/diff"; then
      fail "$script on $machine differs from the run in process:"
      cat "$scratch/diff"
    fi
  done
done

# ends_unavailable NAME: the run shows the server unavailable text (from a
# call of the script or from the status poll while it waits) and no step
# took longer than the script's wait, the call time-out (20 s) and some slack.
ends_unavailable() {
  longest=$(sed -n -E 's/^line [0-9]+: .* \(([0-9]+) ms\)$/\1/p' "$scratch/$1.out" | sort -n | tail -1)
  if ! grep -q "The RPC server is unavailable." "$scratch/$1.out" || [ -z "$longest" ] || [ "$longest" -gt 35000 ]; then
    fail "$1:"
    cat "$scratch/$1.out"
  fi
}

cat >"$scratch/status.quillon" <<'SCRIPT'
connect Pelkor.DataSample
wait 3000
OPCServer/IOPCServer/GetStatus
SCRIPT

# Wrong credentials: the connection is refused with access denied.
quillon_in wrong --run "$scratch/status.quillon" --machine 192.0.2.1 >"$scratch/wrong.out" 2>&1
grep -q "Access is denied." "$scratch/wrong.out" || { fail "wrong credentials:"; cat "$scratch/wrong.out"; }

# interrupt NAME ACTION UNDO: runs the status script with ACTION done while
# it waits.
interrupt() {
  quillon_in good --run "$scratch/status.quillon" --machine 192.0.2.1 >"$scratch/$1.out" 2>&1 &
  run=$!
  sleep 1.5
  eval "$2"
  wait "$run"
  eval "$3"
  ends_unavailable "$1"
}
interrupt "connection-cut" 'ip -n "$server" link set veth-srv down' 'ip -n "$server" link set veth-srv up'
interrupt "server-stops-answering" 'kill -STOP "$host_pid"' 'kill -CONT "$host_pid"'
interrupt "server-restarts" 'kill "$host_pid"; wait "$host_pid"; host_pid=; start_host' ':'

[ "$failures" = 0 ] && echo "all remote runs as expected"
exit $((failures != 0))
