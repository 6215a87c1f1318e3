#!/usr/bin/env bash
# screenshot.sh [FILE] [QUILLON OPTIONS]: builds Quillon and the sample OPC
# server, starts Quillon under a virtual X server, lets it connect to
# "Pelkor.DataSample" without a user and saves a picture of its main window
# (by default docs/images/quillon.png, the one the README shows). Further
# options go to Quillon, for example "--command 32778" to show the result of
# GetStatus in the picture.
#
# The run uses settings and a runtime folder of its own, so the user's
# Quillon settings stay as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${BUILD_ROOT:-$root/build}/release
file=$(realpath -m "${1:-$root/docs/images/quillon.png}")
shift $(($# > 0 ? 1 : 0))

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$out" -j "${JOBS:-$(nproc)}" --target quillon

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 700 "$scratch"
mkdir -p "$(dirname "$file")"

export VELMORA_REGISTRY="$out/registry.reg"
export XDG_CONFIG_HOME="$scratch/config"
export XDG_RUNTIME_DIR="$scratch"
export LANG=C.UTF-8
xvfb-run -a -s '-screen 0 1280x1024x24' \
  "$out/client/quillon" --connect --server Pelkor.DataSample "$@" --screenshot "$file"
echo "Saved $file"
