#!/bin/sh
# node_opc_da_e2e.sh DCOMHOST NTLMUSER REGISTRY: runs node_opc_da.js against
# a dcomhost that accepts NTLMv1 (node-opc-da logs on with it). Meant to run
# inside a network namespace of its own (run_in_network_namespace.sh).
# Exits 77 (skipped) where node or node-opc-da is missing; scripts/
# install-test-peers.sh installs it into VELMORA_NODE_PEERS.
peers=${VELMORA_NODE_PEERS:-/opt/velmora-node-peers}
command -v node >/dev/null 2>&1 || { echo "node is not installed"; exit 77; }
[ -d "$peers/node_modules/node-opc-da" ] || { echo "node-opc-da is not installed in $peers"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf 'Secret123!\n' | "$2" "$scratch/users" add opcuser TESTDOM >/dev/null || exit 1
VELMORA_REGISTRY="$3" "$1" --credentials "$scratch/users" --minimum-level connect --allow-ntlmv1 \
  2> "$scratch/host.log" &
host=$!
for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
  grep -q 'ready:' "$scratch/host.log" && break
  sleep 0.2
done
NODE_PATH="$peers/node_modules" timeout 120 node --openssl-legacy-provider "$(dirname "$0")/node_opc_da.js"
status=$?
kill "$host"
wait "$host" || { echo "FAIL host exited with $?"; status=1; }
[ "$status" -eq 0 ] || tail -40 "$scratch/host.log"
exit "$status"
