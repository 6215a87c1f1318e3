#!/usr/bin/env bash
# Installs the independent OPC client the opcwire tests run as a black box
# (node-opc-da with its node-dcom, from the npm registry) into
# VELMORA_NODE_PEERS (default /opt/velmora-node-peers). The tests skip
# without it. Node.js and npm come from Debian's packages where the machine
# has none; an installation already in place is kept.
set -euo pipefail
peers=${VELMORA_NODE_PEERS:-/opt/velmora-node-peers}
if [ -f "$peers/node_modules/node-opc-da/package.json" ]; then
  exit 0
fi
if ! command -v npm >/dev/null || ! command -v node >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then apt_get=(apt-get); else apt_get=(sudo apt-get); fi
  DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -q --no-install-recommends nodejs npm
fi
mkdir -p "$peers"
npm install --prefix "$peers" --no-audit --no-fund --ignore-scripts node-opc-da@1.0.6
