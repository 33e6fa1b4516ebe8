#!/usr/bin/env python3
"""The web build's tests, one case per call, each in a browser of its own (headless
Chromium, or Firefox ESR with --firefox):

    web_test.py SITE TESTS_DIR [--firefox] smoke|clock|escape|missing|gate|saves|silent
    web_test.py SITE TESTS_DIR [--firefox] frames SHOW_CAPTURE LINUX_BUILD
    web_test.py SITE TESTS_DIR packaged PACKAGE_SH DATA_DIR
    web_test.py SITE TESTS_DIR [--firefox] example NAME [TEXT]

example: the example NAME in its page (build/web/examples/NAME.html, the engine's page
template) on the virtual clock: 60 frames, then Escape; its printed lines (and TEXT)
and the end line with exit code 0 on the page, no abort.
close: breakout in its page, the page going away under it (it catches the close).
saves: breakout's high score saved, the page loaded again, the score read back.
silent: the show's page in a browser that never starts sound (Firefox without a sound
device): a real click opens the gate, the show plays silently on the host clock and
the page says so, a real Escape ends it.

frames: the show in the page on the virtual clock (30 frames a second, frames before
11.5 s run undrawn) against show_capture's frames of the same run on the headless
host; each compared frame must lie within FRAME_RMSE of it, with at most FRAME_OFF of
its pixels off by more than 3 % in a channel. The C library's rand() differs between
glibc and the web's musl, and WebGL's rasteriser is not Mesa's: equal bytes are not
expected. The capture's video frame N shows the frame presented as N - 1 (its frame 0
is the black before the first), the page's frame numbers count presentations.
gate: the show's page as a visitor's browser opens it (sound only after a gesture):
the start gate stands and no frame is presented.
packaged: the web zip unpacked into a folder of its own, served as any static site.
realpace: the show at the pace the software renderer manages, on the wall clock with
Web Audio (no virtual clock): the frames drawn after 10, 20 and 30 s of music against
the capture's frames of the same step of the show's pace, within the limits of
`frames`, none darker than four fifths of the capture's.
"""
import json
import os
import subprocess
import sys
import tempfile
import urllib.parse
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
RUNNERS = {"chromium": os.path.join(HERE, "..", "support", "web_runner.py"),
           "firefox": os.path.join(HERE, "..", "support", "firefox_runner.py")}
FRAME_RMSE = 1.0  # per cent of full scale
FRAME_OFF = 0.5  # per cent of pixels
FIRST, LAST = 345, 347  # 11.5 s to 11.57 s at 30 frames a second: the title over a picture


def run_page(site, tests, page, timeout=120, frames_out=None, gesture_required=False, browser="chromium",
             verdict=None):
    command = [sys.executable, RUNNERS[browser], site, tests, page, "--timeout", str(timeout)]
    if frames_out:
        command += ["--frames-out", frames_out]
    if gesture_required:
        command += ["--gesture-required"]
    result = subprocess.run(command, stdout=subprocess.PIPE, text=True)
    print(result.stdout[:4000])
    if verdict is not None:
        try:
            verdict.update(json.loads(result.stdout.strip().splitlines()[-1]))
        except (ValueError, IndexError):
            pass
    return result.returncode


def png_rgb(path):
    """The picture's bytes, RGB top row first, through ImageMagick (a set-up package)."""
    return subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, stdout=subprocess.PIPE).stdout


def compare(web_rgba, width, height, native_rgb):
    """RMSE in per cent and the per cent of pixels off by more than 3 % in a channel."""
    row = width * 4
    # The canvas is read bottom row first.
    flipped = b"".join(web_rgba[(height - 1 - y) * row:(height - y) * row] for y in range(height))
    web_rgb = bytearray(width * height * 3)
    web_rgb[0::3] = flipped[0::4]
    web_rgb[1::3] = flipped[1::4]
    web_rgb[2::3] = flipped[2::4]
    if len(native_rgb) != len(web_rgb):
        return 100.0, 100.0
    squares = 0
    off = 0
    for i in range(0, len(web_rgb), 3):
        worst = 0
        for c in (0, 1, 2):
            d = web_rgb[i + c] - native_rgb[i + c]
            squares += d * d
            if d < 0:
                d = -d
            if d > worst:
                worst = d
        if worst > 7.65:
            off += 1
    rmse = (squares / len(web_rgb)) ** 0.5 / 255 * 100
    return rmse, off * 100.0 / (width * height)


def frames_case(site, tests, show_capture, linux_build, browser):
    with tempfile.TemporaryDirectory(prefix="fenk-web-frames-") as scratch:
        native = os.path.join(scratch, "native")
        subprocess.run([show_capture, "--mode", "720", "--fps", "30", "--rate", "30", "--from",
                        str(FIRST / 30), "--to", str((LAST + 0.5) / 30), "--frames", native],
                       cwd=linux_build, check=True, stdout=subprocess.DEVNULL)
        web = os.path.join(scratch, "web")
        os.mkdir(web)
        wanted = ",".join(str(n - 1) for n in range(FIRST, LAST + 1))
        if run_page(site, tests, "harness.html?case=frames&from=%d&frames=%s" % (FIRST - 1, wanted),
                    frames_out=web, browser=browser) != 0:
            return 1
        failed = 0
        for n in range(FIRST, LAST + 1):
            with open(os.path.join(web, "%d.size" % (n - 1))) as f:
                width, height = (int(v) for v in f.read().split())
            with open(os.path.join(web, "%d.rgba" % (n - 1)), "rb") as f:
                rgba = f.read()
            rmse, off = compare(rgba, width, height, png_rgb(os.path.join(native, "frame%06d.png" % n)))
            good = rmse <= FRAME_RMSE and off <= FRAME_OFF
            print("frame %d: RMSE %.3f %%, %.3f %% of pixels off by more than 3 %% (%s)" %
                  (n, rmse, off, "ok" if good else "over %.1f %% / %.1f %%" % (FRAME_RMSE, FRAME_OFF)))
            failed += not good
        return 1 if failed else 0


def capture_frame(show_capture, linux_build, folder, step):
    """The capture's frame of the show's step `step` at 720 (its video frame `step` at 60
    frames a second), as RGB bytes."""
    subprocess.run([show_capture, "--mode", "720", "--fps", "60", "--from", str((step - 0.5) / 60), "--to",
                    str((step + 0.5) / 60), "--frames", folder], cwd=linux_build, check=True,
                   stdout=subprocess.DEVNULL)
    return png_rgb(os.path.join(folder, "frame%06d.png" % step))


def realpace_case(site, tests, show_capture, linux_build):
    with tempfile.TemporaryDirectory(prefix="fenk-web-realpace-") as scratch:
        web = os.path.join(scratch, "web")
        os.mkdir(web)
        verdict = {}
        if run_page(site, tests, "harness.html?case=realpace", timeout=150, frames_out=web, verdict=verdict) != 0:
            return 1
        frames = verdict["detail"]["frames"]
        failed = 0
        for frame in frames:
            step = frame["steps"]
            with open(os.path.join(web, "%d.size" % step)) as f:
                width, height = (int(v) for v in f.read().split())
            with open(os.path.join(web, "%d.rgba" % step), "rb") as f:
                rgba = f.read()
            native = capture_frame(show_capture, linux_build, os.path.join(scratch, "native%d" % step), step)
            rmse, off = compare(rgba, width, height, native)
            lit = sum(rgba[0::4]) + sum(rgba[1::4]) + sum(rgba[2::4])
            dark = lit < 0.8 * sum(native)
            good = rmse <= FRAME_RMSE and off <= FRAME_OFF and not dark
            print("%.2f s of music, step %d (frame %d): RMSE %.3f %%, %.3f %% of pixels off by more than 3 %%, "
                  "%.0f %% of the capture's light (%s)" %
                  (frame["position"] / 44100, step, frame["frame"], rmse, off, 100.0 * lit / max(sum(native), 1),
                   "ok" if good else "over the limits"))
            failed += not good
        return 1 if failed else 0


def packaged_case(tests, package_sh, data_dir, site):
    with tempfile.TemporaryDirectory(prefix="fenk-web-zip-") as scratch:
        subprocess.run([package_sh, "web", site, data_dir, scratch], check=True, stdout=subprocess.DEVNULL)
        with zipfile.ZipFile(os.path.join(scratch, "gravolt-zoppeldraai-web.zip")) as archive:
            names = archive.namelist()
            archive.extractall(scratch)
        top = os.path.join(scratch, "gravolt-zoppeldraai")
        expected = {"index.html", "show_web.js", "show_web.wasm", "show_web.data", "README.txt"}
        present = {n.split("/", 1)[1] for n in names if "/" in n}
        if present != expected:
            print("the zip holds %s, not %s" % (sorted(present), sorted(expected)))
            return 1
        return run_page(top, tests, "harness.html?case=smoke")


def main():
    site, tests = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    rest = sys.argv[3:]
    browser = "chromium"
    if rest[:1] == ["--firefox"]:
        browser, rest = "firefox", rest[1:]
    case, rest = rest[0], rest[1:]
    if case == "frames":
        return frames_case(site, tests, os.path.abspath(rest[0]), os.path.abspath(rest[1]), browser)
    if case == "example":
        page = "harness.html?case=example&page=/examples/%s.html" % rest[0]
        if len(rest) > 1:
            page += "&expect=" + urllib.parse.quote(rest[1])
        return run_page(site, tests, page, browser=browser)
    if case == "realpace":
        return realpace_case(site, tests, os.path.abspath(rest[0]), os.path.abspath(rest[1]))
    if case == "close":
        return run_page(site, tests, "harness.html?case=close&page=/examples/breakout.html", browser=browser)
    if case == "saves":
        return run_page(site, tests, "harness.html?case=saves&page=/examples/breakout.html", browser=browser)
    if case == "packaged":
        return packaged_case(tests, os.path.abspath(rest[0]), os.path.abspath(rest[1]), site)
    if case == "gate":
        return run_page(site, tests, "harness.html?case=gate", gesture_required=True)
    return run_page(site, tests, "harness.html?case=" + case, browser=browser)


if __name__ == "__main__":
    sys.exit(main())
