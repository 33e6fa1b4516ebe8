#!/usr/bin/env python3
"""Runs one page of the web build in Firefox ESR and waits for its verdict, as
web_runner.py does in Chromium:

    firefox_runner.py SITE_DIR TESTS_DIR PAGE [--timeout S] [--frames-out DIR]

Serves SITE_DIR at / and TESTS_DIR at /tests/ as web_runner.py does, starts an X
display of its own (Xvfb: Firefox checks its GL on one, headless too) and Firefox
headless in a private profile with its Marionette remote protocol on, and opens
/tests/PAGE through Marionette. A page asks for what only a user can give by POSTing
JSON to /action: {"click": "CSS selector"} clicks the middle of that element,
{"key": "Escape"} presses and releases that key; the runner gives each through
Marionette's actions, which the page gets as a visitor's own (trusted) events.
Firefox has no sound device here: its sound goes to ALSA with a configuration whose
default device does not exist (cmake/alsa-none.conf), as on a machine without one.
Prints the page's result; exits 0 when ok, 1 when not or when the time ran out.
Firefox, the display and all they started end with it.
"""
import argparse
import json
import os
import queue
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

import web_runner

HERE = os.path.dirname(os.path.abspath(__file__))
ALSA_NONE = os.path.join(HERE, "..", "..", "cmake", "alsa-none.conf")
ELEMENT = "element-6066-11e4-a52e-4f735466cecf"  # the WebDriver name of an element reference
KEYS = {"Escape": "\ue00c", "Enter": "\ue007", "ArrowLeft": "\ue012", "ArrowRight": "\ue014"}
PREFS = {
    "marionette.port": 0,  # any free port, written to MarionetteActivePort in the profile
    "media.cubeb.backend": "alsa",
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "app.update.disabledForTesting": True,
}


def start_display(scratch):
    """Xvfb on a display number it picks itself (-displayfd): (process, ':N')."""
    read, write = os.pipe()
    log = open(os.path.join(scratch, "xvfb.log"), "w")
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                            start_new_session=True)
    os.close(write)
    number = b""
    with os.fdopen(read, "rb") as pipe:
        while not number.endswith(b"\n"):
            got = pipe.read(1)
            if not got:
                break
            number += got
    if not number.strip():
        raise RuntimeError("Xvfb gave no display number")
    return xvfb, ":" + number.decode().strip()


class Marionette:
    """The few commands of Firefox's remote protocol the runner needs: each message is
    its length in decimal, a colon and JSON; a command [0, id, name, parameters] gets
    [1, id, error, result]."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=60)
        self.buffer = b""
        self.next_id = 0
        self.receive()  # the server's greeting

    def receive(self):
        while b":" not in self.buffer:
            self.buffer += self.recv_some()
        length, rest = self.buffer.split(b":", 1)
        while len(rest) < int(length):
            rest += self.recv_some()
        self.buffer = rest[int(length):]
        return json.loads(rest[:int(length)].decode("utf-8"))

    def recv_some(self):
        data = self.sock.recv(65536)
        if not data:
            raise ConnectionError("Marionette closed the connection")
        return data

    def command(self, name, parameters=None):
        self.next_id += 1
        body = json.dumps([0, self.next_id, name, parameters or {}]).encode("utf-8")
        self.sock.sendall(str(len(body)).encode() + b":" + body)
        while True:
            reply = self.receive()
            if reply[0] == 1 and reply[1] == self.next_id:
                break
        if reply[2]:
            raise RuntimeError("%s: %s" % (name, reply[2].get("message", reply[2])))
        return reply[3]

    def click(self, selector):
        found = self.command("WebDriver:FindElement", {"using": "css selector", "value": selector})
        element = found["value"] if "value" in found else found
        self.command("WebDriver:PerformActions", {"actions": [{
            "type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
            "actions": [{"type": "pointerMove", "duration": 0, "origin": element, "x": 0, "y": 0},
                        {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}]})
        self.command("WebDriver:ReleaseActions")

    def key(self, name):
        value = KEYS[name]
        self.command("WebDriver:PerformActions", {"actions": [{
            "type": "key", "id": "keyboard",
            "actions": [{"type": "keyDown", "value": value}, {"type": "keyUp", "value": value}]}]})
        self.command("WebDriver:ReleaseActions")


def start_firefox(scratch, display):
    firefox = shutil.which("firefox-esr") or shutil.which("firefox")
    if not firefox:
        raise RuntimeError("no firefox-esr here (Debian package firefox-esr)")
    profile = os.path.join(scratch, "profile")
    os.mkdir(profile)
    with open(os.path.join(profile, "user.js"), "w") as prefs:
        for name, value in PREFS.items():
            prefs.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))
    env = dict(os.environ, DISPLAY=display, HOME=scratch, ALSA_CONFIG_PATH=os.path.abspath(ALSA_NONE),
               MOZ_CRASHREPORTER_DISABLE="1")
    env.pop("WAYLAND_DISPLAY", None)
    log = open(os.path.join(scratch, "firefox.log"), "w")
    browser = subprocess.Popen([firefox, "--headless", "--marionette", "--no-remote", "--profile", profile,
                                "--window-size=1280,720", "about:blank"],
                               env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    port_file = os.path.join(profile, "MarionetteActivePort")
    deadline = time.monotonic() + 60
    while not os.path.exists(port_file) or not open(port_file).read().strip():
        if browser.poll() is not None or time.monotonic() > deadline:
            raise RuntimeError("Firefox opened no Marionette port (exit %s)" % browser.poll())
        time.sleep(0.1)
    return browser, int(open(port_file).read().strip())


def stop(process):
    if process is None:
        return
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("site")
    parser.add_argument("tests")
    parser.add_argument("page")
    parser.add_argument("--timeout", type=float, default=90)
    parser.add_argument("--frames-out")
    args = parser.parse_args()

    server, verdict, base = web_runner.serve(args.site, args.tests, args.frames_out)
    scratch = tempfile.mkdtemp(prefix="fenk-firefox-")
    xvfb = browser = None
    try:
        xvfb, display = start_display(scratch)
        browser, port = start_firefox(scratch, display)
        marionette = Marionette(port)
        marionette.command("WebDriver:NewSession", {"capabilities": {"pageLoadStrategy": "none"}})
        marionette.command("WebDriver:Navigate", {"url": base + "/tests/" + args.page})
        deadline = time.monotonic() + args.timeout
        while not verdict.done.is_set() and time.monotonic() < deadline and browser.poll() is None:
            try:
                action = verdict.actions.get(timeout=0.1)
            except queue.Empty:
                continue
            if "click" in action:
                marionette.click(action["click"])
            elif "key" in action:
                marionette.key(action["key"])
        result = web_runner.report(verdict, args.page, args.timeout, "firefox", browser.poll())
    except (OSError, RuntimeError) as error:
        print("%s: %s" % (args.page, error))
        result = 1
    finally:
        stop(browser)
        stop(xvfb)
        server.shutdown()
    if result:
        # What Firefox said of itself, for whoever reads a failure.
        try:
            with open(os.path.join(scratch, "firefox.log"), errors="replace") as log:
                print("firefox's last lines:\n" + "".join(log.readlines()[-15:]))
        except OSError:
            pass
    shutil.rmtree(scratch, ignore_errors=True)
    return result


if __name__ == "__main__":
    sys.exit(main())
