#!/usr/bin/env bash
# Media discovery at the scale of a large site, from gathered files:
# generates a synthetic site (50 libraries, 20,000 volumes of which half
# are FILE or DISK, 200 pools), gathers it with the simulator and runs
#   tsm-discover run --replay DIR --only config,clients,media
# printing wall time, peak RSS and the bytes of XML written.
#
#   bench/media_bench.sh [BIN_DIR]      (default: build/bin)
#
# Environment: BENCH_VOLUMES, BENCH_LIBRARIES, BENCH_POOLS change the
# size; BENCH_KEEP=1 keeps the work folder. Needs GNU time (/usr/bin/time,
# Debian package "time"). Not part of the test suite.
set -euo pipefail

bin=$(cd "${1:-build/bin}" && pwd)
volumes=${BENCH_VOLUMES:-20000}
libraries=${BENCH_LIBRARIES:-50}
pools=${BENCH_POOLS:-200}
for program in dsmadmc tsm-discover libZYForeignHandlerTSM.so; do
  [ -e "$bin/$program" ] || { echo "media_bench: $bin/$program not built" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "media_bench: needs GNU time (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/media-bench.XXXXXX")
[ "${BENCH_KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
echo ADMIN >"$work/password"

"$bin/dsmadmc" generate-site --nodes 20 --schedules 5 --jobs-per-node 1 --libraries "$libraries" \
  --volumes "$volumes" --pools "$pools" --disk-percent 50 --seed 1 "$work/site" >/dev/null
DSMADMC_SIM_SITE="$work/site" TSM_PASSWORD=ADMIN \
  "$bin/tsm-discover" gather --dsmadmc-dir "$bin" --login ADMIN --out "$work/replay" >/dev/null

/usr/bin/time -f '%e %M %U %S' -o "$work/time" \
  "$bin/tsm-discover" run --replay "$work/replay" --login ADMIN --password-file "$work/password" \
  --out "$work/out" --only config,clients,media >"$work/run.out"

read -r wall rss_kb user sys <"$work/time"
media_line=$(grep '^  DiscoverMedia' "$work/run.out" || true)
xml_bytes=$(cat "$work"/out/*.xml | wc -c)
echo "site: $libraries libraries, $volumes volumes (half FILE/DISK), $pools pools"
echo "wall time (config, clients, media): ${wall} s (CPU: user ${user} s, system ${sys} s)"
echo "DiscoverMedia (summary row):       ${media_line:-missing}"
echo "peak RSS:                          $((rss_kb / 1024)) MB"
echo "XML written:                       ${xml_bytes} bytes"
