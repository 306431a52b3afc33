#!/usr/bin/env bash
# Includes of the plug-in's code run one way: the host stand-in includes
# only itself; the core (handler/) includes the host and itself; each
# subsystem includes the host, the core, itself and the subsystems the
# allow-list below names. plugin/ assembles everything and may include any
# of them. Anything else (tools/, tests/, an unknown folder) is refused.
# Usage: include_direction_check.sh SOURCE_DIR
set -euo pipefail
root="$1"

# folder -> folders it may include besides itself
declare -A allowed=(
  [host]=""
  [handler]="host"
  [clients]="host handler"
  [schedules]="host handler"
  [storage]="host handler"
  [jobs]="host handler"
  [plugin]="host handler clients schedules storage jobs"
)
# Cross-subsystem edges, each with its reason.
edges=(
  "clients schedules  # the client builder runs the per-node schedule query"
  "schedules clients  # the tasks name their clients: node records and the node query"
  "jobs clients       # the job discovery walks the node records"
  "jobs storage       # job entries name their storage policy with the storage naming functions"
  "jobs schedules     # the job query runs the node's per-node schedule query before reading its file"
)
for edge in "${edges[@]}"; do
  read -r from to _ <<<"$edge"
  allowed[$from]+=" $to"
done

bad=0
checked=0
for folder in "${!allowed[@]}"; do
  for file in "$root/$folder"/*.h "$root/$folder"/*.cpp; do
    [ -e "$file" ] || continue
    checked=$((checked + 1))
    while IFS=: read -r line target; do
      dir="${target%%/*}"  # the whole name when it has no folder: refused
      if [ "$dir" != "$folder" ] && ! grep -qwF -- "$dir" <<<"${allowed[$folder]}"; then
        echo "$folder/${file##*/}:$line: $folder must not include $target"
        bad=1
      fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
  done
done
# An empty glob would make the check pass vacuously.
if [ "$checked" -lt 20 ]; then
  echo "only $checked files found under $root: wrong source directory?"
  exit 1
fi
[ "$bad" -eq 0 ] || exit 1
echo "includes ok: $checked files"
