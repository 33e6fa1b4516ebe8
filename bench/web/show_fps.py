#!/usr/bin/env python3
"""The show's frames a second in headless Chromium (software WebGL) against the native
headless host, on the same frames at the same resolution, one run after the other:

    bench/web/show_fps.py [FROM [COUNT]]     (defaults 345 and 60: 11.5 s on, 2 s)

Needs build/linux (data, bench/web/show_pace) and build/web (./test.sh web builds both).
"""
import json
import os
import subprocess
import sys

root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
start = sys.argv[1] if len(sys.argv) > 1 else "345"
count = sys.argv[2] if len(sys.argv) > 2 else "60"
linux = os.path.join(root, "build", "linux")
native = subprocess.run([os.path.join(linux, "bench", "web", "show_pace"), start, count], cwd=linux,
                        check=True, stdout=subprocess.PIPE, text=True).stdout
native_fps = float(native.rsplit("native:", 1)[1].split()[0])
page = subprocess.run([sys.executable, os.path.join(root, "tests", "support", "web_runner.py"),
                       os.path.join(root, "build", "web"), os.path.join(root, "tests", "web"),
                       "harness.html?case=pace&from=%s&count=%s" % (start, count), "--timeout", "300"],
                      check=True, stdout=subprocess.PIPE, text=True).stdout
web_fps = json.loads(page)["detail"]["fps"]
print("frames %s to %s at 1280 x 720" % (start, int(start) + int(count) - 1))
print("native headless host: %.2f frames a second" % native_fps)
print("web, headless Chromium: %.2f frames a second" % web_fps)
print("native / web: %.2f" % (native_fps / web_fps))
