#!/usr/bin/env python3
"""The show's page as a visitor gets it, in headless Chromium: the bytes downloaded, the
time from navigation to the start gate, and from the click on the gate to the first
frame; on this machine's loopback and on a throttled line (DevTools' network
conditions: 50 Mbit/s down, 20 ms latency, the cache off), each the median of RUNS.

    bench/web/page_load.py [SITE [RUNS]]     (defaults build/web and 3)

Chromium is driven through its DevTools protocol on a pipe (--remote-debugging-pipe):
the click is a real one (Input.dispatchMouseEvent), the bytes are what the network
layer counted (Network.loadingFinished), the times the page's own clock (a script put
in before the page's own: the gate shown, the click, Module.fenkOnFrame(0)).
"""
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import web_runner  # noqa: E402  (the test's server and Chromium's flags)

LINE = {"offline": False, "latency": 20, "downloadThroughput": 50e6 / 8, "uploadThroughput": 50e6 / 8}
WATCH = """
window.fenkBench = {};
addEventListener('pointerdown', function (e) { fenkBench.click = performance.now(); }, true);
new MutationObserver(function () {
  var gate = document.getElementById('fenk-gate');
  if (gate && !fenkBench.gate && getComputedStyle(gate).display != 'none') fenkBench.gate = performance.now();
  if (window.Module && !Module.fenkOnFrame)
    Module.fenkOnFrame = function (n) { if (n == 0) fenkBench.frame = performance.now(); };
}).observe(document, { subtree: true, childList: true, attributes: true });
"""


class DevTools:
    """Messages are JSON, each ended by a zero byte: commands into fd 3, replies and
    events out of fd 4."""

    def __init__(self, chromium, flags):
        to_browser, self.commands = os.pipe()
        self.replies, from_browser = os.pipe()
        self.profile = tempfile.mkdtemp(prefix="fenk-bench-")
        shell = 'exec "$0" "$@" 3<&%d 4>&%d' % (to_browser, from_browser)
        self.browser = subprocess.Popen(["bash", "-c", shell, chromium] + flags +
                                        ["--remote-debugging-pipe", "--user-data-dir=" + self.profile, "about:blank"],
                                        pass_fds=(to_browser, from_browser), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(to_browser)
        os.close(from_browser)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})
            self.events.append(reply)

    def receive(self):
        while b"\0" not in self.buffer:
            data = os.read(self.replies, 1 << 16)
            if not data:
                raise ConnectionError("Chromium closed its pipe")
            self.buffer += data
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def close(self):
        try:
            os.killpg(self.browser.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.browser.wait()
        os.close(self.commands)
        os.close(self.replies)
        shutil.rmtree(self.profile, ignore_errors=True)


def one_visit(url, throttled):
    flags = [f for f in web_runner.CHROMIUM_FLAGS if not f.startswith("--autoplay-policy=")]
    tools = DevTools(web_runner.find_chromium(), flags)
    try:
        target = next(t for t in tools.send("Target.getTargets")["targetInfos"] if t["type"] == "page")
        session = tools.send("Target.attachToTarget", {"targetId": target["targetId"], "flatten": True})["sessionId"]
        tools.send("Page.enable", session=session)
        tools.send("Network.enable", session=session)
        tools.send("Network.setCacheDisabled", {"cacheDisabled": True}, session=session)
        if throttled:
            tools.send("Network.emulateNetworkConditions", LINE, session=session)
        tools.send("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH}, session=session)
        tools.send("Page.navigate", {"url": url}, session=session)

        def page(expression):
            got = tools.send("Runtime.evaluate", {"expression": expression, "returnByValue": True}, session=session)
            return got.get("result", {}).get("value")

        deadline = time.monotonic() + 300
        while not page("window.fenkBench && fenkBench.gate") and time.monotonic() < deadline:
            time.sleep(0.02)
        for kind in ("mousePressed", "mouseReleased"):
            tools.send("Input.dispatchMouseEvent", {"type": kind, "x": 640, "y": 360, "button": "left", "clickCount": 1},
                       session=session)
        while not page("fenkBench.frame") and time.monotonic() < deadline:
            time.sleep(0.02)
        times = page("fenkBench")
        downloaded = sum(e["params"]["encodedDataLength"] for e in tools.events
                         if e.get("method") == "Network.loadingFinished")
        return downloaded, times["gate"] / 1000, (times["frame"] - times["click"]) / 1000
    finally:
        tools.close()


def main():
    site = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "web"))
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    server, _, base = web_runner.serve(site, os.path.join(ROOT, "tests", "web"))
    try:
        for throttled in (False, True):
            visits = [one_visit(base + "/index.html", throttled) for _ in range(runs)]
            downloaded, gate, frame = (statistics.median(v[i] for v in visits) for i in range(3))
            print("%s: %.1f MB downloaded, the gate after %.2f s, the first frame %.2f s after the click" %
                  ("50 Mbit/s, 20 ms" if throttled else "loopback", downloaded / 1e6, gate, frame))
    finally:
        server.shutdown()


if __name__ == "__main__":
    main()
