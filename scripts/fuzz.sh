#!/usr/bin/env bash
# fuzz.sh [build-dir]: builds the libFuzzer targets with clang-14 under
# AddressSanitizer and runs each for FUZZ_SECONDS (default 60) from its seed
# corpus. A crash, leak or sanitizer report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}
mkdir -p "$dir"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_BUILD_FUZZERS=ON -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF \
  -DVELMORA_SANITIZE=address,undefined
# Only the fuzz targets and what they link: the GUI and the programs are not
# needed here.
cmake --build "$dir" -j "${JOBS:-$(nproc)}" --target fuzzers
shopt -s nullglob
targets=("$dir"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets yet"
  exit 0
fi
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="$dir/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/fuzz/corpus/${name#fuzz_}"
  echo "-- $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -print_final_stats=1 "$corpus" ${seeds:+$( [ -d "$seeds" ] && echo "$seeds")}
done
