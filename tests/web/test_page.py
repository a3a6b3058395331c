"""The browser build in a real headless Chromium (SwiftShader), in real time: the settings form
and its storage, the show with its sound, the player's own media, full screen, and the frame and
trace addresses against the desktop capture tool.

Run by scripts/ci/test-web.sh: SWIRLBEAM_SITE is the built site, SWIRLBEAM_BUILD the desktop build
(its capture tool and media)."""
import functools
import http.server
import io
import json
import os
import subprocess
import tempfile
import threading

import pytest
from PIL import Image, ImageChops
from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

SITE = os.environ.get("SWIRLBEAM_SITE", "build-web/site")
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


@pytest.fixture
def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                 "--enable-unsafe-swiftshader", "--window-size=1280,1024",
                 "--force-device-scale-factor=1", "--no-first-run", "--disable-sync",
                 "--disable-background-networking", "--disable-component-update"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    with tempfile.TemporaryDirectory() as profile:
        options.add_argument(f"--user-data-dir={profile}")
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                                  options=options)
        try:
            yield driver
        finally:
            driver.quit()


def wait(driver, condition, seconds=60, what="the page"):
    # Elements of a page that is reloading go stale: look again.
    return WebDriverWait(driver, seconds, poll_frequency=0.1,
                         ignored_exceptions=[StaleElementReferenceException]).until(
        lambda d: condition(d), message=f"waiting for {what}")


def visible(driver, element_id):
    return driver.find_element(By.ID, element_id).is_displayed()


def open_form(driver, site):
    driver.get(site + "/index.html")
    wait(driver, lambda d: visible(d, "dialog"), what="the settings form")


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


def lit_share(picture):
    """Share of pixels that are clearly not black."""
    grey = picture.convert("L")
    return sum(1 for v in grey.getdata() if v > 40) / (grey.width * grey.height)


def native(*args):
    subprocess.run([CAPTURE, "--media", MEDIA, *args], check=True, capture_output=True)


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
    wait(browser, lambda d: visible(d, "dialog"), what="the form after a reload")
    assert form_state(browser) == {"resolution": 0, "windowed": True, "music": False,
                                   "dither": True, "depth": [True, False, False]}
    # Exit keeps the file as it was and leaves a way back.
    browser.find_element(By.ID, "windowed").click()
    browser.find_element(By.ID, "exit").click()
    wait(browser, lambda d: visible(d, "ended"), what="the ended state after Exit")
    browser.find_element(By.ID, "again").click()
    wait(browser, lambda d: visible(d, "dialog"), what="the form after Play again")
    assert form_state(browser)["windowed"] is True


def test_start_plays_the_comets_with_sound(browser, site):
    open_form(browser, site)
    browser.execute_script("""
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
        }, 20);""")
    browser.find_element(By.ID, "start").click()
    wait(browser, lambda d: visible(d, "stage"), what="the show's canvas")
    wait(browser, lambda d: d.execute_script("return window.peak") > 0.02, seconds=20,
         what="the music in the page's audio output")
    # The comets fade in over the first seconds, below and around the centre.
    wait(browser, lambda d: lit_share(canvas_picture(d, 1280, 1024)) > 0.002, seconds=30,
         what="the comets on the canvas")
    state = browser.execute_script("return Module.SDL2.audioContext.state")
    assert state == "running"


def test_full_screen_and_its_refusal(browser, site):
    open_form(browser, site)
    browser.find_element(By.ID, "windowed").click()
    browser.find_element(By.ID, "start").click()
    wait(browser, lambda d: d.execute_script("return !!document.fullscreenElement"),
         what="full screen")
    assert browser.execute_script("return document.getElementById('canvas').width") == 640
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
        wait(browser, lambda d: visible(d, "dialog"), what="the form in a frame")
        assert browser.find_element(By.ID, "windowed").is_selected() is False  # kept from above
        browser.find_element(By.ID, "start").click()
        wait(browser, lambda d: messages(d), what="the question")
        assert messages(browser) == [("Swirlbeam", "The requested fullscreen mode is not\n"
                                      "supported by your video card.\nUse the windowed mode instead?")]
        browser.find_element(By.XPATH, "//button[text()='No']").click()
        wait(browser, lambda d: messages(d) == [("Swirlbeam", "Program will now close.")],
             what="the closing notice")
        browser.find_element(By.XPATH, "//button[text()='OK']").click()
        wait(browser, lambda d: visible(d, "dialog"), what="the form again after No")
        browser.find_element(By.ID, "start").click()
        wait(browser, lambda d: messages(d), what="the question again")
        browser.find_element(By.XPATH, "//button[text()='Yes']").click()
        wait(browser, lambda d: visible(d, "stage"), what="the show in a canvas after Yes")
        assert browser.execute_script("return !!document.fullscreenElement") is False
    finally:
        os.remove(frame_page)


def test_own_damaged_files_get_the_programs_messages(browser, site, tmp_path):
    def damaged(name, content=None):
        path = tmp_path / name
        path.write_bytes(content or (open(os.path.join(MEDIA, name), "rb").read())[:300])
        return str(path)

    def back_to_the_default_media():
        browser.find_element(By.ID, "default-media").click()
        wait(browser, lambda d: visible(d, "dialog") and not visible(d, "default-media"),
             what="the default media back")

    open_form(browser, site)
    # The music is loaded before the form, as on the desktop. (A cut module still plays.)
    browser.find_element(By.ID, "media-picker").send_keys(damaged("music.dat", b"not music" * 40))
    wait(browser, lambda d: messages(d), what="the music's message")
    assert messages(browser) == [("Error", "Unable to load a music!!")]
    assert visible(browser, "ended")
    back_to_the_default_media()

    browser.find_element(By.ID, "media-picker").send_keys(damaged("logo.jpg"))
    wait(browser, lambda d: "logo.jpg" in d.find_element(By.ID, "media-state").text,
         what="the page holding the player's file")
    browser.find_element(By.ID, "start").click()
    wait(browser, lambda d: messages(d), what="the picture's message")
    assert messages(browser) == [("Error", "load_jpeg():\nUnable to load a texture from a JPEG file!")]
    assert visible(browser, "ended")
    back_to_the_default_media()


@pytest.mark.parametrize("frame", [600, 5050, 7030])  # stages 0, 1 (a flash) and 2
def test_frame_address_matches_the_desktop_capture(browser, site, tmp_path, frame):
    width, height = 320, 240
    native("--seed", "7", "--size", f"{width}x{height}", "--from", str(frame), "--frames", "1",
           "--png", str(tmp_path))
    expected = Image.open(tmp_path / f"frame-{frame:06d}.png").convert("RGB")
    browser.get(f"{site}/index.html?seed=7&size={width}x{height}&frame={frame}")
    wait(browser, lambda d: d.title == f"frame {frame}", seconds=180, what=f"frame {frame}")
    shown = canvas_picture(browser, width, height)
    difference = ImageChops.difference(shown, expected).convert("L")
    mean = sum(difference.getdata()) / (width * height)
    far = sum(1 for v in difference.getdata() if v > 24) / (width * height)
    # SwiftShader and llvmpipe round and filter a little differently (a mean of 0.07 and at most 4
    # levels seen); a missing layer, a wrong blend or a random number out of order shows as far more.
    assert mean < 1.5 and far < 0.005, f"mean difference {mean:.2f}, {far:.2%} of pixels far off"
    assert lit_share(expected) > 0.002  # the frame shows something to compare


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
