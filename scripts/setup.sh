#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the plug-in.
# Idempotent; needs root only when something is missing. chromium (run
# headless) lets the report test look at the page in a real browser.
# The package (scripts/package.sh) needs dpkg-dev (dpkg-shlibdeps computes
# its dependencies) and file (CPack finds the binaries with it); its test
# renders the manual pages with man-db; python3-jsonschema validates the
# JSON the tests write against the schemas of docs/.
set -euo pipefail
need=()
for pkg in g++ cmake ninja-build libgtest-dev libgmock-dev googletest libbenchmark-dev \
           libxml2-dev libxml2-utils libssl-dev chromium dpkg-dev file man-db python3-jsonschema; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
