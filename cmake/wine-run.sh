#!/usr/bin/env bash
# Runs a Windows program under wine64 with the project's own quiet Wine prefix, the script
# becoming the program's process (tests watch its windows by process id). ctest runs the
# Windows build's test programs through wine-test.sh, which calls this.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/.cache/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# No sound card here: waveOut opens on ALSA's null PCM unless a test names another configuration.
export ALSA_CONFIG_PATH="${ALSA_CONFIG_PATH:-$root/cmake/alsa-null.conf}"
# Mesa's shader cache writes from a thread of its own; a program that ends while that
# write is stuck on a busy disk stays alive for seconds after TerminateProcess.
export MESA_SHADER_CACHE_DISABLE="${MESA_SHADER_CACHE_DISABLE:-true}"
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
exec "$wine" "$@"
