#!/usr/bin/env bash
# Plays the show: installs what is missing, builds the Linux programs, runs the show.
set -uo pipefail
cd "$(dirname "$0")"
source cmake/setup.sh

fenk_install_packages || exit 1
cmake --preset linux >/dev/null && cmake --build --preset linux -j "$(nproc)" || exit 1

if [ ! -x build/linux/show/show_1080 ]; then
  echo "The engine is built, but the show itself is not written yet: there is nothing to play."
  echo "./test.sh builds and tests what exists."
  exit 1
fi
