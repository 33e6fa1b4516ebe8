#!/usr/bin/env bash
# Writes a release archive of the show: the three programs, the data folder and a short
# text, all below one folder gravolt-zoppeldraai/.
#   cmake/package.sh linux   PROGRAM_DIR DATA_DIR OUT_DIR  -> OUT_DIR/gravolt-zoppeldraai-linux.tar.gz
#   cmake/package.sh windows PROGRAM_DIR DATA_DIR OUT_DIR  -> OUT_DIR/gravolt-zoppeldraai-windows.zip
#   cmake/package.sh web     WEB_BUILD_DIR DATA_DIR OUT_DIR -> OUT_DIR/gravolt-zoppeldraai-web.zip
# The web archive is a static site: the page, show_web.js, .wasm and .data (the data
# folder packed inside), and the text. PROGRAM_DIR holds show_1080, show_720 and show_1080_full (.exe for Windows); DATA_DIR is
# the data folder the Linux build writes. The programs are stripped copies (the build's
# debug information stays in the build). The archive is written beside its final name
# and renamed when complete, so a failed run leaves no half archive under that name.
set -euo pipefail

usage() {
  echo "usage: cmake/package.sh linux|windows|web PROGRAM_DIR DATA_DIR OUT_DIR" >&2
  exit 2
}
[ $# -eq 4 ] || usage
kind=$1 program_dir=$2 data_dir=$3 out_dir=$4
case "$kind" in
  linux) suffix="" archive=gravolt-zoppeldraai-linux.tar.gz strip_tool=strip ;;
  windows) suffix=.exe archive=gravolt-zoppeldraai-windows.zip strip_tool=x86_64-w64-mingw32-strip ;;
  web) suffix="" archive=gravolt-zoppeldraai-web.zip strip_tool="" ;;
  *) usage ;;
esac
programs=(show_1080 show_720 show_1080_full)
[ "$kind" = web ] && programs=(index.html show_web.js show_web.wasm show_web.data)
for p in "${programs[@]}"; do
  [ -f "$program_dir/$p$suffix" ] || { echo "package: no $program_dir/$p$suffix" >&2; exit 1; }
done
[ -f "$data_dir/revizid.wav" ] || { echo "package: no show data in $data_dir (revizid.wav)" >&2; exit 1; }

mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)
part="$out_dir/$archive.part"
stage=$(mktemp -d)
trap 'rm -rf "$stage" "$part"' EXIT
top="$stage/gravolt-zoppeldraai"
mkdir -p "$top"
# One moment (2026-01-01 00:00 UTC) for the time stamps in the archive, the one that
# strip writes into a Windows program's header included: the same inputs give the same
# tarball, and a zip whose entries differ only in the access and change times CMake's
# zip writer takes from the staged files.
epoch=1767225600
for p in "${programs[@]}"; do
  if [ "$kind" = web ]; then
    cp "$program_dir/$p" "$top/$p"
    chmod 644 "$top/$p"
    continue
  fi
  if command -v "$strip_tool" >/dev/null; then
    SOURCE_DATE_EPOCH=$epoch "$strip_tool" -s -o "$top/$p$suffix" "$program_dir/$p$suffix"
  else
    cp "$program_dir/$p$suffix" "$top/$p$suffix"
  fi
  chmod 755 "$top/$p$suffix"
done
if [ "$kind" != web ]; then
  cp -R "$data_dir" "$top/data"
  chmod -R u=rwX,go=rX "$top/data"
fi

# What the web page downloads, in whole megabytes.
if [ "$kind" = web ]; then
  web_mb=$(( ($(cat "${programs[@]/#/$program_dir/}" | wc -c) + 500000) / 1000000 ))
fi

# The show's length from the music's size (44 100 frames a second, 4 bytes each).
seconds=$(($(stat -c %s "$data_dir/revizid.wav") / (44100 * 4)))
length="$((seconds / 60)) min $((seconds % 60)) s"

{
  cat <<EOF
Gravolt - Zoppeldraai
=====================

A real-time show: one piece of music from its start to its end ($length), with
pictures and caption lines in step with it, seen through a simulated picture tube
(curved glass, colour fringes, rolling scan lines, a swaying camera, fades).
You only watch.

EOF
  if [ "$kind" = web ]; then
    cat <<EOF
Running it (a web browser with WebGL 2 and Web Audio)
-----------------------------------------------------

This folder is a static web site: put it on any web server and open its address
(index.html). Browsers do not run it from a file:// address. To watch it on this
computer, serve the folder with Python and open the address it prints:

  cd gravolt-zoppeldraai
  python3 -m http.server --bind 127.0.0.1 8000
  (then open http://127.0.0.1:8000/ in the browser)

The page loads about $web_mb MB, then asks you to click or press a key: browsers start
sound only after a gesture, and the show keeps time by its music. The picture fills
the browser window at the show's aspect.
EOF
  elif [ "$kind" = windows ]; then
    cat <<EOF
Running it (Windows, 64-bit, OpenGL 2.1 graphics)
---------------------------------------------------

Unpack the whole folder and start one of the programs in it; each reads the folder
"data" beside it (from a command prompt, start it from this folder):

  show_1080.exe        1920 x 1080 in a window
  show_720.exe         1280 x 720 in a window
  show_1080_full.exe   1920 x 1080 full screen

The programs need nothing to be installed.
EOF
  else
    cat <<EOF
Running it (Linux, 64-bit x86, OpenGL 2.1 graphics)
---------------------------------------------------

Run a program from this folder; each reads the folder "data" in the folder it is
started from:

  cd gravolt-zoppeldraai
  ./show_1080          1920 x 1080 in a window
  ./show_720           1280 x 720 in a window
  ./show_1080_full     1920 x 1080 full screen

The programs use SDL2, Xlib, GLEW and the system's OpenGL. On Debian 12 these
packages bring them (with an X11 or Wayland desktop):

  sudo apt-get install libsdl2-2.0-0 libx11-6 libglew2.2 libgl1 libglx0 \
    libopengl0 libegl1 libgl1-mesa-dri
EOF
  fi
  cat <<EOF

Without a sound card the show plays in silence at its real pace.

Keys
----

  Escape              ends the show
  closing the window  ends it at once

The show ends by itself when the music is over.

Credits
-------

  code      Bitsnoeper
  graphics  Kleurkwast
  music     Zaagtand
  engine    Rekenlat

Made with FENK in 2026.

Greetings to Pixelpolder, Kabeljauw Krew, Nulpunkt, Vectorvla, Schuimspaan,
Bliksembende, Koperdraad, Tegeltjeswijsheid, Drempelwaarde, Ruisfabriek, Hoekpunt,
Sinusvis, Datadijk, Bitmolen, Stroopwafel Scene and you!

Stem op de demoportal!
EOF
} >"$top/README.txt"
# Windows' own editors want CRLF line ends.
if [ "$kind" = windows ]; then sed -i 's/$/\r/' "$top/README.txt"; fi
chmod 644 "$top/README.txt"

# Entries in name order with fixed times and owners.
# The zip lists files only: CMake's tar adds a folder named in the list with all it holds.
if [ "$kind" = windows ] || [ "$kind" = web ]; then
  (cd "$stage" && find gravolt-zoppeldraai -type f -print | LC_ALL=C sort >files &&
    cmake -E tar cf "$part" --format=zip --mtime="2026-01-01 00:00:00 UTC" --files-from=files)
else
  (cd "$stage" && find gravolt-zoppeldraai -print | LC_ALL=C sort >files &&
    tar --no-recursion --owner=0 --group=0 --numeric-owner --mtime=@$epoch \
    --format=gnu -cf - -T files | gzip -9n >"$part")
fi
mv -f "$part" "$out_dir/$archive"
echo "$out_dir/$archive"
