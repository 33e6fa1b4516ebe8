#!/usr/bin/env bash
# Follows docs/start.md as a reader would, in a scratch folder that stands in for $HOME:
# the engine's build installed where the page installs it, the page's files written
# into mygame/, and its command blocks marked run=<platform> run in order. Then checks
# what the headless run wrote, or, for the web, opens the page in headless Chromium
# (tests/web/start.js: the square, the arrow keys, Escape and the end line).
#   start_test.sh SOURCE_DIR BUILD_DIR linux|windows|web
set -euo pipefail
source_dir=$1
build_dir=$2
platform=$3
scratch=$(mktemp -d "${TMPDIR:-/tmp}/Docs.Start-XXXXXX")
trap 'status=$?; [ $status -eq 0 ] && rm -rf "$scratch" || echo "scratch folder kept: $scratch"' EXIT
export HOME=$scratch
cd "$scratch"

prefix=$HOME/fenk
[ "$platform" = windows ] && prefix=$HOME/fenk-windows
[ "$platform" = web ] && prefix=$HOME/fenk-web
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

mkdir mygame
awk -v run="run=$platform" '
  /^```/ && mode { mode = ""; next }
  /^```[a-z]+ file=/ { split($2, name, "="); out = "mygame/" name[2]; printf "" > out; mode = "file"; next }
  /^```sh / && $2 == run { mode = "run"; next }
  /^```/ { mode = "skip"; next }
  mode == "file" { print > out }
  mode == "run" { print > "commands.sh" }
' "$source_dir/docs/start.md"
[ -s mygame/main.cpp ] && [ -s mygame/CMakeLists.txt ] && [ -s commands.sh ] ||
  { echo "docs/start.md: no main.cpp, CMakeLists.txt or run=$platform commands found"; exit 1; }
bash -euo pipefail commands.sh | tee commands.log

if [ "$platform" = windows ]; then
  [ -f mygame/build-win/mygame.exe ] || { echo "no mygame.exe built"; exit 1; }
  echo "docs/start.md: built mygame.exe"
  exit 0
fi
if [ "$platform" = web ]; then
  site=mygame/build-web/mygame_web
  [ -f $site/index.html ] && [ -f $site/mygame.js ] && [ -f $site/mygame.wasm ] ||
    { echo "no page, mygame.js and mygame.wasm in $site"; exit 1; }
  python3 "$source_dir/tests/support/web_runner.py" $site "$source_dir/tests/web" "harness.html?case=start"
  echo "docs/start.md: the page runs"
  exit 0
fi
[ -x mygame/mygame ] && [ -x mygame/mygame_headless ] || { echo "the pkg-config builds made nothing"; exit 1; }
grep -q "^60 frames presented, pictures in shots$" commands.log || { echo "the headless run did not say what the page says"; exit 1; }
# The square's left edge on the middle row of its first picture and its last.
python3 - shots/mygame_0000.ppm shots/mygame_0059.ppm <<'PY'
import sys
def left_edge(path):
    data = open(path, 'rb').read()
    head = data.split(maxsplit=4)
    width, height = int(head[1]), int(head[2])
    pixels = head[4]
    row = 180
    for x in range(width):
        r, g, b = pixels[(row * width + x) * 3:(row * width + x) * 3 + 3]
        if r > 200 and g > 150 and b < 60:
            return x
    sys.exit(f"{path}: no square on row {row}")
first, last = (left_edge(p) for p in sys.argv[1:])
if last - first != 120:
    sys.exit(f"the square moved {last - first} pixels, the page says 120")
print(f"docs/start.md: square from x {first} to {last}")
PY
