#!/usr/bin/env bash
# Installs the independent OPC client the opcwire tests run as a black box
# (node-opc-da with its node-dcom, from the npm registry) into
# VELMORA_NODE_PEERS (default /opt/velmora-node-peers). The tests skip
# without it.
set -euo pipefail
peers=${VELMORA_NODE_PEERS:-/opt/velmora-node-peers}
command -v npm >/dev/null || { echo "npm is not installed"; exit 1; }
mkdir -p "$peers"
npm install --prefix "$peers" --no-audit --no-fund --ignore-scripts node-opc-da@1.0.6
