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

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from test_page import (MEDIA, SITE, QuietHandler, chromium, form_ready, messages, own_state, pick,
                       play_and_end, told, visible, wait)

HERE = os.path.dirname(os.path.abspath(__file__))
MANIFEST = os.path.join(HERE, "..", "..", "cmake", "web-manifest.cmake")


class Site(QuietHandler):
    """Serves server.root; server.answers replaces a file's answer; server.asked counts GETs."""

    def __init__(self, request, address, server):
        super().__init__(request, address, server, directory=server.root)

    def do_GET(self):
        # Copies share their files' times: a switched root must not answer "not modified".
        del self.headers["If-Modified-Since"]
        name = self.path.split("?")[0].lstrip("/")
        self.server.asked[name] = self.server.asked.get(name, 0) + 1
        if name not in self.server.answers:
            return super().do_GET()
        status, body, kind = self.server.answers[name]
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


@contextlib.contextmanager
def serve(root):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
    server.root, server.answers, server.asked = root, {}, {}
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    server.url = f"http://127.0.0.1:{server.server_port}"
    try:
        yield server
    finally:
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
    return driver.execute_async_script("caches.keys().then(arguments[0])")


def wait_offline_ready(driver):
    wait(driver, lambda d: d.execute_script("return !!navigator.serviceWorker.controller"),
         what="the service worker controlling the page")
    wait(driver, lambda d: cache_names(d) == ["swirlbeam-" + build_id(d)], what="the build's cache")


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
            caches.open('swirlbeam-' + swirlbeamLoader.build())
              .then((cache) => cache.match('swirlbeam.wasm'))
              .then((hit) => arguments[0](hit.headers.get('Content-Type')));""") == "application/wasm"
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
    def second_build(site):
        with open(os.path.join(site, "swirlbeam.js"), "a") as code:
            code.write("\nwindow.secondBuild = true;\n")

    first = site_copy(tmp_path, "first", lambda site: None)
    second = site_copy(tmp_path, "second", second_build)
    is_second = "return window.secondBuild === true"
    with chromium() as driver, serve(first) as server:
        driver.get(server.url + "/index.html")
        wait(driver, form_ready, what="the first build's form")
        wait_offline_ready(driver)
        old = build_id(driver)
        driver.find_element(By.ID, "start").click()
        wait(driver, lambda d: visible(d, "stage"), what="the show")

        server.root = second  # deployed while the show plays; the browser looks for it
        driver.execute_async_script(
            "navigator.serviceWorker.getRegistration().then((r) => r.update()).then(arguments[0])")
        wait(driver, lambda d: d.execute_async_script("""navigator.serviceWorker.getRegistration()
            .then((r) => arguments[0](!!r.waiting))"""), what="the second build installed")
        frames = driver.execute_script("return Module._web_show_frames_run()")
        wait(driver, lambda d: d.execute_script("return Module._web_show_frames_run()") > frames + 50,
             what="the show going on")
        assert visible(driver, "stage") and not visible(driver, "new-version")
        assert build_id(driver) == old and not driver.execute_script(is_second)

        driver.find_element(By.TAG_NAME, "body").send_keys(Keys.ESCAPE)
        wait(driver, lambda d: visible(d, "ended") and visible(d, "new-version"),
             what="the ended screen telling of the new version")
        new = json.load(open(os.path.join(second, "build.json")))["id"]
        assert new != old and sorted(cache_names(driver)) == sorted(
            ["swirlbeam-" + old, "swirlbeam-" + new])
        driver.find_element(By.ID, "again").click()
        wait(driver, lambda d: form_ready(d) and d.execute_script(is_second),
             what="the second build's form")
        assert build_id(driver) == new and cache_names(driver) == ["swirlbeam-" + new]
        assert not visible(driver, "new-version") and messages(driver) == []
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

        # Where no worker may start, the page checks and compiles each file itself, as well.
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                               {"source": "delete window.Worker;"})
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
