#!/usr/bin/env bash
# Builds the Debian package: Release, in build-package/ (a build folder of
# its own), run-time dependencies computed by dpkg-shlibdeps. Prints the
# package's path.
#   scripts/package.sh            then: sudo apt install ./build-package/tsm-discover_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=build-package
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTSM_BUILD_TESTS=OFF -DTSM_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$PWD/$dir"/tsm-discover_*.deb
