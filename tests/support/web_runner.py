#!/usr/bin/env python3
"""Runs one page of the web build in headless Chromium and waits for its verdict.

    web_runner.py SITE_DIR TESTS_DIR PAGE [--timeout S] [--frames-out DIR]

Serves SITE_DIR (the web build: index.html, show_web.js/.wasm/.data) at / and
TESTS_DIR (the test pages) at /tests/ on 127.0.0.1 at a free port, opens
/tests/PAGE in Chromium (headless, software GL, sound allowed without a gesture, a
private profile folder), and waits until the page POSTs its result to /result as
JSON: {"ok": bool, "detail": ...}. Frames a page POSTs to /frame/N (raw RGBA, top
row first, width and height in the X-Width / X-Height headers) are written to
--frames-out as N.rgba with a N.size text beside. Prints the result; exits 0 when ok,
1 when not or when the time ran out. Chromium and all it started end with it.
firefox_runner.py beside it serves the same way (serve, wait_verdict) to Firefox.
"""
import argparse
import http.server
import json
import os
import queue
import shutil
import signal
import socketserver
import subprocess
import sys
import tempfile
import threading
import urllib.parse

CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
    "--enable-unsafe-swiftshader", "--autoplay-policy=no-user-gesture-required",
    "--no-first-run", "--no-default-browser-check", "--disable-extensions",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
    "--window-size=1280,720",
]


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Verdict:
    def __init__(self):
        self.done = threading.Event()
        self.result = None
        # What the page asks a runner that drives its browser to do (POST /action,
        # JSON): a user's gesture a script cannot give.
        self.actions = queue.Queue()


def make_handler(site, tests, verdict, frames_out):
    class Handler(http.server.SimpleHTTPRequestHandler):
        extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                              **{".wasm": "application/wasm", ".js": "text/javascript",
                                 ".data": "application/octet-stream"})

        def translate_path(self, path):
            path = urllib.parse.urlsplit(path).path
            root, rest = (tests, path[len("/tests/"):]) if path.startswith("/tests/") else (site, path)
            parts = [p for p in urllib.parse.unquote(rest).split("/") if p not in ("", ".", "..")]
            return os.path.join(root, *parts)

        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0"))
            body = self.rfile.read(length)
            path = urllib.parse.urlsplit(self.path).path
            if path == "/result":
                try:
                    verdict.result = json.loads(body.decode("utf-8"))
                except ValueError:
                    verdict.result = {"ok": False, "detail": "the page posted no JSON"}
                verdict.done.set()
            elif path == "/action":
                try:
                    verdict.actions.put(json.loads(body.decode("utf-8")))
                except ValueError:
                    pass
            elif path.startswith("/frame/") and frames_out:
                name = os.path.basename(path)
                with open(os.path.join(frames_out, name + ".rgba"), "wb") as f:
                    f.write(body)
                with open(os.path.join(frames_out, name + ".size"), "w") as f:
                    f.write("%s %s\n" % (self.headers.get("X-Width"), self.headers.get("X-Height")))
            self.send_response(204)
            self.end_headers()

        def end_headers(self):
            self.send_header("Cache-Control", "no-store")
            super().end_headers()

        def log_message(self, *args):
            pass

    return Handler


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def serve(site, tests, frames_out=None):
    """The site and the test pages on 127.0.0.1 at a free port: (server, verdict, base URL)."""
    verdict = Verdict()
    server = Server(("127.0.0.1", 0), make_handler(os.path.abspath(site), os.path.abspath(tests),
                                                    verdict, frames_out))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, verdict, "http://127.0.0.1:%d" % server.server_address[1]


def report(verdict, page, timeout, browser, exited):
    """Prints the page's verdict, or why there is none; 0 when the page said ok."""
    if not verdict.done.is_set():
        why = "%s exited with %s" % (browser, exited) if exited is not None else "no result"
        print("%s: %s within %g s" % (page, why, timeout))
        return 1
    print(json.dumps(verdict.result, sort_keys=True))
    return 0 if verdict.result.get("ok") is True else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("site")
    parser.add_argument("tests")
    parser.add_argument("page")
    parser.add_argument("--timeout", type=float, default=90)
    parser.add_argument("--frames-out")
    parser.add_argument("--gesture-required", action="store_true",
                        help="sound starts only after a user's gesture, as for a visitor")
    args = parser.parse_args()
    flags = CHROMIUM_FLAGS
    if args.gesture_required:
        flags = [f for f in flags if not f.startswith("--autoplay-policy=")]

    chromium = find_chromium()
    if not chromium:
        print("no chromium here (Debian package chromium)")
        return 1
    server, verdict, base = serve(args.site, args.tests, args.frames_out)
    profile = tempfile.mkdtemp(prefix="fenk-chromium-")
    browser = subprocess.Popen([chromium] + flags + ["--user-data-dir=" + profile, base + "/tests/" + args.page],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    try:
        verdict.done.wait(args.timeout)
        return report(verdict, args.page, args.timeout, "chromium", browser.poll())
    finally:
        try:
            os.killpg(browser.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        browser.wait()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
