"""The browser build in a real headless Chromium (SwiftShader), in real time: the settings form
and its storage, the show with its sound, the player's own media, full screen, keyboard focus, a
browser without WebGL, and the frame and trace addresses against the desktop capture tool; and a
few of these cases in Firefox and WebKitGTK as well.

Run by scripts/ci/test-web.sh, on an X display (Firefox and WebKitGTK need one): SWIRLBEAM_SITE is
the built site, SWIRLBEAM_BUILD the desktop build (its capture tool and media)."""
import contextlib
import functools
import http.server
import io
import json
import os
import re
import struct
import subprocess
import tempfile
import threading
import time

import pytest
from PIL import Image, ImageChops, ImageStat
from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException, WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

import bidi

SITE = os.environ.get("SWIRLBEAM_SITE", "build-web/site")
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
BUILD = os.environ.get("SWIRLBEAM_BUILD", "build")
CAPTURE = os.path.join(BUILD, "tools/capture/swirlbeam-capture")
MEDIA = os.path.join(BUILD, "media")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


@pytest.fixture(scope="module")
def site():
    handler = functools.partial(QuietHandler, directory=SITE)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    yield f"http://127.0.0.1:{server.server_port}"
    server.shutdown()


@contextlib.contextmanager
def chromium(prefs=None, flags=()):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                 "--enable-unsafe-swiftshader", "--window-size=1280,1024",
                 "--force-device-scale-factor=1", "--no-first-run", "--disable-sync",
                 "--disable-background-networking", "--disable-component-update", *flags):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    if prefs:
        options.add_experimental_option("prefs", prefs)
    with tempfile.TemporaryDirectory() as profile:
        options.add_argument(f"--user-data-dir={profile}")
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                                  options=options)
        try:
            yield driver
        finally:
            driver.quit()


@pytest.fixture
def browser():
    with chromium() as driver:
        yield driver


def wait(driver, condition, seconds=60, what="the page"):
    # Elements of a page that is reloading go stale, or leave the document between finding one and
    # asking about it (Chromium then names no stale element); a page that reloads itself can be
    # between documents: look again.
    def settled(d):
        try:
            return condition(d)
        except WebDriverException as e:
            between = ("does not belong to the document", "of null (reading")
            if any(text in str(e) for text in between):
                return False
            raise
    return WebDriverWait(driver, seconds, poll_frequency=0.1,
                         ignored_exceptions=[StaleElementReferenceException]).until(
        settled, message=f"waiting for {what}")


def visible(driver, element_id):
    return driver.find_element(By.ID, element_id).is_displayed()


def form_ready(driver):
    # The form shows greyed while the program loads.
    return visible(driver, "dialog") and driver.find_element(By.ID, "start").is_enabled()


def open_form(driver, site):
    driver.get(site + "/index.html")
    wait(driver, form_ready, what="the settings form")


def form_state(driver):
    return driver.execute_script("""
        const $ = (id) => document.getElementById(id);
        return {resolution: $('resolution').selectedIndex, windowed: $('windowed').checked,
                music: $('music').checked, dither: $('dither').checked,
                depth: ['depth16', 'depth24', 'depth32'].map((id) => $(id).checked)};""")


def messages(driver):
    return [(box.find_element(By.CLASS_NAME, "caption").text,
             box.find_element(By.CLASS_NAME, "text").text)
            for box in driver.find_elements(By.CSS_SELECTOR, "#messages .box")]


def canvas_picture(driver, width, height):
    shot = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert("RGB")
    return shot.crop((0, 0, width, height))


def canvas_on_page(driver):
    box = driver.execute_script("""
        const r = document.getElementById('canvas').getBoundingClientRect();
        return [r.left, r.top, r.right, r.bottom].map(Math.round);""")
    return Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert("RGB").crop(box)


def lit_share(picture):
    """Share of pixels that are clearly not black."""
    grey = picture.convert("L")
    pixels = grey.width * grey.height  # none while the canvas is still hidden
    return sum(1 for v in grey.getdata() if v > 40) / pixels if pixels else 0.0


def native(*args):
    subprocess.run([CAPTURE, "--media", MEDIA, *args], check=True, capture_output=True)


# The peak of the show's sound, read from SDL's audio node once it exists.
LISTEN_TO_THE_SHOW = """
window.peak = 0;
const audio = () => Module.SDL2 && Module.SDL2.audio && Module.SDL2.audio.scriptProcessorNode;
const watch = setInterval(() => {
  if (!audio()) return;
  clearInterval(watch);
  const analyser = Module.SDL2.audioContext.createAnalyser();
  audio().connect(analyser);
  const data = new Float32Array(analyser.fftSize);
  setInterval(() => {
    analyser.getFloatTimeDomainData(data);
    for (const v of data) window.peak = Math.max(window.peak, Math.abs(v));
  }, 20);
}, 20);"""


def test_form_keeps_the_settings_file_between_visits(browser, site):
    open_form(browser, site)
    # The default settings file: windowed, music on, 32 bits, 640 x 480, dithering on.
    assert form_state(browser) == {"resolution": 2, "windowed": True, "music": True,
                                   "dither": True, "depth": [False, False, True]}
    browser.find_element(By.ID, "resolution").send_keys("3")  # a typed letter picks 320x240
    browser.find_element(By.ID, "music").click()
    browser.find_element(By.ID, "depth16").click()
    browser.find_element(By.ID, "resolution").send_keys(Keys.RETURN)  # Return starts
    wait(browser, lambda d: visible(d, "stage"), what="the show's canvas")
    assert browser.execute_script("return document.getElementById('canvas').width") == 320
    browser.find_element(By.TAG_NAME, "body").send_keys(Keys.ESCAPE)
    wait(browser, lambda d: visible(d, "ended"), what="the ended state after Escape")

    browser.refresh()
    wait(browser, form_ready, what="the form after a reload")
    assert form_state(browser) == {"resolution": 0, "windowed": True, "music": False,
                                   "dither": True, "depth": [True, False, False]}
    # Exit keeps the file as it was and leaves a way back.
    browser.find_element(By.ID, "windowed").click()
    browser.find_element(By.ID, "exit").click()
    wait(browser, lambda d: visible(d, "ended"), what="the ended state after Exit")
    browser.find_element(By.ID, "again").click()
    wait(browser, form_ready, what="the form after Play again")
    assert form_state(browser)["windowed"] is True


# The contrast of an element's focus ring with the first background behind it (WCAG's ratio).
RING_CONTRAST = """
const luminance = (colour) => {
  const [r, g, b] = colour.match(/[0-9.]+/g).slice(0, 3).map((v) => {
    v /= 255;
    return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
  });
  return 0.2126 * r + 0.7152 * g + 0.0722 * b;
};
let behind = 'rgb(255, 255, 255)';
for (let e = arguments[0].parentElement; e; e = e.parentElement) {
  const colour = getComputedStyle(e).backgroundColor;
  if (!/^rgba\\(.*, 0\\)$/.test(colour) && colour !== 'transparent') { behind = colour; break; }
}
const [light, dark] = [luminance(getComputedStyle(arguments[0]).outlineColor),
                       luminance(behind)].sort((a, b) => b - a);
return (light + 0.05) / (dark + 0.05);"""


def drop_a_stranger(driver):
    """A file the show does not read, dropped on the page: its box says so."""
    driver.execute_script("""
        const files = new DataTransfer();
        files.items.add(new File(['notes'], 'notes.txt'));
        document.dispatchEvent(new DragEvent('drop', {dataTransfer: files, cancelable: true}));""")
    wait(driver, lambda d: messages(d), what="the box")


def test_keyboard_focus_shows_on_every_control(browser, site):
    open_form(browser, site)
    outline = """const s = getComputedStyle(arguments[0]);
                 return [s.outlineStyle, s.outlineWidth, s.outlineColor].join(' ');"""
    # A full-screen show started and ended from the keyboard: Play again has the focus, with its
    # ring, once full screen is left, and so has the form's first control after Play again. Before
    # the Tab walk: once a Tab has left the page, headless Chromium gives a reloaded page no focus.
    browser.find_element(By.ID, "windowed").send_keys(Keys.SPACE)
    browser.switch_to.active_element.send_keys(Keys.RETURN)
    wait(browser, lambda d: d.execute_script(
        "return !!document.fullscreenElement && Module._web_show_frames_run() > 0"),
         what="the show in full screen")
    ActionChains(browser).send_keys(Keys.ESCAPE).perform()
    wait(browser, lambda d: visible(d, "ended"), what="the end after Escape")
    again = browser.find_element(By.ID, "again")
    assert browser.switch_to.active_element == again
    assert not browser.execute_script(outline, again).startswith("none")
    assert browser.execute_script(RING_CONTRAST, again) >= 3
    again.send_keys(Keys.RETURN)
    wait(browser, form_ready, what="the form after Play again")
    first = browser.switch_to.active_element
    assert first.get_attribute("id") == "resolution"
    assert not browser.execute_script(outline, first).startswith("none")

    focused, contrasts = [], {}
    for _ in range(20):
        ActionChains(browser).send_keys(Keys.TAB).perform()
        element = browser.switch_to.active_element
        if element.tag_name == "body" or any(element == seen for seen, _ in focused):
            break  # past the last control, or round again
        focused.append((element, browser.execute_script(outline, element)))
        contrasts[element.get_attribute("id") or element.text] = browser.execute_script(
            RING_CONTRAST, element)
    assert {"windowed", "music", "start", "exit", "dither", "media-picker"} <= {
        element.get_attribute("id") for element, _ in focused}
    assert len([e for e, _ in focused if e.tag_name == "a"]) == 5  # the licences
    browser.execute_script("document.activeElement.blur()")
    for element, ring in focused:
        label = element.get_attribute("id") or element.text
        assert not ring.startswith("none") and ring != browser.execute_script(outline, element), (
            f"no focus ring on {label}: {ring}")
    assert min(contrasts.values()) >= 3, contrasts

    # A box takes the focus, is named by its caption, and gives the focus back when closed: to
    # where it was, or to the form's first control.
    browser.find_element(By.ID, "music").send_keys(Keys.SPACE)  # focused from the keyboard
    drop_a_stranger(browser)
    box_button = browser.switch_to.active_element
    assert box_button.text == "OK" and browser.execute_script(RING_CONTRAST, box_button) >= 3
    assert browser.execute_script("""
        const box = document.querySelector('#messages .box');
        return [document.getElementById(box.getAttribute('aria-labelledby')).textContent,
                box.getAttribute('aria-modal')];""") == ["Swirlbeam", "true"]
    # The box holds the focus until answered: Tab and Shift+Tab go round its buttons.
    ActionChains(browser).send_keys(Keys.TAB).perform()
    assert browser.switch_to.active_element == box_button
    ActionChains(browser).key_down(Keys.SHIFT).send_keys(Keys.TAB).key_up(Keys.SHIFT).perform()
    assert browser.switch_to.active_element == box_button
    box_button.send_keys(Keys.RETURN)
    assert browser.switch_to.active_element.get_attribute("id") == "music"
    browser.execute_script("document.activeElement.blur()")
    drop_a_stranger(browser)
    browser.switch_to.active_element.send_keys(Keys.ESCAPE)
    assert browser.switch_to.active_element.get_attribute("id") == "resolution"


def axe_violations(driver):
    with open(os.environ["SWIRLBEAM_AXE"]) as f:  # scripts/lib/axe-core.sh
        driver.execute_script(f.read())
    return driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        axe.run(document).then((r) => done(r.violations.map((v) => v.id + ': ' +
            v.nodes.map((n) => n.target.join(' ')).join(', '))), (e) => done(['axe: ' + e]));""")


def test_axe_finds_no_violation_in_any_state(browser, site):
    # Loading, on a slow link: the greyed form under a progress line read out as it changes.
    browser.execute_cdp_cmd("Network.enable", {})
    browser.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": False, "latency": 20, "downloadThroughput": 400_000, "uploadThroughput": 0})
    browser.execute_script(f"location.href = '{site}/index.html'")
    wait(browser, lambda d: d.execute_script("return !!document.getElementById('dialog')"),
         what="the page")
    assert axe_violations(browser) == [], "loading"
    assert browser.execute_script("""
        const live = document.getElementById('progress').closest('[role=status]');
        return !!live && document.getElementById('dialog').hasAttribute('aria-busy');""")
    browser.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
    for size in ("desktop", "phone"):
        # A player who asked for less motion is told of the flashes before the show.
        browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [
            {"name": "prefers-reduced-motion", "value": "reduce" if size == "desktop" else ""}]})
        if size == "phone":
            browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
            browser.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True})
        open_form(browser, site)
        assert browser.find_element(By.ID, "flashes").text == (
            "This show has bright full-screen flashes." if size == "desktop" else "")
        assert axe_violations(browser) == [], f"the form on a {size}"
        drop_a_stranger(browser)
        assert axe_violations(browser) == [], f"a box on a {size}"
        browser.find_element(By.CSS_SELECTOR, "#messages .box button").click()
        browser.find_element(By.ID, "start").click()
        wait(browser, lambda d: visible(d, "stage"), what="the show")
        assert axe_violations(browser) == [], f"the show on a {size}"
        browser.find_element(By.TAG_NAME, "body").send_keys(Keys.ESCAPE)
        wait(browser, lambda d: visible(d, "ended"), what="the ended screen")
        assert axe_violations(browser) == [], f"the ended screen on a {size}"


def test_without_webgl_the_page_says_so_instead_of_the_form(browser, site):
    # A browser without WebGL, in the page and in its workers (reached through OffscreenCanvas).
    browser.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
        delete window.OffscreenCanvas;
        const getContext = HTMLCanvasElement.prototype.getContext;
        HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
          return /webgl/.test(kind) ? null : getContext.call(this, kind, ...rest);
        };"""})
    browser.get(site + "/index.html")
    says_no_webgl(browser)


def says_no_webgl(driver):
    wait(driver, lambda d: visible(d, "no-webgl"), what="the notice")
    text = driver.find_element(By.ID, "no-webgl").text
    assert "WebGL" in text and "hardware acceleration" in text and "another browser" in text
    # Once the program has loaded, still no form and no Start!.
    wait(driver, lambda d: d.execute_script("return !!Module.calledRun"), what="the program")
    assert not visible(driver, "dialog") and not visible(driver, "start")
    assert axe_violations(driver) == []


def test_with_3d_apis_turned_off_a_worker_with_webgl_does_not_stand_for_the_page(site):
    # As Chromium's Disable3DAPIs policy does: the page has no WebGL, a worker's OffscreenCanvas has.
    with chromium(flags=["--disable-3d-apis"]) as driver:
        driver.get(site + "/index.html")
        says_no_webgl(driver)
        assert driver.execute_async_script("""
            const code = 'postMessage(!!new OffscreenCanvas(1, 1).getContext("webgl"))';
            const worker = new Worker(URL.createObjectURL(new Blob([code])));
            worker.onmessage = (event) => arguments[0](event.data);""") is True


def test_start_plays_the_comets_with_sound(browser, site):
    open_form(browser, site)
    browser.execute_script(LISTEN_TO_THE_SHOW)
    browser.find_element(By.ID, "start").click()
    wait(browser, lambda d: visible(d, "stage"), what="the show's canvas")
    browser.find_element(By.ID, "canvas").click()  # a mouse click does nothing, as on the desktop
    wait(browser, lambda d: d.execute_script("return window.peak") > 0.02, seconds=20,
         what="the music in the page's audio output")
    # The comets fade in over the first seconds, below and around the centre.
    wait(browser, lambda d: lit_share(canvas_picture(d, 1280, 1024)) > 0.002, seconds=30,
         what="the comets on the canvas")
    state = browser.execute_script("return Module.SDL2.audioContext.state")
    assert state == "running" and visible(browser, "stage")

    # The music keeps to the show's clock, and so to its cues, after it was held up: an audio
    # interruption (a call on a phone), a tab frozen in the background.
    def lead():
        readings = []
        for _ in range(9):
            readings.append(browser.execute_script("return Module._web_music_lead_ms()"))
            time.sleep(0.06)
        return sorted(readings)[4]

    steady = lead()
    browser.execute_script("Module.SDL2.audioContext.suspend()")
    time.sleep(3)
    browser.execute_script("Module.SDL2.audioContext.resume()")
    time.sleep(2)
    after_interruption = lead()
    browser.execute_cdp_cmd("Page.setWebLifecycleState", {"state": "frozen"})
    time.sleep(4)
    browser.execute_cdp_cmd("Page.setWebLifecycleState", {"state": "active"})
    time.sleep(2)
    after_freeze = lead()
    print(f"music ahead of the clock {steady:.0f} ms; after a 3 s interruption "
          f"{after_interruption:.0f} ms; after a 4 s freeze {after_freeze:.0f} ms")
    assert abs(after_interruption - steady) < 150 and abs(after_freeze - steady) < 150


def test_a_refused_resume_of_the_sound_is_taken_where_it_is_asked(browser, site):
    # Every context held suspended and its resume refused, as for one the program closed before
    # the player pressed anything: the refusal never reaches the page unhandled.
    browser.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
        window.unhandled = [];
        window.refused = 0;
        window.addEventListener('unhandledrejection', (e) => unhandled.push(String(e.reason)));
        Object.defineProperty(BaseAudioContext.prototype, 'state', {get: () => 'suspended'});
        AudioContext.prototype.resume = () => {
          ++window.refused;
          return Promise.reject(new DOMException('Cannot resume a closed AudioContext',
                                                 'InvalidStateError'));
        };"""})
    open_form(browser, site)
    browser.find_element(By.ID, "start").click()
    wait(browser, lambda d: visible(d, "stage"), what="the show")
    browser.find_element(By.ID, "canvas").click()
    wait(browser, lambda d: d.execute_script("return window.refused") > 0, what="a resume asked")
    assert browser.execute_async_script(
        "setTimeout(() => arguments[0](window.unhandled), 500)") == []
    assert visible(browser, "stage")


def test_a_lost_webgl_context_comes_back_or_ends_the_show(browser, site):
    open_form(browser, site)
    browser.find_element(By.ID, "start").click()
    wait(browser, lambda d: lit_share(canvas_on_page(d)) > 0.002, seconds=30, what="the comets")
    frames = "return Module._web_show_frames_run()"
    lose = """window.lose = window.lose || document.getElementById('canvas').getContext('webgl')
                .getExtension('WEBGL_lose_context');
              window.lose.loseContext();"""
    browser.execute_script(lose)
    before = browser.execute_script(frames)
    time.sleep(1.5)
    assert lit_share(canvas_on_page(browser)) < 0.0005  # nothing drawn now
    assert browser.execute_script(frames) > before + 50  # the show goes on, unseen
    # The time to the second animation frame after the context came back: one drawn in full.
    browser.execute_script("""
        const canvas = document.getElementById('canvas'), asked = performance.now();
        canvas.addEventListener('webglcontextrestored', () => requestAnimationFrame(() =>
          requestAnimationFrame(() => { window.drawnAfter = performance.now() - asked; })));
        window.lose.restoreContext();""")
    wait(browser, lambda d: lit_share(canvas_on_page(d)) > 0.002, seconds=20, what="the picture")
    print(f"picture drawn again {browser.execute_script('return window.drawnAfter'):.0f} ms "
          "after the context was given back")
    assert webgl_complaints(chromium_console(browser)) == [] and messages(browser) == []
    assert browser.execute_script("return Module.SDL2.audioContext.state") == "running"

    # Lost while the page is hidden (a phone switching apps): the patience waits for it to be seen.
    seen = """window.pageHidden = arguments[0];
              Object.defineProperty(document, 'hidden', {configurable: true,
                                                         get: () => window.pageHidden});
              document.dispatchEvent(new Event('visibilitychange'));"""
    browser.execute_script(seen, True)
    browser.execute_script(lose)
    time.sleep(5)
    assert visible(browser, "stage") and messages(browser) == []
    browser.execute_script(seen, False)
    browser.execute_script("window.lose.restoreContext();")
    wait(browser, lambda d: lit_share(canvas_on_page(d)) > 0.002, seconds=20,
         what="the picture after the page was seen again")

    browser.execute_script(lose)  # and not given back: the show ends under a box saying why
    wait(browser, lambda d: messages(d) and visible(d, "ended"), seconds=15,
         what="the ended screen and its box")
    assert browser.switch_to.active_element.text == "OK"  # the end leaves the box its focus
    assert told(browser, "why the show ended")[0][1].startswith(
        "The browser took away the show's picture (its WebGL context was lost")
    assert browser.switch_to.active_element.get_attribute("id") == "again"
    assert browser.find_element(By.ID, "ended-text").text == (
        "Swirlbeam stopped: the browser took its picture away.")


def box(driver, element_id):
    return driver.execute_script(
        f"return document.getElementById('{element_id}').getBoundingClientRect().toJSON()")


def tap(driver, element_id, swipe=0):
    """A finger down in the middle of the element and up again, `swipe` CSS px higher."""
    b = box(driver, element_id)
    x, y = b["x"] + b["width"] / 2, b["y"] + b["height"] / 2
    moves = [("touchMove", [{"x": x, "y": y - swipe * n / 8}]) for n in range(1, 9) if swipe]
    for kind, points in [("touchStart", [{"x": x, "y": y}]), *moves, ("touchEnd", [])]:
        driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})


def phone(driver, width, height):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 3, "mobile": True,
        "screenOrientation": {"type": "portraitPrimary" if height > width else "landscapePrimary",
                              "angle": 0 if height > width else 90}})


def test_phone_form_fits_a_finger_and_a_tap_ends_the_fitted_show(browser, site):
    phone(browser, 390, 844)
    browser.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True})
    on_screen = lambda b, w=390, h=844: (min(b["left"], b["top"]) >= 0 and b["right"] <= w
                                         and b["bottom"] <= h)
    open_form(browser, site)
    controls = browser.execute_script("""
        return [...document.querySelectorAll('#dialog label, #dialog select, #dialog button')]
          .map((e) => [e.offsetWidth, e.offsetHeight, getComputedStyle(e).fontSize]);""")
    assert len(controls) == 9 and all(w >= 44 and h >= 44 and f == "16px" for w, h, f in controls)
    targets = browser.execute_script("""
        return [...document.querySelectorAll('#media-picker, #credits a')]
          .map((e) => [e.id || e.textContent, e.getBoundingClientRect().width,
                       e.getBoundingClientRect().height]);""")
    assert len(targets) == 6 and all(w >= 44 and h >= 44 for _, w, h in targets), targets
    assert on_screen(box(browser, "dialog"))
    tap(browser, "start")  # windowed, 640 x 480
    wait(browser, lambda d: visible(d, "stage"), what="the show's canvas")
    assert browser.execute_script("return document.getElementById('canvas').width") == 640
    assert on_screen(box(browser, "canvas"))
    # Turned, the show fits again; a swipe over the canvas is not a tap: it scrolls the page.
    phone(browser, 844, 390)
    wait(browser, lambda d: on_screen(box(d, "canvas"), 844, 390), seconds=10,
         what=f"the canvas within 844 x 390, not {box(browser, 'canvas')}")
    scrolled = browser.execute_script("return scrollY")
    tap(browser, "canvas", swipe=-150)  # the finger down the screen
    wait(browser, lambda d: d.execute_script("return scrollY") < scrolled, seconds=10,
         what="the page scrolled by the swipe")
    time.sleep(0.5)
    assert visible(browser, "stage") and not visible(browser, "ended")
    phone(browser, 390, 844)
    wait(browser, lambda d: on_screen(box(d, "canvas")), seconds=10, what="the canvas upright")
    tap(browser, "canvas")
    wait(browser, lambda d: visible(d, "ended"), what="the end after a tap")
    open_form(browser, site)
    tap(browser, "windowed")
    tap(browser, "start")
    wait(browser, lambda d: d.execute_script("return !!document.fullscreenElement"),
         what="full screen from a tap")
    # A reload this soon would abort the settings' write; a person's takes longer than the write.
    wait(browser, lambda d: (stored_settings(d) or [])[:1] == [1], seconds=10,
         what="the settings kept")

    # iPhone Safari has no full screen for a page: the show plays in it without a question.
    browser.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                            {"source": "delete Element.prototype.requestFullscreen"})
    open_form(browser, site)
    assert not browser.find_element(By.ID, "windowed").is_selected()  # kept from above
    tap(browser, "start")
    wait(browser, lambda d: visible(d, "stage"), what="the show in the page")
    assert messages(browser) == [] and on_screen(box(browser, "canvas"))


def test_the_form_shows_while_the_program_loads(browser, site):
    browser.execute_cdp_cmd("Network.enable", {})
    browser.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": False, "latency": 20, "downloadThroughput": 400_000, "uploadThroughput": 0})
    browser.execute_script(f"location.href = '{site}/index.html'")
    shares = []
    while not form_ready(browser) and len(shares) < 2000:
        # One reading of all three, as the program may become ready between two.
        shown, figure, disabled = browser.execute_script(
            "const $ = (id) => document.getElementById(id);"
            "return [!$('dialog').hidden, $('progress').textContent,"
            " $('start').matches(':disabled')]")
        if shown and disabled and figure.endswith(" %"):
            shares.append(int(figure[:-2]))
    assert len(set(shares)) > 3 and shares == sorted(shares) and shares[-1] > 90, shares
    # The dialog's picture is the desktop dialog's, pixel for pixel.
    wait(browser, lambda d: d.execute_script("return document.getElementById('picture').complete"),
         what="the dialog's picture")
    width, height, rgba = browser.execute_script("""
        const picture = document.getElementById('picture');
        const canvas = document.createElement('canvas');
        [canvas.width, canvas.height] = [picture.naturalWidth, picture.naturalHeight];
        const context = canvas.getContext('2d');
        context.drawImage(picture, 0, 0);
        return [canvas.width, canvas.height,
                Array.from(context.getImageData(0, 0, canvas.width, canvas.height).data)];""")
    rows = re.findall(r'"([^"]*)"', open(os.path.join(SOURCE, "res/comet_swirl.xpm")).read())
    columns, lines, colours = map(int, rows[0].split()[:3])
    palette = {row[0]: tuple(bytes.fromhex(row[-6:])) for row in rows[1:1 + colours]}
    assert (width, height) == (columns, lines)
    assert [tuple(rgba[i:i + 3]) for i in range(0, len(rgba), 4)] == \
        [palette[c] for row in rows[1 + colours:] for c in row]


def test_full_screen_and_its_refusal(browser, site):
    open_form(browser, site)
    browser.find_element(By.ID, "windowed").click()
    browser.find_element(By.ID, "start").click()
    # The canvas takes the chosen mode's size once the program starts, just after full screen.
    wait(browser, lambda d: d.execute_script(
        "return !!document.fullscreenElement && document.getElementById('canvas').width"
        " === 640"), what="full screen at 640 wide")
    browser.execute_script("document.exitFullscreen()")  # what Escape does in full screen
    wait(browser, lambda d: visible(d, "ended"), what="the end after leaving full screen")

    # A frame that may not go full screen: the program's own question.
    frame_page = os.path.join(SITE, "refused.html")
    with open(frame_page, "w") as f:
        f.write('<iframe src="index.html" allow="fullscreen \'none\'" width="1000" height="900">'
                '</iframe>')
    try:
        browser.get(site + "/refused.html")
        browser.switch_to.frame(0)
        wait(browser, form_ready, what="the form in a frame")
        assert browser.find_element(By.ID, "windowed").is_selected() is False  # kept from above
        browser.find_element(By.ID, "start").click()
        wait(browser, lambda d: messages(d), what="the question")
        assert messages(browser) == [("Swirlbeam", "The requested fullscreen mode is not\n"
                                      "supported by your video card.\nUse the windowed mode instead?")]
        # It holds the focus until answered: Tab goes round Yes and No.
        yes = browser.switch_to.active_element
        ActionChains(browser).key_down(Keys.SHIFT).send_keys(Keys.TAB).key_up(Keys.SHIFT).perform()
        assert browser.switch_to.active_element.text == "No"
        ActionChains(browser).send_keys(Keys.TAB).perform()
        assert browser.switch_to.active_element == yes and yes.text == "Yes"
        assert axe_violations(browser) == []
        browser.find_element(By.XPATH, "//button[text()='No']").click()
        wait(browser, lambda d: messages(d) == [("Swirlbeam", "Program will now close.")],
             what="the closing notice")
        browser.find_element(By.XPATH, "//button[text()='OK']").click()
        wait(browser, form_ready, what="the form again after No")
        browser.find_element(By.ID, "start").click()
        wait(browser, lambda d: messages(d), what="the question again")
        browser.find_element(By.XPATH, "//button[text()='Yes']").click()
        wait(browser, lambda d: visible(d, "stage"), what="the show in a canvas after Yes")
        assert browser.execute_script("return !!document.fullscreenElement") is False
    finally:
        os.remove(frame_page)


# The player's own files, tried with the program's loaders when given; the storage that keeps
# them, which one tab must not undo in another, and whose failures the player is told of.

def own_state(driver):
    return driver.find_element(By.ID, "media-state").text


def pick(driver, path):
    driver.find_element(By.ID, "media-picker").send_keys(os.path.abspath(path))


def told(driver, what):
    """The boxes on show, closed once read."""
    wait(driver, lambda d: messages(d), seconds=15, what=what)
    shown = messages(driver)
    driver.find_element(By.CSS_SELECTOR, "#messages .box button").click()
    return shown


def largest_view(driver):
    """The largest canvas the page's WebGL can draw, as the page read it."""
    return driver.execute_script("return [0, 1].map((side) => Module._web_largest_view(side))")


def play_and_end(driver):
    driver.find_element(By.ID, "start").click()
    wait(driver, lambda d: visible(d, "stage"), what="the show")
    driver.find_element(By.TAG_NAME, "body").send_keys(Keys.ESCAPE)
    wait(driver, lambda d: visible(d, "ended"), what="the end after Escape")


def test_own_files_are_tried_when_given(browser, site, tmp_path):
    def refusal(name, why, message="load_jpeg():\nUnable to load a texture from a JPEG file!"):
        return [("Error", f"{message}\n{name} was not taken: {why}.")]

    def noise(name, width, height):
        Image.effect_noise((width, height), 64).convert("RGB").save(tmp_path / name)

    unreadable = "it cannot be read as the show reads it"
    noise("logo.jpg", 2048, 2048)  # the most pixels the page takes
    noise("logo2.jpg", 2049, 2048)
    (tmp_path / "music.dat").write_bytes(b"not music" * 40)
    with open(tmp_path / "strike.wav", "wb") as huge:
        huge.truncate(300 << 20)  # sparse: nothing of it needs reading to refuse it
    open_form(browser, site)
    pick(browser, tmp_path / "logo.jpg")
    wait(browser, lambda d: own_state(d) == "Playing with your own logo.jpg.", what="logo.jpg")
    kept = (tmp_path / "logo.jpg").stat().st_size
    (tmp_path / "logo.jpg").write_bytes((tmp_path / "logo.jpg").read_bytes()[:300])
    for name, expected in [
            ("logo.jpg", refusal("logo.jpg", unreadable)),
            ("logo2.jpg", refusal("logo2.jpg", "it has more than 4,194,304 pixels, the most a "
                                  "picture may have here")),
            ("music.dat", refusal("music.dat", unreadable, "Unable to load a music!!")),
            ("strike.wav", refusal("strike.wav", "it is larger than 64 MB",
                                   "Unable to load a sample!!"))]:
        pick(browser, tmp_path / name)
        assert told(browser, name) == expected
    browser.refresh()
    wait(browser, form_ready, what="the form after a reload")
    assert own_state(browser) == "Playing with your own logo.jpg."
    assert browser.execute_script("return Module.FS.readFile('/store/logo.jpg').length") == kept

    # A drop of a file the show reads and one it does not: the refusal stays until read.
    browser.execute_script("""
        const files = new DataTransfer();
        files.items.add(new File(['notes'], 'notes.txt'));
        files.items.add(new File([Module.FS.readFile('/defaults/logo2.jpg')], 'logo2.jpg'));
        document.dispatchEvent(new DragEvent('drop', {dataTransfer: files, cancelable: true}));""")
    time.sleep(1)
    assert told(browser, "the refusal")[0][1].startswith("Not a file the show reads: notes.txt")
    wait(browser, lambda d: own_state(d) == "Playing with your own logo.jpg, logo2.jpg.",
         what="logo2.jpg kept once the box was read")
    play_and_end(browser)  # with the largest picture
    assert not messages(browser)

    # After the show, with the sound closed, files are tried as on the form; and a settings file
    # asking for a canvas this browser cannot draw is refused as one the show cannot read.
    (tmp_path / "strike.wav").write_bytes(b"RIFF\x24\x00\x00\x00WAVEfmt " + b"\x07" * 40)
    pick(browser, tmp_path / "strike.wav")
    assert told(browser, "the sample") == refusal("strike.wav", unreadable,
                                                   "Unable to load a sample!!")
    largest = largest_view(browser)
    assert min(largest) >= 4096
    for width, height in [(-5, -5), (largest[0] + 1, 480), (640, largest[1] + 1), (0, 480)]:
        (tmp_path / "config.dat").write_bytes(struct.pack("<BBiiiB", 0, 1, 32, width, height, 1))
        pick(browser, tmp_path / "config.dat")
        assert told(browser, "the settings file") == refusal(
            "config.dat", f"its resolution, {width} x {height}, cannot be shown here (from 1 x 1 "
            f"up to {largest[0]} x {largest[1]})", "Unable to load the configuration !")
    assert own_state(browser) == "Playing with your own logo.jpg, logo2.jpg."


# Entries put straight into the page's database, as other code or a damaged disk may leave them:
# [name, kind, bytes], kind "file" as the page writes them, "null", "number", or "blob" (a Blob
# where the page keeps bytes).
PUT_ENTRIES = """
const [entries, done] = [arguments[0], arguments[arguments.length - 1]];
const request = indexedDB.open('/store');
request.onsuccess = () => {
  const db = request.result;
  const transaction = db.transaction(['FILE_DATA'], 'readwrite');
  for (const [name, kind, bytes] of entries) {
    const file = (contents) => ({timestamp: new Date(), mode: 33206, contents: contents});
    const value = {null: null, number: 7, blob: file(new Blob([new Uint8Array(bytes)])),
                   file: file(new Uint8Array(bytes))}[kind];
    transaction.objectStore('FILE_DATA').put(value, '/store/' + name);
  }
  transaction.oncomplete = () => { db.close(); done('put'); };
  transaction.onabort = () => done(String(transaction.error));
};
request.onerror = () => done(String(request.error));"""


def stored_settings(driver):
    """The bytes of config.dat in the page's database, or None."""
    return driver.execute_async_script("""
        const done = arguments[arguments.length - 1];
        const request = indexedDB.open('/store');
        request.onsuccess = () => {
          if (!request.result.objectStoreNames.contains('FILE_DATA')) return done(null);
          const get = request.result.transaction(['FILE_DATA']).objectStore('FILE_DATA')
            .get('/store/config.dat');
          get.onsuccess = () => {
            request.result.close();
            done(get.result ? [...get.result.contents] : null);
          };
          get.onerror = () => done(null);
        };
        request.onerror = () => done(null);""")


def test_damaged_entries_are_dropped_and_a_kept_file_that_fails_is_named(browser, site):
    whole = open(os.path.join(MEDIA, "texture.jpg"), "rb").read()
    cut = list(whole[:len(whole) // 2])
    open_form(browser, site)
    pick(browser, os.path.join(MEDIA, "logo2.jpg"))
    wait(browser, lambda d: own_state(d) == "Playing with your own logo2.jpg.", what="logo2.jpg")
    assert browser.execute_async_script(PUT_ENTRIES, [
        ["texture.jpg", "null", []], ["smoke.jpg", "number", []],
        ["logo.jpg", "blob", cut]]) == "put"
    browser.refresh()
    wait(browser, form_ready, what="the form")
    assert told(browser, "the dropped entries") == [(
        "Swirlbeam", "Your own logo.jpg, smoke.jpg, texture.jpg were damaged in the browser's "
        "storage and have been removed; the show uses its own files instead. Your other files "
        "and settings are kept.")]
    assert own_state(browser) == "Playing with your own logo2.jpg."
    browser.execute_script("document.getElementById('resolution').selectedIndex = 1")
    play_and_end(browser)  # settings are still kept
    browser.refresh()
    wait(browser, form_ready, what="the form without the dropped entries")
    assert messages(browser) == [] and form_state(browser)["resolution"] == 1

    # Files kept whole but that the show cannot use (an earlier page took them unchecked): the
    # start fails as on the desktop, then each is named with a way to remove it alone.
    largest = largest_view(browser)
    assert browser.execute_async_script(PUT_ENTRIES, [
        ["texture.jpg", "file", cut], ["strike.wav", "file", list(b"RIFF0000WAVEfmt 0000")],
        ["config.dat", "file", list(struct.pack("<BBiiiB", 0, 1, 32, -5, -5, 1))]]) == "put"
    browser.refresh()
    assert told(browser, "the failed start") == [("Error", "Unable to load the configuration !")]
    wait(browser, lambda d: visible(d, "ended"), what="the ended screen")
    unreadable = "cannot be used: it cannot be read as the show reads it. Remove"
    assert browser.find_element(By.ID, "own-failed").text.splitlines() == [
        f"Your own texture.jpg {unreadable} texture.jpg",
        f"Your own strike.wav {unreadable} strike.wav",
        f"Your own config.dat cannot be used: its resolution, -5 x -5, cannot be shown here (from "
        f"1 x 1 up to {largest[0]} x {largest[1]}). Remove config.dat"]
    for name in ("strike.wav", "texture.jpg", "config.dat"):
        browser.find_element(By.XPATH, f"//button[text()='Remove {name}']").click()
        wait(browser, lambda d: f"{name} was removed" in d.find_element(By.ID, "own-failed").text,
             what=f"{name} removed")
    browser.find_element(By.ID, "again").click()
    wait(browser, form_ready, what="the form after the removals")
    assert own_state(browser) == "Playing with your own logo2.jpg." and messages(browser) == []
    play_and_end(browser)

    # A kept picture that no longer decodes fails only once Start! sets the scene up: the box,
    # then the ended screen naming it, never a blank page.
    assert browser.execute_async_script(PUT_ENTRIES, [["smoke.jpg", "file", [0] * 100]]) == "put"
    browser.refresh()
    wait(browser, form_ready, what="the form with a broken smoke.jpg")
    browser.find_element(By.ID, "start").click()
    caption, text = told(browser, "the picture's failure")[0]
    assert caption == "Error" and "Unable to load a texture from a JPEG file!" in text
    wait(browser, lambda d: visible(d, "ended"), seconds=20, what="the ended screen")
    assert browser.find_element(By.ID, "own-failed").text.startswith("Your own smoke.jpg")


# Holds a read-write transaction on the page's database for arguments[0] ms, as another tab may.
HOLD_THE_STORE = """
const until = Date.now() + arguments[0];
const request = indexedDB.open('/store');
request.onsuccess = () => {
  const table = request.result.transaction(['FILE_DATA'], 'readwrite').objectStore('FILE_DATA');
  const spin = () => { if (Date.now() < until) table.get('/store/none').onsuccess = spin; };
  spin();
  window.holding = true;
};"""


def test_a_busy_store_is_waited_for_and_never_called_lost(browser, site):
    open_form(browser, site)
    page = browser.current_window_handle
    browser.switch_to.new_window("tab")
    browser.get(site + "/licences/swirlbeam.txt")
    other = browser.current_window_handle

    def hold_then(action):
        browser.switch_to.window(other)
        browser.execute_script("window.holding = false")
        browser.execute_script(HOLD_THE_STORE, 8500)
        wait(browser, lambda d: d.execute_script("return window.holding"), what="the other tab")
        browser.switch_to.window(page)
        action()
        wait(browser, lambda d: visible(d, "saving"), seconds=15, what="the saving notice")
        text = browser.find_element(By.ID, "saving").text
        # Asked in one script: a kept file reloads the page, which may come between two calls.
        wait(browser, lambda d: d.execute_script("return document.getElementById('saving').hidden"),
             seconds=30, what="the change made")
        return text

    browser.switch_to.window(page)
    browser.execute_script("document.getElementById('resolution').selectedIndex = 3")
    assert hold_then(lambda: browser.find_element(By.ID, "start").click()).startswith(
        "Still saving your settings: the browser's storage is busy")
    assert messages(browser) == [] and visible(browser, "stage")
    browser.find_element(By.TAG_NAME, "body").send_keys(Keys.ESCAPE)
    wait(browser, lambda d: visible(d, "ended"), what="the end")
    assert hold_then(lambda: pick(browser, os.path.join(MEDIA, "logo.jpg"))).startswith(
        "Still saving logo.jpg")
    wait(browser, form_ready, what="the form after the pick")  # the page starts again to read it
    assert messages(browser) == [] and own_state(browser) == "Playing with your own logo.jpg."
    assert form_state(browser)["resolution"] == 3


def test_a_second_tab_neither_deletes_nor_brings_back_own_files(browser, site):
    def in_tab(handle, expected_state, what):
        browser.switch_to.window(handle)
        wait(browser, lambda d: form_ready(d) and own_state(d) == expected_state, what=what)

    with_logo2 = "Playing with your own logo2.jpg."
    open_form(browser, site)
    a = browser.current_window_handle
    browser.switch_to.new_window("tab")
    b = browser.current_window_handle
    open_form(browser, site)
    in_tab(a, "", "the first tab")
    pick(browser, os.path.join(MEDIA, "logo2.jpg"))
    in_tab(a, with_logo2, "logo2.jpg kept")
    in_tab(b, with_logo2, "the second tab hearing of it")
    play_and_end(browser)
    browser.switch_to.window(a)
    browser.refresh()
    in_tab(a, with_logo2, "logo2.jpg still kept")

    browser.switch_to.window(b)
    browser.refresh()
    in_tab(b, with_logo2, "the second tab again")
    browser.find_element(By.ID, "default-media").click()
    in_tab(b, "", "the defaults")
    in_tab(a, "", "the first tab hearing of the defaults")
    play_and_end(browser)
    browser.refresh()
    in_tab(a, "", "the defaults still")


def test_a_full_quota_is_told_and_the_show_plays_on(browser, site):
    open_form(browser, site)
    browser.execute_cdp_cmd("Storage.overrideQuotaForOrigin", {"origin": site, "quotaSize": 30000})
    pick(browser, os.path.join(MEDIA, "logo.jpg"))  # 32,601 bytes
    assert told(browser, "the quota's message") == [
        ("Error", "logo.jpg was not kept: the browser has no room left for this site.")]
    assert own_state(browser) == ""
    play_and_end(browser)


BLOCKED = ("Your settings and own files cannot be kept here: the browser does not let this page "
           "keep data (site data blocked, a private window, or a sandboxed frame).\n"
           "Swirlbeam plays with its defaults.")


def test_blocked_storage_and_a_sandboxed_frame_are_told(site):
    blocked = BLOCKED
    with chromium({"profile.default_content_setting_values.cookies": 2}) as driver:
        open_form(driver, site)
        assert driver.switch_to.active_element.text == "OK"  # the form came under the box
        assert told(driver, "the notice") == [("Swirlbeam", blocked)]
        play_and_end(driver)

        frame_page = os.path.join(SITE, "sandboxed.html")
        with open(frame_page, "w") as f:
            f.write('<iframe sandbox="allow-scripts" src="index.html"></iframe>')
        try:
            driver.get(site + "/sandboxed.html")
            driver.switch_to.frame(0)
            wait(driver, lambda d: d.find_element(By.ID, "loading").text == (
                "Swirlbeam could not be loaded: its files cannot be fetched in a frame sandboxed "
                "without allow-same-origin."), what="the page saying why it cannot load")
            assert driver.find_element(By.ID, "loading").get_attribute("role") == "alert"
        finally:
            os.remove(frame_page)


def webgl_complaints(console):
    """WebGL's own errors and warnings and those of Emscripten's GL emulation. (Not ANGLE's notes
    on its own performance on SwiftShader, which frames by address, many at a time, bring.)"""
    return [line for line in console
            if re.search(r"WebGL|GL_|\bgl[A-Z]|\bGL\b|clientstate", line)
            and "GL Driver Message (OpenGL, Performance" not in line]


def chromium_console(driver):
    return [entry["message"] for entry in driver.get_log("browser")]


def check_frame_address(driver, site, tmp_path, frame):
    width, height = 320, 240
    native("--seed", "7", "--size", f"{width}x{height}", "--from", str(frame), "--frames", "1",
           "--png", str(tmp_path))
    expected = Image.open(tmp_path / f"frame-{frame:06d}.png").convert("RGB")
    driver.get(f"{site}/index.html?seed=7&size={width}x{height}&frame={frame}")
    wait(driver, lambda d: d.execute_script("return document.title") == f"frame {frame}",
         seconds=180, what=f"frame {frame}")
    # Kept for the screenshot, which some engines paint anew after the buffer was shown.
    assert driver.execute_script("return Module.ctx.getContextAttributes().preserveDrawingBuffer")
    shown = canvas_picture(driver, width, height)
    difference = ImageChops.difference(shown, expected).convert("L")
    mean = sum(difference.getdata()) / (width * height)
    far = sum(1 for v in difference.getdata() if v > 24) / (width * height)
    # SwiftShader and llvmpipe round and filter a little differently (a mean of 0.07 and at most 4
    # levels seen); a missing layer, a wrong blend or a random number out of order shows as far more.
    assert mean < 1.5 and far < 0.005, (f"mean difference {mean:.2f}, {far:.2%} of pixels far off;"
                                        f" the shown picture's mean {ImageStat.Stat(shown).mean}")
    assert lit_share(expected) > 0.002  # the frame shows something to compare


# Every frame up to the address is drawn (all but the last clipped to one pixel), and the GL
# emulation's calls for all of them must be valid WebGL.
@pytest.mark.parametrize("frame", [600, 5050, 7030])  # stages 0, 1 (a flash) and 2
def test_frame_address_matches_the_desktop_capture(browser, site, tmp_path, frame):
    check_frame_address(browser, site, tmp_path, frame)
    assert webgl_complaints(chromium_console(browser)) == []


def test_trace_address_equals_the_desktop_trace(browser, site, tmp_path):
    frames = 400
    native("--seed", "5", "--frames", str(frames), "--trace", str(tmp_path / "trace.jsonl"))
    expected = (tmp_path / "trace.jsonl").read_text().splitlines()
    browser.get(f"{site}/index.html?seed=5&trace={frames}")
    wait(browser, lambda d: d.title == f"trace {frames}", seconds=120, what="the trace")
    shown = browser.find_element(By.ID, "trace").get_attribute("textContent").splitlines()
    assert len(shown) == frames
    for web_line, native_line in zip(shown, expected):
        assert json.loads(web_line) == json.loads(native_line)
    assert shown == expected  # to the character: the same floats, printed the same

    browser.get(f"{site}/index.html?seed=5&size=64x&frame=3")
    wait(browser, lambda d: d.title == "bad address", what="the bad address")
    assert messages(browser) == [("Swirlbeam", "Bad address: size must be WIDTHxHEIGHT, as 640x480.")]


# The same cases in the three browser engines, one browser session each: Chromium (headless),
# Firefox over WebDriver BiDi and WebKitGTK, the last two on the X display (xvfb-run).

class Selenium:
    """Chromium or WebKit, with the calls the Firefox driver has."""

    def __init__(self, driver, console):
        self.driver, self.console = driver, console

    def __getattr__(self, name):
        return getattr(self.driver, name)

    def click(self, element_id):
        self.driver.find_element(By.ID, element_id).click()

    def press(self, key):
        self.driver.switch_to.active_element.send_keys(key)


class Firefox(bidi.Firefox):
    def click(self, element_id):
        self.execute_script(f"document.getElementById('{element_id}').click()")

    def console(self):
        lines, self.log = self.log, []
        return lines


@pytest.fixture(scope="module", params=["chromium", "firefox", "webkit"])
def engine(request):
    if request.param == "firefox":
        driver = Firefox()
        try:
            yield driver
        finally:
            driver.quit()
    elif request.param == "chromium":
        with chromium() as driver:
            yield Selenium(driver, lambda: chromium_console(driver))
    else:
        options = webdriver.WebKitGTKOptions()
        options.add_argument("--automation")
        driver = webdriver.WebKitGTK(options=options)
        try:
            driver.set_window_size(1280, 1024)
            yield Selenium(driver, lambda: [])  # WebKit's driver does not give the console
        finally:
            driver.quit()


def shown(driver, element_id):
    return driver.execute_script(
        f"return document.getElementById('{element_id}').getClientRects().length > 0")


def ready(driver):
    # The form shows greyed while the program loads.
    return driver.execute_script("return document.getElementById('start').matches(':enabled')")


def test_engine_frame_address_matches_the_desktop_capture(engine, site, tmp_path):
    check_frame_address(engine, site, tmp_path, 600)


def test_engine_show_plays_ends_on_escape_and_keeps_the_settings(engine, site):
    engine.get(site + "/index.html")
    wait(engine, ready, what="the settings form")
    engine.console()  # only this page's
    engine.execute_script(LISTEN_TO_THE_SHOW)
    engine.execute_script("""document.getElementById('resolution').selectedIndex = 1;
                             document.getElementById('dither').checked = false;""")
    engine.click("start")
    wait(engine, lambda d: shown(d, "stage"), what="the show's canvas")
    # The comets fade in over the first seconds, below and around the centre.
    wait(engine, lambda d: lit_share(canvas_on_page(d)) > 0.002, seconds=30,
         what="the comets on the canvas")
    # Firefox runs no audio context without a sound device, which CI has not: its resume() never
    # settles. The show still opens its sound there.
    if isinstance(engine, Firefox):
        assert engine.execute_script("return !!Module.SDL2.audio.scriptProcessorNode")
    else:
        wait(engine, lambda d: d.execute_script("return window.peak") > 0.02, seconds=20,
             what="the music in the page's audio output")
        assert engine.execute_script("return Module.SDL2.audioContext.state") == "running"
    engine.press(Keys.ESCAPE)
    wait(engine, lambda d: shown(d, "ended"), what="the ended state after Escape")
    assert webgl_complaints(engine.console()) == []
    # Play again takes the focus with its ring. (Firefox on Xvfb shows no ring on any focus here,
    # not even on a first load.)
    if not isinstance(engine, Firefox):
        assert engine.execute_script("const e = document.activeElement;"
                                     "return e.id + ' ' + getComputedStyle(e).outlineStyle") == (
            "again solid")

    engine.refresh()
    wait(engine, ready, what="the form after a reload")
    assert form_state(engine) == {"resolution": 1, "windowed": True, "music": True,
                                  "dither": False, "depth": [False, False, True]}


def test_firefox_with_all_cookies_blocked_plays_and_says_nothing_is_kept(site):
    # There, site data blocked makes BroadcastChannel and IndexedDB throw SecurityError at once.
    driver = Firefox(prefs={"network.cookie.cookieBehavior": 2})
    try:
        driver.get(site + "/index.html")
        wait(driver, ready, what="the settings form")
        assert driver.execute_script("""return [...document.querySelectorAll('#messages .box')]
            .map((b) => [b.querySelector('.caption').textContent,
                         b.querySelector('.text').textContent]);""") == [["Swirlbeam", BLOCKED]]
        driver.execute_script("document.querySelector('#messages .box button').click()")
        driver.click("start")
        wait(driver, lambda d: lit_share(canvas_on_page(d)) > 0.002, seconds=30,
             what="the comets on the canvas")
        driver.press(Keys.ESCAPE)
        wait(driver, lambda d: shown(d, "ended"), what="the ended state after Escape")
    finally:
        driver.quit()
