#!/usr/bin/env bash
# Set-up for ./play and ./run-tests: installs the Debian packages that are
# missing, then configures and builds in build/.
#   scripts/setup.sh play    what building and playing need; builds the game
#                            and its tools and stages build/run/
#   scripts/setup.sh tests   adds the test tools; builds everything
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-play}
case $what in
  play | tests) ;;
  *) echo "usage: scripts/setup.sh [play|tests]" >&2; exit 2 ;;
esac

# The compiler and CMake; Allegro; FreeType and the DejaVu font, from which
# the data baker draws the dialog font.
packages=(
  g++ cmake make pkg-config
  liballegro4-dev
  libfreetype-dev fonts-dejavu-core
)
if [ "$what" = tests ]; then
  packages+=(
    googletest libgtest-dev                 # the unit and end-to-end tests
    xvfb xauth xdotool x11-apps x11-utils imagemagick  # a display to drive and read
    clang libclang-rt-14-dev                # fuzzing with libFuzzer
    desktop-file-utils man-db dpkg-dev file # checking the install and the package:
    debhelper lintian appstream             # dpkg-buildpackage, lintian, appstreamcli
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The tests configure afresh each time, so that a build first made by
# ./play, before GoogleTest was installed, gains its tests.
if [ ! -f build/CMakeCache.txt ] || [ "$what" = tests ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if [ "$what" = tests ]; then
  cmake --build build -j "$(nproc)"
else
  cmake --build build -j "$(nproc)" --target stage
fi
