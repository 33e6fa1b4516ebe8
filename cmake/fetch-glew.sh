#!/usr/bin/env bash
# Unpacks the source of Debian's `glew` package into .cache/glew, for the Windows build.
# apt gets a private source list and state folder under .cache/apt, so the system's
# own apt configuration is neither needed nor touched. Does nothing once unpacked.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/.cache"
dest="$cache/glew"
[ -f "$dest/src/glew.c" ] && [ -f "$dest/include/GL/glew.h" ] && exit 0

apt_dir="$cache/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/download"

# Use the same Debian mirror and suite the machine already installs from.
uri=$(grep -hoE '^(URIs:|deb) +[^ ]*debian/?( |$)' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null \
      | grep -v security | head -n 1 | awk '{print $2}' || true)
uri=${uri:-http://deb.debian.org/debian}
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $suite main" > "$apt_dir/sources.list"

opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
      -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
      -o "APT::Sandbox::User=root" -qq)
echo "Fetching Debian's glew source package for the Windows build"
apt-get "${opts[@]}" update
( cd "$apt_dir/download" && apt-get "${opts[@]}" source --download-only glew )

orig=$(ls "$apt_dir"/download/glew_*.orig.tar.* | head -n 1)
rm -rf "$dest.tmp" && mkdir -p "$dest.tmp"
tar -xf "$orig" -C "$dest.tmp" --strip-components=1
if [ ! -f "$dest.tmp/src/glew.c" ]; then
  echo "glew source package has no generated src/glew.c: $orig" >&2
  exit 1
fi
rm -rf "$dest" && mv "$dest.tmp" "$dest"
echo "glew source unpacked in $dest"
