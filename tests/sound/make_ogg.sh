#!/bin/sh
# Ogg Vorbis files for the reader's tests, each with its decode by sox (through
# libvorbisfile, the reference decoder) as raw 16-bit samples: a different signal in
# each stereo channel, a mono file at 22 050 Hz, six channels, and three minutes of
# stereo to stream. sox -R makes the noise the same on every run.
set -e
sox=$1
out=$2
mkdir -p "$out"
cd "$out"
make() { # NAME SECONDS RATE CHANNELS QUALITY SYNTH...
  name=$1 seconds=$2 rate=$3 channels=$4 quality=$5
  shift 5
  "$sox" -R -n -r "$rate" -b 16 -c "$channels" "$name.wav" synth "$seconds" "$@"
  "$sox" -R "$name.wav" -C "$quality" "$name.ogg"
  "$sox" -R -D "$name.ogg" -t raw -e signed-integer -b 16 "$name.raw"
  rm "$name.wav"
}
make stereo 6 44100 2 4 sine 220-880 pinknoise vol 0.8
make mono22k 3 22050 1 2 square 300 vol 0.7
make surround 1 44100 6 3 sine 300 sine 400 sine 500 sine 600 sine 700 sine 800 vol 0.5
make long 180 44100 2 0 sine 200-2000 pinknoise vol 0.5
rm long.raw
