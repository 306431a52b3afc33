#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang in build-fuzz/
# and runs each for SECONDS (default 60).
#   scripts/fuzz.sh [SECONDS] [NAME...]   NAME: line_reader, node_parser, ...
#   FUZZ_JOBS=3 scripts/fuzz.sh 600      three harnesses at a time
# Each harness starts from its corpus build-fuzz/corpus/NAME (kept between
# runs, new inputs land there), the seeds of tests/fuzz/seeds/NAME and
# tests/fuzz/seeds/common, and seeds made here from samples/replay plus (for
# the file readers) a long line and a line of 10,000 columns. A failing input is kept as
# build-fuzz/artifacts/NAME-crash-*; logs are in build-fuzz/logs/.
# Exit status 1 when a harness found a fault, 2 when clang is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[ $# -gt 0 ] && shift
parallel=${FUZZ_JOBS:-1}
build=${FUZZ_BUILD_DIR:-build-fuzz}
replay=samples/replay
# Separates the files of one input; tests/fuzz/FuzzSupport.h kFileSeparator.
separator=$'\n@@next-file@@\n'

bash scripts/setup.sh
if ! command -v clang++ >/dev/null || ! command -v clang >/dev/null; then
  echo "fuzz.sh: clang and clang++ are needed (Debian package clang)" >&2
  exit 2
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DTSM_BUILD_FUZZERS=ON -DTSM_BUILD_TESTS=OFF \
  -DTSM_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzzers
build=$(cd "$build" && pwd)  # absolute: a harness works inside a folder of its own

# The files of one input, joined by the separator.
join_files() {
  local out=$1 first=1
  shift
  for f in "$@"; do
    [ $first = 1 ] || printf '%s' "$separator"
    cat "$f"
    first=0
  done >"$out"
}

# Seeds of harness $1 in folder $2: the replay files it reads, and large
# inputs.
make_seeds() {
  local name=$1 out=$2
  rm -rf "$out" && mkdir -p "$out"
  case $name in
    line_reader | splitting) cp "$replay"/*.txt "$out"/ ;;
    node_parser) cp "$replay"/ixr_node.txt "$out"/ ;;
    db2_parser) ;;  # gather no longer writes DB2 files: seeds/db2_parser holds two
    job_parser) cp "$replay"/ixr_jobs_*.txt "$out"/ ;;
    storage_parser) cp "$replay"/ixr_{storagepolicy,media,standalonelibs}.txt "$out"/ ;;
    library_drive_parser)
      for drives in "$replay"/ixr_drives_*.txt; do
        join_files "$out/replay-${drives##*/}" "$replay"/ixr_libraries.txt "$drives"
      done
      ;;
    server_version_parser) join_files "$out/replay" "$replay"/ixr_server.txt "$replay"/ixr_tsmconfig.txt ;;
    schedule_parser) join_files "$out/replay" "$replay"/ixr_sched.txt "$replay"/ixr_assoc.txt ;;
    node_schedule_parser)
      for node in WEB01 LAB_01 DBAIX01; do
        join_files "$out/replay-$node" "$replay"/ixr_sched.txt "$replay"/ixr_assoc.txt <(printf '%s' "$node")
      done
      ;;
  esac
  # Large inputs for the file readers only: elsewhere they slow the
  # harness down some seventy times and reach nothing new.
  case $name in
    *_parser | line_reader)
      { head -c 20000 /dev/zero | tr '\0' 'x'; printf '\nSTANDARD,DAILY,x\n'; } >"$out/long-line"
      { printf "c,%.0s" $(seq 9999); printf "c\n"; } >"$out/columns-10000"
      ;;
  esac
}

run_one() {
  local name=$1
  local seeds=("tests/fuzz/seeds/common" "$build/seeds/$name")
  [ -d "tests/fuzz/seeds/$name" ] && seeds+=("tests/fuzz/seeds/$name")
  mkdir -p "$build/corpus/$name"
  set +e
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$name-" "$build/corpus/$name" "${seeds[@]}" >"$build/logs/$name.log" 2>&1
  echo $? >"$build/logs/$name.status"
}

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for bin in "$build"/fuzz/fuzz_*; do names+=("${bin##*/fuzz_}"); done
fi
mkdir -p "$build/logs" "$build/artifacts"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
for name in "${names[@]}"; do
  [ -x "$build/fuzz/fuzz_$name" ] || { echo "fuzz.sh: no harness $name" >&2; exit 2; }
  make_seeds "$name" "$build/seeds/$name"
  rm -f "$build/logs/$name.status"
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  echo "fuzzing $name for ${seconds}s"
  run_one "$name" &
done
wait

passed=0
failed=0
printf '%-24s %12s  %s\n' harness executions result
for name in "${names[@]}"; do
  log="$build/logs/$name.log"
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  if [ "$(cat "$build/logs/$name.status" 2>/dev/null)" = 0 ]; then
    passed=$((passed + 1))
    printf '%-24s %12s  %s\n' "$name" "$execs" ok
  else
    failed=$((failed + 1))
    printf '%-24s %12s  %s\n' "$name" "$execs" "FAILED, see $log"
    grep -m1 -E 'PROPERTY FAILED|ERROR: |runtime error' "$log" | sed 's/^/    /' || true
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" = 0 ]
