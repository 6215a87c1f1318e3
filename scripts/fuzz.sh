#!/usr/bin/env bash
# fuzz.sh [build-dir [cmake options...]]: builds the libFuzzer targets with
# clang-14 under AddressSanitizer and runs each from its seed corpus,
# FUZZ_JOBS (default: one per core) at a time. The decoder of what servers send
# (fuzz_decode_stream) runs for FUZZ_SECONDS (default 60), the others for
# FUZZ_SHORT_SECONDS (default 20), so that on two cores the others take turns
# beside it. A crash, leak or sanitizer report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/fuzz}
shift || true
seconds=${FUZZ_SECONDS:-60}
short_seconds=${FUZZ_SHORT_SECONDS:-20}
long_targets=(fuzz_decode_stream)
is_long_target() { [[ " ${long_targets[*]} " == *" $1 "* ]]; }
parallel=${FUZZ_JOBS:-$(nproc)}
mkdir -p "$dir"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_BUILD_FUZZERS=ON -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF \
  -DVELMORA_SANITIZE=address,undefined "$@"
# Only the fuzz targets and what they link: the GUI and the programs are not
# needed here.
cmake --build "$dir" -j "${JOBS:-$(nproc)}" --target fuzzers
shopt -s nullglob
targets=()
# The long runs start first.
for t in "$dir"/fuzz/fuzz_*; do
  [ -x "$t" ] && [ -f "$t" ] || continue
  if is_long_target "$(basename "$t")"; then
    targets=("$t" "${targets[@]}")
  else
    targets+=("$t")
  fi
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets yet"
  exit 0
fi

# Each target runs in the background with its output in a log; its exit
# status lands in a file, so that none is lost however the runs interleave.
run_target() {
  local t=$1 name corpus seeds time=$short_seconds
  name=$(basename "$t")
  if is_long_target "$name"; then time=$seconds; fi
  corpus="$dir/corpus/$name"
  seeds="$root/fuzz/corpus/${name#fuzz_}"
  mkdir -p "$corpus"
  [ -d "$seeds" ] || seeds=
  local status=0
  "$t" -max_total_time="$time" -print_final_stats=1 "$corpus" ${seeds:+"$seeds"} \
    >"$dir/$name.log" 2>&1 || status=$?
  echo "$status" >"$dir/$name.status"
}
rm -f "$dir"/*.status
echo "-- ${#targets[@]} targets, ${long_targets[*]} for ${seconds}s, the others for ${short_seconds}s, $parallel at a time"
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  run_target "$t" &
done
wait

failed=0
for t in "${targets[@]}"; do
  name=$(basename "$t")
  status=$(cat "$dir/$name.status" 2>/dev/null || echo missing)
  if [ "$status" = 0 ]; then
    runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$name.log" | grep -o '[0-9]*$' || true)
    echo "-- $name: clean, ${runs:-?} runs"
  else
    echo "-- $name: FAILED (status $status); its log:"
    cat "$dir/$name.log"
    failed=1
  fi
done
exit "$failed"
