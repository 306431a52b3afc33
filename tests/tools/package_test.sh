#!/usr/bin/env bash
# The Debian package of a build folder, unpacked under a scratch root
# (dpkg-deb -x), runs the demo and its report, and diff of two demo runs,
# with nothing from the build folder: the dynamic loader's trace of every
# process must not name it. The pages render without warnings; the
# simulator is not on the PATH. scripts/package.sh makes the Release
# package with the same rules; this packs the build folder at hand, which
# proves the same layout at the cost of a cpack run, not a second build.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/setup.sh installs dpkg-dev)"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB -B "$scratch/pkg" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/pkg/*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libxml2' || fail "no computed dependencies: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$scratch/root"
bin=$scratch/root/usr/bin
[ ! -e "$bin/dsmadmc" ] || fail "the simulator is on the PATH"
[ "$("$bin/tsm-discover" --version)" = "tsm-discover $version" ] || fail "--version: $("$bin/tsm-discover" --version)"

export LD_DEBUG=files LD_DEBUG_OUTPUT=$scratch/ld
"$bin/tsm-discover" demo --report --work "$scratch/w1" >"$scratch/out" 2>&1 || { cat "$scratch/out"; fail "demo"; }
"$bin/tsm-discover" demo --work "$scratch/w2" >/dev/null 2>&1 || fail "second demo"
"$bin/tsm-discover" diff "$scratch/w1/replies" "$scratch/w2/replies" >"$scratch/diff" 2>&1 ||
  { cat "$scratch/diff"; fail "diff of two demo runs"; }
unset LD_DEBUG LD_DEBUG_OUTPUT
grep -q "Report in $scratch/w1/replies/report.html" "$scratch/out" || { cat "$scratch/out"; fail "no report"; }
[ -s "$scratch/w1/replies/report.html" ] || fail "empty report"
! grep -l -F "$build" "$scratch"/ld.* || fail "something was loaded from the build folder"
grep -q 'libZYForeignHandlerTSM.so' "$scratch"/ld.* || fail "no trace of the plug-in's loading"

if command -v man >/dev/null; then
  for page in tsm-discover dsmadmc-sim; do
    file=$scratch/root/usr/share/man/man1/$page.1
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  done
else
  echo "man is missing: the pages were not rendered"
fi
echo "package test passed: $(basename "$deb")"
