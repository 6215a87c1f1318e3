#!/usr/bin/env bash
# Installs what is missing, builds the normal configuration and starts Quillon
# against this build's registry, where the build has registered the sample
# OPC server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${BUILD_ROOT:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$out/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo

quillon="$out/release/client/quillon"
export VELMORA_REGISTRY=${VELMORA_REGISTRY:-$out/release/registry.reg}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. Start Quillon under a virtual X server with:"
  echo "  xvfb-run -a -s '-screen 0 1280x1024x24' $0"
  exit 1
fi
exec "$quillon" "$@"
