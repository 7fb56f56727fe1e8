#!/usr/bin/env bash
# Builds the Debian package from the build tree, installs it into this
# machine, starts the installed program, and removes the package again.
#   package_test.sh BUILD_DIR
set -euo pipefail
build_dir=$1

if [ "$(id -u)" -ne 0 ]; then
    echo "installing a package needs root: skipped"
    exit 77
fi
if dpkg-query -W -f='${Status}' kilnova 2>/dev/null | grep -q 'install ok installed'; then
    echo "kilnova is installed already: skipped, to leave that installation alone"
    exit 77
fi

work=$(mktemp -d)
program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    DEBIAN_FRONTEND=noninteractive apt-get remove -y kilnova >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work" >/dev/null
cd "$work"
DEBIAN_FRONTEND=noninteractive apt-get install -y ./kilnova_*.deb >/dev/null

for file in /usr/bin/kilnova /usr/share/applications/org.kilnova.Kilnova.desktop \
            /usr/share/metainfo/org.kilnova.Kilnova.metainfo.xml \
            /usr/share/icons/hicolor/16x16/apps/org.kilnova.Kilnova.png \
            /usr/share/icons/hicolor/32x32/apps/org.kilnova.Kilnova.png \
            /usr/share/icons/hicolor/scalable/apps/org.kilnova.Kilnova.svg; do
    dpkg -L kilnova | grep -qx "$file" || { echo "FAIL: the package does not list $file"; exit 1; }
done

[ "$(command -v kilnova)" = /usr/bin/kilnova ] || { echo "FAIL: kilnova is not on the PATH"; exit 1; }
QT_QPA_PLATFORM=offscreen kilnova &
program=$!
sleep 1
kill -0 "$program" 2>/dev/null || { echo "FAIL: kilnova did not keep running"; exit 1; }
kill -TERM "$program"
status=0
wait "$program" || status=$?
program=
# Ended by the signal, not by an exit of its own.
[ "$status" -eq $((128 + 15)) ] || { echo "FAIL: kilnova ended with status $status on SIGTERM"; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get remove -y kilnova >/dev/null
! dpkg-query -W -f='${Status}' kilnova 2>/dev/null | grep -q 'install ok installed' \
    || { echo "FAIL: kilnova is still installed"; exit 1; }
echo "PASS"
