#!/usr/bin/env bash
# Plays the show: installs what is missing, builds the Linux programs and the data,
# and runs the show in a window from the build folder, which holds `data`.
#   ./run.sh         1920 x 1080 in a window
#   ./run.sh 720     1280 x 720 in a window
#   ./run.sh full    1920 x 1080 full screen
# Escape ends the show early; closing the window ends it at once.
set -uo pipefail
cd "$(dirname "$0")"
source cmake/setup.sh

case "${1:-1080}" in
  1080) program=show_1080 ;;
  720) program=show_720 ;;
  full) program=show_1080_full ;;
  *) echo "usage: ./run.sh [1080|720|full]"; exit 2 ;;
esac

fenk_install_packages || exit 1
cmake --preset linux >/dev/null && cmake --build --preset linux -j "$(nproc)" || exit 1

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the show"
  echo "cannot open its window. On a desktop, run ./run.sh there."
  exit 1
fi

cd build/linux && exec "./show/$program"
