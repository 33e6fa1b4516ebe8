# Shared by test.sh and run.sh: what a fresh Debian 12 machine needs, and Wine's prefix.

FENK_PACKAGES=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  libsdl2-dev libglew-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0 libxtst-dev
  libfreetype-dev fonts-dejavu-core
  googletest libgtest-dev libbenchmark-dev libstb-dev zlib1g-dev libpng-dev
  xvfb xauth openbox mingw-w64 wine64 ffmpeg sox imagemagick python3 python3-pil netpbm
  clang libclang-rt-14-dev clang-format
  emscripten chromium firefox-esr
)

# Installs whichever of FENK_PACKAGES is missing (as root, or through sudo).
fenk_install_packages() {
  local missing=() p
  for p in "${FENK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}"; return 1; }
    sudo=sudo
  fi
  $sudo apt-get update -qq &&
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    { echo "Could not install: ${missing[*]}"; return 1; }
}

fenk_wineserver() {
  local s; s=$(command -v wineserver || true)
  [ -n "$s" ] || s=/usr/lib/wine/wineserver
  echo "$s"
}

# Creates the project's Wine prefix once, before tests run in parallel under it, and
# keeps one wineserver running so each test program starts in milliseconds.
fenk_wine_prefix() {
  export WINEPREFIX="${WINEPREFIX:-$PWD/.cache/wineprefix}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== creating Wine prefix in $WINEPREFIX"
    cmake/wine-run.sh wineboot --init >/dev/null 2>&1
    "$(fenk_wineserver)" -w
  fi
  "$(fenk_wineserver)" -p </dev/null >/dev/null 2>&1
  # Start Wine's own services now, detached from any pipe: started by the first test
  # instead, they would hold ctest's output pipe open for as long as the server lives.
  cmake/wine-run.sh wineboot </dev/null >/dev/null 2>&1
  # The same for Wine's desktop process (explorer.exe /desktop), which ends a moment
  # after the last program on the desktop: started again by a test, it held that test's
  # output, and ctest waited for it while other tests kept the desktop up. An idle
  # cmd.exe (reading a pipe that never ends: a FIFO opened both ways) keeps the first
  # desktop up, detached, until the server stops.
  local fifo fd
  fifo=$(mktemp -u)
  if [ -n "${DISPLAY:-}" ] && mkfifo "$fifo"; then
    exec {fd}<>"$fifo"
    rm -f "$fifo"
    setsid cmake/wine-run.sh cmd.exe <&"$fd" >/dev/null 2>&1 &
    exec {fd}>&-
  fi
}

fenk_wine_stop() {
  "$(fenk_wineserver)" -k 2>/dev/null || true
}

# Wine keeps the keyboard's state in its server, for all the programs it runs: a key
# held when its program ended stays held for the next one. A new server starts clean.
fenk_wine_restart() {
  fenk_wine_stop
  "$(fenk_wineserver)" -w 2>/dev/null || true
  fenk_wine_prefix
}
