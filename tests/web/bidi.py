"""Firefox driven over WebDriver BiDi, which it serves itself (Debian has no geckodriver): the
few calls the page's engine tests make, named as the tests' Selenium wrapper names them."""
import base64
import json
import os
import socket
import subprocess
import tempfile
import time

import websocket

PREFS = """
user_pref("media.autoplay.default", 0);
user_pref("media.autoplay.block-webaudio", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
"""


class BidiError(Exception):
    pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Firefox:
    def __init__(self, binary="/usr/bin/firefox-esr", width=1024, height=768, prefs=None):
        """prefs: more preferences, name -> value, as user.js takes them."""
        self.profile = tempfile.TemporaryDirectory()
        with open(os.path.join(self.profile.name, "user.js"), "w") as f:
            f.write(PREFS)
            for name, value in (prefs or {}).items():
                f.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        self.errors = open(os.path.join(self.profile.name, "stderr.txt"), "w+")
        port = free_port()
        self.process = subprocess.Popen(
            [binary, "--no-remote", "--profile", self.profile.name,
             "--remote-debugging-port", str(port), "about:blank"],
            stdout=subprocess.DEVNULL, stderr=self.errors)
        try:
            self._connect(port)
            self.command("session.new", capabilities={})
            self.context = self.command("browsingContext.getTree")["contexts"][0]["context"]
            self.command("browsingContext.setViewport", context=self.context,
                         viewport={"width": width, "height": height})
            self.log = []
            self.command("session.subscribe", events=["log.entryAdded"])
        except BaseException:
            self.quit()
            raise

    def _connect(self, port, seconds=60):
        deadline = time.monotonic() + seconds
        while "WebDriver BiDi listening" not in open(self.errors.name).read():
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise BidiError("Firefox did not start its BiDi server: "
                                + open(self.errors.name).read()[-2000:])
            time.sleep(0.2)
        self.socket = websocket.create_connection(f"ws://127.0.0.1:{port}/session",
                                                  timeout=300, suppress_origin=True)
        self.last_id = 0

    def command(self, method, **params):
        self.last_id += 1
        self.socket.send(json.dumps({"id": self.last_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("type") == "event":
                if message["method"] == "log.entryAdded":
                    self.log.append(message["params"].get("text") or "")
            elif message.get("id") == self.last_id:
                if message["type"] == "error":
                    raise BidiError(f"{method}: {message['error']}: {message.get('message')}")
                return message["result"]

    def get(self, url):
        self.command("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def refresh(self):
        self.command("browsingContext.reload", context=self.context, wait="complete")

    def execute_script(self, body):
        """Runs a function body as a user's action would (a click may start sound) and returns
        its result through JSON."""
        outcome = self.command(
            "script.evaluate", expression=f"JSON.stringify((() => {{{body}}})() ?? null)",
            target={"context": self.context}, awaitPromise=False, userActivation=True)
        if outcome["type"] == "exception":
            raise BidiError(outcome["exceptionDetails"].get("text"))
        return json.loads(outcome["result"]["value"])

    def get_screenshot_as_png(self):
        shot = self.command("browsingContext.captureScreenshot", context=self.context)
        return base64.b64decode(shot["data"])

    def press(self, key):
        self.command("input.performActions", context=self.context, actions=[
            {"type": "key", "id": "keyboard",
             "actions": [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]}])

    def quit(self):
        try:
            if hasattr(self, "socket"):
                self.socket.close()
        finally:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
            self.errors.close()
            self.profile.cleanup()
