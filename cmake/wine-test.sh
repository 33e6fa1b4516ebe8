#!/usr/bin/env bash
# The Windows build's emulator: runs a test program through wine-run.sh, as ctest's child.
# Once in many hundred starts under load, wine64 has ended a test program with a failure
# and no output 10 ms after it started: too soon to have run any of it (a program that
# runs takes 60 ms or more here). Such an end gets one more start, said on stderr;
# whatever the program itself does is left as it is.
# Programs watched from outside by their process id run through wine-run.sh itself,
# whose process becomes the program's.
run=$(dirname "$0")/wine-run.sh
start=$(date +%s%N)
# The program dies with this script (ctest ending a test kills it) and is passed its
# TERM; it reads this script's input, not the /dev/null a background command gets.
setpriv --pdeathsig KILL -- "$run" "$@" <&0 &
child=$!
trap 'kill -TERM $child 2>/dev/null' TERM INT HUP
while :; do
  wait $child
  rc=$?
  kill -0 $child 2>/dev/null || break
done
trap - TERM INT HUP
elapsed=$((($(date +%s%N) - start) / 1000000))
if [ "$rc" -ne 0 ] && [ "$elapsed" -lt 30 ]; then
  echo "wine-test: wine64 ended with status $rc after $elapsed ms, before $1 could run; starting it again" >&2
  exec "$run" "$@"
fi
exit "$rc"
