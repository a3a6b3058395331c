"""The page as an installed app, in headless Chromium: offline play after one visit, a new build
taken only when the page starts again, and downloads checked against the build's list of files,
each failure named. Each test serves its own copy of the site, which it can stop or change."""
import contextlib
import functools
import http.server
import json
import os
import shutil
import subprocess
import threading
import time

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from test_page import (MEDIA, SITE, QuietHandler, axe_violations, chromium, form_ready, messages,
                       own_state, pick, play_and_end, told, visible, wait)

HERE = os.path.dirname(os.path.abspath(__file__))
MANIFEST = os.path.join(HERE, "..", "..", "cmake", "web-manifest.cmake")


class Site(QuietHandler):
    """Serves server.root; server.answers replaces a file's answer; server.asked counts GETs;
    server.faults[name] lists what goes wrong with that file's next requests (see hiccup)."""

    def __init__(self, request, address, server):
        super().__init__(request, address, server, directory=server.root)

    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")  # as hosts are asked to
        super().end_headers()

    def do_GET(self):
        # Copies share their files' times: a switched root must not answer "not modified".
        del self.headers["If-Modified-Since"]
        name = self.path.split("?")[0].lstrip("/")
        self.server.asked[name] = self.server.asked.get(name, 0) + 1
        faults = self.server.faults.get(name)
        if faults:
            return self.hiccup(name, faults.pop(0))
        if name not in self.server.answers:
            return super().do_GET()
        status, body, kind = self.server.answers[name]
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def hiccup(self, name, fault):
        """503; or ("cut", n): the file's first n bytes, then the connection closed; or
        ("stall", n): its first n bytes, then nothing more, the connection held open."""
        if fault == 503:
            return self.send_error(503)
        kind, at = fault
        body = open(os.path.join(self.server.root, name), "rb").read()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:at])
        self.wfile.flush()
        if kind == "stall":
            self.server.stop.wait(120)
        self.close_connection = True


@contextlib.contextmanager
def serve(root):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
    server.root, server.answers, server.asked, server.faults = root, {}, {}, {}
    server.stop = threading.Event()
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    server.url = f"http://127.0.0.1:{server.server_port}"
    try:
        yield server
    finally:
        server.stop.set()
        server.shutdown()
        server.server_close()


def site_copy(tmp_path, name, change):
    """A copy of the built site with one file changed and its build list made anew."""
    copy = tmp_path / name
    shutil.copytree(SITE, copy)
    change(copy)
    subprocess.run(["cmake", f"-DSITE={copy}", "-P", MANIFEST], check=True, capture_output=True)
    return str(copy)


def build_id(driver):
    return driver.execute_script("return swirlbeamLoader.build()")


def cache_names(driver):
    """This copy's caches: those named with its service worker's scope."""
    return driver.execute_async_script("""
        Promise.all([caches.keys(), navigator.serviceWorker.getRegistration()])
          .then(([names, r]) => arguments[0](names.filter((n) => r && n.endsWith(' ' + r.scope))));
    """)


def cache_of(driver, build):
    scope = driver.execute_async_script(
        "navigator.serviceWorker.getRegistration().then((r) => arguments[0](r.scope))")
    return f"swirlbeam-{build} {scope}"


def wait_offline_ready(driver):
    wait(driver, lambda d: d.execute_script("return !!navigator.serviceWorker.controller"),
         what="the service worker controlling the page")
    wait(driver, lambda d: cache_names(d) == [cache_of(d, build_id(d))], what="the build's cache")


def test_after_one_visit_the_page_installs_and_plays_offline(tmp_path):
    # A refused full screen, so that Start! asks the question that No answers.
    refuse = "Element.prototype.requestFullscreen = () => Promise.reject(new Error('refused'));"
    with chromium() as driver, serve(SITE) as server:
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": refuse})
        driver.get(server.url + "/index.html")
        wait(driver, form_ready, what="the settings form")
        wait_offline_ready(driver)
        assert driver.execute_cdp_cmd("Page.getInstallabilityErrors", {}) == {
            "installabilityErrors": []}
        assert driver.execute_async_script("""
            caches.open(arguments[0]).then((cache) => cache.match('swirlbeam.wasm'))
              .then((hit) => arguments[1](hit.headers.get('Content-Type')));""",
            cache_of(driver, build_id(driver))) == "application/wasm"
        server.shutdown()
        server.server_close()

        driver.refresh()
        wait(driver, form_ready, what="the form, offline")
        play_and_end(driver)
        driver.find_element(By.ID, "again").click()
        wait(driver, form_ready, what="the form after Play again, offline")
        pick(driver, os.path.join(MEDIA, "logo2.jpg"))
        wait(driver, lambda d: form_ready(d) and own_state(d) == "Playing with your own logo2.jpg.",
             what="the form after a pick, offline")
        driver.find_element(By.ID, "windowed").click()
        driver.find_element(By.ID, "start").click()
        wait(driver, messages, what="the full-screen question")
        driver.find_element(By.XPATH, "//button[text()='No']").click()
        assert told(driver, "the closing notice") == [("Swirlbeam", "Program will now close.")]
        wait(driver, form_ready, what="the form after No, offline")


def test_a_new_build_is_taken_when_the_page_starts_again_never_during_a_show(tmp_path):
    # Each of the page, its loader and the program marked: a start runs one build whole.
    def second_build(site):
        for name, line in (("index.html", "<script>window.secondPage = true;</script>"),
                           ("loader.js", "window.secondLoader = true;"),
                           ("swirlbeam.js", "window.secondBuild = true;")):
            with open(os.path.join(site, name), "a") as f:
                f.write("\n" + line + "\n")

    first = site_copy(tmp_path, "first", lambda site: None)
    second = site_copy(tmp_path, "second", second_build)
    which = "return [!!window.secondPage, !!window.secondLoader, !!window.secondBuild]"
    with chromium() as driver, serve(first) as server:
        driver.get(server.url + "/index.html")
        wait(driver, form_ready, what="the first build's form")
        wait_offline_ready(driver)
        old = build_id(driver)
        new = json.load(open(os.path.join(second, "build.json")))["id"]
        driver.find_element(By.ID, "start").click()
        wait(driver, lambda d: visible(d, "stage"), what="the show")

        # Deployed while the show plays; the browser looks for it. Its worker takes over at once
        # (a reload then never meets the old one answering), and the show plays on from memory.
        server.root = second
        driver.execute_async_script(
            "navigator.serviceWorker.getRegistration().then((r) => r.update()).then(arguments[0])")
        wait(driver, lambda d: cache_names(d) == [cache_of(d, new)],
             what="the second build installed in place of the first")
        frames = driver.execute_script("return Module._web_show_frames_run()")
        wait(driver, lambda d: d.execute_script("return Module._web_show_frames_run()") > frames + 50,
             what="the show going on")
        assert visible(driver, "stage") and not visible(driver, "new-version")
        assert build_id(driver) == old and driver.execute_script(which) == [False] * 3

        driver.find_element(By.TAG_NAME, "body").send_keys(Keys.ESCAPE)
        wait(driver, lambda d: visible(d, "ended") and visible(d, "new-version"),
             what="the ended screen telling of the new version")
        driver.find_element(By.ID, "again").click()
        wait(driver, lambda d: form_ready(d) and d.execute_script(which) == [True] * 3,
             what="the second build's form")
        assert build_id(driver) == new and cache_names(driver) == [cache_of(driver, new)]
        assert not visible(driver, "new-version") and messages(driver) == []
        play_and_end(driver)


def test_an_offline_copy_is_said_when_it_cannot_be_kept_and_filled_again_when_deleted(tmp_path):
    with chromium() as driver, serve(SITE) as server:
        # A quota smaller than the build: the player hears that it will not play offline.
        quota = {"origin": server.url, "quotaSize": 3_000_000}
        driver.execute_cdp_cmd("Storage.overrideQuotaForOrigin", quota)
        driver.get(server.url + "/index.html")
        wait(driver, lambda d: visible(d, "not-kept"), seconds=20, what="the copy not kept")
        assert driver.find_element(By.ID, "not-kept").text.startswith(
            "Swirlbeam cannot be kept here for playing offline: the browser gives this site too "
            "little storage space.")
        assert cache_names(driver) == []
        driver.execute_cdp_cmd("Storage.overrideQuotaForOrigin", {"origin": server.url})
        driver.refresh()
        wait(driver, form_ready, what="the settings form")
        wait_offline_ready(driver)
        assert not visible(driver, "not-kept")
        driver.execute_async_script("""caches.keys()
            .then((names) => Promise.all(names.map((name) => caches.delete(name))))
            .then(arguments[0])""")
        driver.refresh()
        wait(driver, form_ready, what="the form, its copy gone")
        # Whole again: every file of the build, and its list.
        whole = len(json.load(open(os.path.join(SITE, "build.json")))["files"]) + 1
        held = """caches.open(arguments[0]).then((cache) => cache.keys())
                    .then((keys) => arguments[1](keys.length))"""
        wait(driver, lambda d: d.execute_async_script(held, cache_of(d, build_id(d))) == whole,
             what="the copy filled again")
        server.shutdown()
        server.server_close()
        driver.refresh()
        wait(driver, form_ready, seconds=20, what="the form, offline")


def test_two_copies_on_one_origin_each_keep_their_own_offline_copy(tmp_path):
    def test_build(site):
        with open(os.path.join(site, "swirlbeam.js"), "a") as code:
            code.write("\nwindow.testBuild = true;\n")

    origin = tmp_path / "origin"
    stable = site_copy(origin, "stable", lambda site: None)
    site_copy(origin, "test", test_build)
    with chromium() as driver, serve(str(origin)) as server:
        for copy in ("stable", "test"):
            driver.get(f"{server.url}/{copy}/index.html")
            wait(driver, form_ready, what=f"the {copy} copy's form")
            # Its build cached, whatever the cache's name.
            wait(driver, lambda d: d.execute_script("return !!navigator.serviceWorker.controller")
                 and any(n.startswith("swirlbeam-" + build_id(d)) for n in d.execute_async_script(
                     "caches.keys().then(arguments[0])")), what=f"the {copy} copy cached")
        stable_build = json.load(open(os.path.join(stable, "build.json")))["id"]
        server.shutdown()
        server.server_close()

        for copy, is_test in (("stable", False), ("test", True)):
            driver.get(f"{server.url}/{copy}/index.html")
            wait(driver, form_ready, seconds=20, what=f"the {copy} copy's form, offline")
            assert driver.execute_script("return window.testBuild === true") == is_test
        driver.get(f"{server.url}/stable/index.html")
        wait(driver, form_ready, seconds=20, what="the stable copy's form, offline, again")
        assert build_id(driver) == stable_build
        play_and_end(driver)


def not_loaded(driver):
    wait(driver, lambda d: d.title == "Swirlbeam (not loaded)", what="the page saying it failed")
    # Nothing of the program ran: its runtime never came to be.
    assert driver.execute_script("return typeof Module.FS") == "undefined"
    return driver.find_element(By.ID, "loading").text


def test_a_damaged_download_is_named_and_never_reaches_the_program(tmp_path):
    data = open(os.path.join(SITE, "swirlbeam.data"), "rb").read()
    size = f"{len(data):,}"
    again = "Reload the page to download it again."
    damaged = "Swirlbeam could not be loaded: the download of swirlbeam.data was damaged: "
    web_page = b"<!DOCTYPE html><html><body>Welcome to our host!</body></html>"
    code = bytearray(open(os.path.join(SITE, "swirlbeam.js"), "rb").read())
    code[100:104] = b"XXXX"  # the same size, other contents
    cases = [  # the loader first, before the browser has a copy of it
        ("loader.js", (404, b"Not found", "text/html"),
         "Swirlbeam could not be loaded: its file loader.js did not come. Reload the page; if "
         "that does not help, the site is incomplete or down: try again later."),
        ("swirlbeam.data", (200, data[:len(data) // 2], "application/octet-stream"),
         damaged + f"only {len(data) // 2:,} of its {size} bytes came. {again}"),
        ("swirlbeam.data", (200, data[:len(data) * 99 // 100], "application/octet-stream"),
         damaged + f"only {len(data) * 99 // 100:,} of its {size} bytes came. {again}"),
        ("swirlbeam.data", (200, web_page, "text/html"),
         damaged + f"only {len(web_page)} of its {size} bytes came (the server sent a web page in "
         f"its place). {again}"),
        ("swirlbeam.js", (200, bytes(code), "text/javascript"),
         "Swirlbeam could not be loaded: the download of swirlbeam.js was damaged: its contents "
         f"are not those of this version of Swirlbeam. {again}"),
        ("swirlbeam.js", (404, b"Not found", "text/html"),
         "Swirlbeam could not be loaded: swirlbeam.js is missing on the site (the server answered "
         "404 Not Found). The site is incomplete or being updated: try again later.")]
    with chromium() as driver, serve(SITE) as server:
        for name, answer, expected in cases:
            server.answers = {name: answer}
            driver.get(server.url + "/index.html")
            if name == "loader.js":
                wait(driver, lambda d: d.find_element(By.ID, "loading").text == expected,
                     what="the page itself noticing")
                continue
            assert not_loaded(driver).startswith(expected), name
            assert not visible(driver, "dialog")

        # Code that this browser cannot compile, listed in its build: fetched once, and told.
        broken = site_copy(tmp_path, "broken", lambda site: open(
            os.path.join(site, "swirlbeam.wasm"), "wb").write(b"\0asm\1\0\0\0garbage"))
        server.root, server.answers, server.asked = broken, {}, {}
        driver.get(server.url + "/index.html")
        text = not_loaded(driver)
        assert text.startswith("Swirlbeam could not be loaded: this browser could not run "
                               "Swirlbeam's program code (WebAssembly). Try updating the browser")
        assert "CompileError" in text.splitlines()[-1] and server.asked["swirlbeam.wasm"] == 1

        # Half-way through a deployment, the page of one build and the files of another: loaded
        # again once, and named if still so.
        half = site_copy(tmp_path, "half", lambda site: open(
            os.path.join(site, "index.html"), "a").write("\n<!-- the next build -->\n"))
        page = open(os.path.join(half, "index.html"), "rb").read()
        server.asked = {}
        server.answers = {"index.html": (200, page, "text/html; charset=utf-8")}
        driver.get(server.url + "/index.html")
        assert not_loaded(driver).startswith(
            "Swirlbeam could not be loaded: its files are of two versions of the site, which is "
            "being updated. Reload the page in a minute.")
        assert server.asked["index.html"] == 2
        server.answers = {}

        # A worker whose file does not come: the page checks each file itself, as well.
        missing = (404, b"Not found", "text/html")
        # Of the whole site, so that the damaged code is the one fault: with the broken build's as
        # well, whichever failed first was named.
        server.root, server.asked, server.answers = SITE, {}, {
            "checker_worker.js": missing, "gpu_worker.js": missing,
            "swirlbeam.js": (200, bytes(code), "text/javascript")}
        driver.get(server.url + "/index.html")
        assert "its contents are not those of this version of Swirlbeam" in not_loaded(driver)
        assert server.asked.get("checker_worker.js") and server.asked.get("gpu_worker.js")
        server.answers = {}

        # Where no worker may start, the page checks and compiles each file itself, as well.
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                               {"source": "delete window.Worker;"})
        server.root = broken
        driver.get(server.url + "/index.html")
        assert "CompileError" in not_loaded(driver).splitlines()[-1]
        server.root, server.answers = SITE, {"swirlbeam.js": (200, bytes(code), "text/javascript")}
        driver.get(server.url + "/index.html")
        assert "its contents are not those of this version of Swirlbeam" in not_loaded(driver)
        server.answers = {}
        driver.get(server.url + "/index.html")
        wait(driver, form_ready, what="the form, checked and compiled by the page")

    driver_file = "file://" + os.path.abspath(os.path.join(SITE, "index.html"))
    with chromium() as driver:
        driver.get(driver_file)
        assert "it must be served by a web server" in not_loaded(driver)
        assert "bash scripts/web.sh" in driver.find_element(By.ID, "loading").text


# Every load from the server, none from an offline copy; each change of the loading line kept
# with its time since the navigation.
WATCH_LOADING = """
    delete Navigator.prototype.serviceWorker;
    window.seen = [];
    document.addEventListener('DOMContentLoaded', () => {
      const loading = document.getElementById('loading');
      new MutationObserver(() => window.seen.push([loading.textContent, performance.now()]))
        .observe(loading, {childList: true, characterData: true, subtree: true});
    });"""


def seen(driver, text):
    """When the loading line first held text, in seconds since the navigation; None if never."""
    return next((at / 1000 for line, at in driver.execute_script("return window.seen")
                 if text in line), None)


def test_network_hiccups_are_tried_again_and_named_only_when_they_last():
    js = os.path.getsize(os.path.join(SITE, "swirlbeam.js"))
    data = open(os.path.join(SITE, "swirlbeam.data"), "rb").read()
    with chromium() as driver, serve(SITE) as server:
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH_LOADING})
        # One hiccup each; the next request of each file succeeds.
        server.faults = {"swirlbeam.wasm": [("cut", 700_000)], "swirlbeam.js": [("cut", js // 2)],
                         "build.json": [503]}
        driver.get(server.url + "/index.html")
        wait(driver, form_ready, what="the form after the hiccups")
        assert messages(driver) == [] and server.asked["swirlbeam.wasm"] == 2
        assert server.asked["swirlbeam.js"] == 2 and server.asked["build.json"] == 2
        assert seen(driver, "build.json: the server answered 503 Service Unavailable, trying again…")
        assert seen(driver, ": the connection broke off, trying again…")

        # Hiccups that last are named once the tries are spent: five tries, 3.75 s of pauses.
        for name, fault, said in [
                ("build.json", 503, "build.json could not be downloaded: the server answered "
                 "503 Service Unavailable. Reload the page, or try again later."),
                ("swirlbeam.wasm", ("cut", 700_000), "swirlbeam.wasm could not be downloaded: "
                 "the connection broke off. Reload the page to download it again.")]:
            server.asked, server.faults = {}, {name: [fault] * 5}
            driver.get(server.url + "/index.html")
            text = not_loaded(driver)
            assert text.startswith("Swirlbeam could not be loaded: " + said), name
            assert text.endswith("(5 tries)") and server.asked[name] == 5, name
            first = seen(driver, "trying again")
            assert seen(driver, "could not be loaded") - first > 3.5, name

        # What another try cannot mend is named at once: a missing file, and one that came whole
        # but wrong.
        for name, answer in [("swirlbeam.js", (404, b"Not found", "text/html")),
                             ("swirlbeam.data", (200, data[:-1], "application/octet-stream"))]:
            server.asked, server.faults, server.answers = {}, {}, {name: answer}
            driver.get(server.url + "/index.html")
            not_loaded(driver)
            assert server.asked[name] == 1 and seen(driver, "trying again") is None, name


def test_a_stalled_download_is_said_to_be_tried_again():
    data = os.path.getsize(os.path.join(SITE, "swirlbeam.data"))
    with chromium() as driver, serve(SITE) as server:
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH_LOADING})
        server.faults = {"swirlbeam.data": [("stall", data // 2)]}
        driver.get(server.url + "/index.html")
        wait(driver, form_ready, what="the form after the stall")
        said = seen(driver, "swirlbeam.data: the download stalled, trying again…")
        assert said and 10 <= said < 20 and server.asked["swirlbeam.data"] == 2


def test_a_loader_that_does_not_come_is_said_at_once():
    page = open(os.path.join(SITE, "index.html"), "rb").read()
    loader = open(os.path.join(SITE, "loader.js"), "rb").read()
    not_come = ("Swirlbeam could not be loaded: its file {} did not come. Reload the page; if "
                "that does not help, the site is incomplete or down: try again later.")
    with chromium() as driver, serve(SITE) as server:
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH_LOADING})
        # Each script asked anew: a copy kept from the case before would hide the next case's.
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        for name, answer, fault in [
                ("loader.js", (200, page, "text/html"), None),  # a host answering every path
                ("loader.js", None, ("cut", len(loader) // 2)),
                ("retry.js", (404, b"Not found", "text/html"), None)]:
            server.answers = {name: answer} if answer else {}
            server.faults = {name: [fault]} if fault else {}
            began = time.monotonic()
            driver.get(server.url + "/index.html")
            wait(driver, lambda d: d.find_element(By.ID, "loading").text == not_come.format(name),
                 what=f"the page noticing {name}")
            assert time.monotonic() - began < 5, name
            assert driver.find_element(By.ID, "loading").get_attribute("role") == "alert", name
        assert axe_violations(driver) == []
        # Without offline.js the page plays online only.
        server.answers = {"offline.js": (404, b"Not found", "text/html")}
        server.faults = {}
        driver.get(server.url + "/index.html")
        wait(driver, form_ready, what="the form without offline.js")
