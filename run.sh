#!/usr/bin/env bash
# Plays the show: installs what is missing, builds the Linux programs and the data,
# and runs the show in a window from the build folder, which holds `data`.
#   ./run.sh         1920 x 1080 in a window
#   ./run.sh 720     1280 x 720 in a window
#   ./run.sh full    1920 x 1080 full screen
#   ./run.sh web     the show in a browser: builds the web build and serves it on
#                    127.0.0.1 (FENK_WEB_PORT, 8000 unless set) until Ctrl+C
#   ./run.sh package the release archives in out/ (Windows zip, Linux tarball, web zip)
# Escape ends the show early; closing the window ends it at once. Without a display
# it renders the whole show to out/show.mp4 with show_capture instead.
set -uo pipefail
cd "$(dirname "$0")"
source cmake/setup.sh

case "${1:-1080}" in
  1080) program=show_1080 ;;
  720) program=show_720 ;;
  full) program=show_1080_full ;;
  package) program="" ;;
  web) program=web ;;
  *) echo "usage: ./run.sh [1080|720|full|web|package]"; exit 2 ;;
esac

fenk_install_packages || exit 1

if [ -z "$program" ]; then
  # The Linux programs and the data, then the Windows programs, which use that data.
  cmake --preset linux >/dev/null &&
    cmake --build --preset linux -j "$(nproc)" --target show_1080 show_720 show_1080_full data webdata || exit 1
  cmake/fetch-glew.sh || exit 1
  cmake --preset windows >/dev/null &&
    cmake --build --preset windows -j "$(nproc)" --target show_1080 show_720 show_1080_full || exit 1
  cmake --preset web >/dev/null && cmake --build --preset web -j "$(nproc)" --target show_web || exit 1
  cmake/package.sh linux build/linux/show build/linux/data out >/dev/null &&
    cmake/package.sh windows build/windows/show build/linux/data out >/dev/null &&
    cmake/package.sh web build/web build/linux/data out >/dev/null || exit 1
  ls -l out/gravolt-zoppeldraai-linux.tar.gz out/gravolt-zoppeldraai-windows.zip out/gravolt-zoppeldraai-web.zip
  exit 0
fi

if [ "$program" = web ]; then
  # The web build packs the Linux build's data, in the forms the page reads (webdata).
  cmake --preset linux >/dev/null && cmake --build --preset linux -j "$(nproc)" --target webdata || exit 1
  cmake --preset web >/dev/null && cmake --build --preset web -j "$(nproc)" --target show_web || exit 1
  port=${FENK_WEB_PORT:-8000}
  echo "The show is served at http://127.0.0.1:$port/"
  echo "Open that address in a browser (for example: chromium http://127.0.0.1:$port/),"
  echo "click or press a key to start it; Ctrl+C here stops the server."
  exec python3 -m http.server --bind 127.0.0.1 --directory build/web "$port"
fi
cmake --preset linux >/dev/null && cmake --build --preset linux -j "$(nproc)" || exit 1

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set): rendering"
  echo "the whole show to out/show.mp4 instead (about ten minutes on two cores)."
  root=$PWD
  mkdir -p out || exit 1
  (cd build/linux && ./show/show_capture --mode "${1:-1080}" --out "$root/out/show.mp4" >/dev/null) || exit 1
  if command -v ffmpeg >/dev/null; then
    echo "The show is in $root/out/show.mp4"
  else
    echo "The show's frames and sound are in $root/out/show/ (no ffmpeg for an MP4)"
  fi
  exit 0
fi

cd build/linux && exec "./show/$program"
