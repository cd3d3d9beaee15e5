#!/bin/sh
# tools/setup.sh -- installs the Debian 12 packages the build, the tests and the demo need,
# only when something is missing.
set -e
# Build: compiler and CMake; the libraries CMake finds (tests, benchmarks, JSON, stb, SDL2,
# Dear ImGui, GL and GLU, FreeType and fontconfig).
BUILD="cmake g++ make pkg-config libgtest-dev libbenchmark-dev nlohmann-json3-dev libstb-dev
 libsdl2-dev libimgui-dev libgl-dev libglu1-mesa-dev libfreetype-dev libfontconfig-dev"
# Run time: the font the text overlay matches for Arial; EGL and Mesa's software renderer
# for SDL's offscreen driver (the headless runs and the screenshots).
RUN="fonts-liberation2 libegl1 libegl-mesa0 libgl1-mesa-dri"
# Tests: the window test's X server and its input driver; assimp for the readers' cross-check.
TESTS="xvfb xdotool libassimp-dev"
missing=""
for p in $BUILD $RUN $TESTS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
