#!/usr/bin/env bash
# build.sh <build-dir> [cmake options...]: configures and builds one tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$root" -B "$dir" "$@"
cmake --build "$dir" -j "${JOBS:-$(nproc)}"
