#!/usr/bin/env bash
# Builds the plug-in and the tools, then runs a whole discovery job against
# the dsmadmc simulator and the bundled sample site. Replies land in
# out/demo (or the directory given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target tsm-discover dsmadmc tsmplugin
out="${1:-out/demo}"
exec build/bin/tsm-discover demo --out "$out"
