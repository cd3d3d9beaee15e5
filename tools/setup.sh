#!/bin/sh
# tools/setup.sh -- installs the Debian 12 packages the build, the tests and the demo need,
# only when something is missing.
set -e
PACKAGES="cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libstb-dev
 libsdl2-dev libimgui-dev libglu1-mesa-dev libgl-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
 libfreetype-dev libfontconfig-dev fonts-liberation2 xvfb xdotool libassimp-dev assimp-utils"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
