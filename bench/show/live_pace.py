#!/usr/bin/env python3
"""The show at the pace each host draws it on this machine, catching up what it cannot
draw: frames drawn a second, steps of the show's pace a frame (60 a second of music)
and steps a second run undrawn, over the same span of music.

    bench/show/live_pace.py [FROM [SECONDS]]     (defaults 10 and 10)

native: the headless host with its clock on the wall clock (bench/show/show_live), as a
window on this renderer; web: the show's page in headless Chromium on the wall clock
with Web Audio (software WebGL), with the sound buffers that ran dry. Needs build/linux
and build/web (./test.sh web builds both).
"""
import json
import os
import subprocess
import sys

root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
start = sys.argv[1] if len(sys.argv) > 1 else "10"
seconds = sys.argv[2] if len(sys.argv) > 2 else "10"
linux = os.path.join(root, "build", "linux")
native = subprocess.run([os.path.join(linux, "bench", "show", "show_live"), start, seconds], cwd=linux,
                        check=True, stdout=subprocess.PIPE, text=True).stdout
print("music from %s s for %s s, 1280 x 720" % (start, seconds))
print("native headless host, " + native.strip().splitlines()[-1])
page = subprocess.run([sys.executable, os.path.join(root, "tests", "support", "web_runner.py"),
                       os.path.join(root, "build", "web"), os.path.join(root, "tests", "web"),
                       "harness.html?case=live&from=%s&seconds=%s" % (start, seconds), "--timeout", "300"],
                      check=True, stdout=subprocess.PIPE, text=True).stdout
web = json.loads(page.strip().splitlines()[-1])["detail"]
print("web, headless Chromium, live: %.2f frames a second, %.2f steps a frame, %.1f steps a second run undrawn, "
      "%d sound buffers dry" % (web["fps"], web["stepsPerFrame"], web["undrawnPerSecond"], web["dry"]))
