#!/usr/bin/env bash
# Job discovery end to end on synthetic sites: the simulator generates a
# site of N nodes x M backup summary rows, tsm-discover gathers it, then
#   tsm-discover run --replay --only config,clients,jobs
# runs under /usr/bin/time. Prints jobs per second, peak RSS, the bytes of
# the job lists written and their MB/s, one line per site.
#
# Usage: bench/jobs_bench.sh [BUILD_DIR] [NODESxROWS ...]
#   default sites: 100x2000 50x2000
# Environment: TSM_BENCH_DIR keeps the generated sites and gathered sets
# there (reused when present) instead of a temporary folder.
set -euo pipefail

build=${1:-build}
shift || true
sites=("$@")
[ ${#sites[@]} -gt 0 ] || sites=(100x2000 50x2000)
bin=$(cd "$build/bin" && pwd)
[ -x "$bin/dsmadmc" ] && [ -x "$bin/tsm-discover" ] || {
  echo "no dsmadmc or tsm-discover in $bin: build first" >&2
  exit 2
}
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }

if [ -n "${TSM_BENCH_DIR:-}" ]; then
  work=$TSM_BENCH_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

printf '%-10s %8s %8s %10s %12s %10s %12s %8s\n' site jobs seconds jobs/s "jobs/cpu-s" "peak MB" "XML bytes" "MB/s"
for site in "${sites[@]}"; do
  nodes=${site%x*}
  rows=${site#*x}
  dir=$work/$site
  if [ ! -f "$dir/replay/ixr_node.txt" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    "$bin/dsmadmc" generate-site --nodes "$nodes" --jobs-per-node "$rows" --seed 7 "$dir/site" >/dev/null
    DSMADMC_SIM_SITE=$dir/site TSM_PASSWORD=ADMIN "$bin/tsm-discover" gather --dsmadmc-dir "$bin" \
      --login ADMIN --out "$dir/replay" >/dev/null
  fi
  rm -rf "$dir/out"
  TSM_PASSWORD=ADMIN /usr/bin/time -f '%e %M %U %S' -o "$dir/time.txt" "$bin/tsm-discover" run \
    --replay "$dir/replay" --login ADMIN --out "$dir/out" --only config,clients,jobs >"$dir/run.txt"
  read -r seconds peakKb user sys <"$dir/time.txt"
  jobs=$(grep -o '^DiscoverJobs .*jobs [0-9]*' "$dir/run.txt" | grep -o '[0-9]*$' || echo 0)
  bytes=$(find "$dir/out" -name '*-FDC.JobList.xml' -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  awk -v site="$site" -v jobs="$jobs" -v s="$seconds" -v kb="$peakKb" -v bytes="$bytes" -v cpu="$user $sys" 'BEGIN {
    split(cpu, c, " ")
    if (s <= 0) s = 0.01
    if (c[1] + c[2] <= 0) c[1] = 0.01
    printf "%-10s %8d %8.2f %10.0f %12.0f %10.1f %12d %8.1f\n", site, jobs, s, jobs / s, jobs / (c[1] + c[2]),
           kb / 1024, bytes, bytes / 1048576 / s
  }'
done
