#!/usr/bin/python3
"""Frame rate of the show in headless Chromium (SwiftShader) against the desktop show's drawing
on llvmpipe, at 320x240 and 640x480, in one run, the time from Start! to the page's first show
frame, and the WebGL calls a show frame with the GL errors the browser reported. Prints figures;
asserts nothing.

    /usr/bin/python3 tools/web_bench/web_bench.py [SITE] [BUILD] [SECONDS]

SITE is the built site (build-web/site), BUILD the desktop build (build)."""
import functools
import http.server
import re
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

SITE = sys.argv[1] if len(sys.argv) > 1 else "build-web/site"
BUILD = sys.argv[2] if len(sys.argv) > 2 else "build"
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
SIZES = {"320x240": 0, "640x480": 2}  # entries of the resolution list
# Counts every call the page makes on a WebGL context, by name.
COUNT_WEBGL_CALLS = """
window.webglCalls = {};
const proto = WebGLRenderingContext.prototype;
for (const name of Object.getOwnPropertyNames(proto)) {
  const d = Object.getOwnPropertyDescriptor(proto, name);
  if (typeof d.value !== 'function' || name === 'constructor') continue;
  proto[name] = function (...args) {
    webglCalls[name] = (webglCalls[name] || 0) + 1;
    return d.value.apply(this, args);
  };
}"""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve():
    handler = functools.partial(QuietHandler, directory=SITE)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_port}"


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    for flag in ("--headless=new", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                 "--enable-unsafe-swiftshader", "--window-size=1280,1024", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update",
                 f"--user-data-dir={profile}"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                            options=options)


def web_rate(site, entry):
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        try:
            driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                   {"source": COUNT_WEBGL_CALLS})
            driver.get(site + "/index.html")
            WebDriverWait(driver, 60).until(
                lambda d: d.find_element(By.ID, "dialog").is_displayed())
            driver.execute_script(f"document.getElementById('resolution').selectedIndex = {entry}")
            driver.execute_script("""
                document.getElementById('start').addEventListener('click', () => {
                  window.clicked = performance.now();
                  const poll = () => {
                    if (Module._web_show_frames_run() > 0) window.firstFrame = performance.now();
                    else requestAnimationFrame(poll);
                  };
                  requestAnimationFrame(poll);
                }, {capture: true});""")
            driver.find_element(By.ID, "start").click()
            WebDriverWait(driver, 60).until(lambda d: d.execute_script("return window.firstFrame"))
            to_first = driver.execute_script("return window.firstFrame - window.clicked")
            count = "return [performance.now(), Module._web_show_frames_run(), " \
                    "Module._web_animation_frames(), {...webglCalls}]"
            time.sleep(2)  # past the start-up
            t0, shown0, animated0, calls0 = driver.execute_script(count)
            time.sleep(SECONDS)
            t1, shown1, animated1, calls1 = driver.execute_script(count)
            seconds = (t1 - t0) / 1000
            calls = {name: (n - calls0.get(name, 0)) / (shown1 - shown0)
                     for name, n in calls1.items()}
            errors = sum(1 for entry in driver.get_log("browser")
                         if "GL_INVALID" in entry["message"] or "WebGL" in entry["message"])
            return ((shown1 - shown0) / seconds, (animated1 - animated0) / seconds, to_first,
                    calls, errors)
        finally:
            driver.quit()


def native_rate(size):
    out = subprocess.run([f"{BUILD}/tools/capture/swirlbeam-capture", "--media", f"{BUILD}/media",
                          "--size", size, "--from", "0", "--frames", "600", "--bench"],
                         check=True, capture_output=True, text=True).stdout
    median = float(re.search(r"^0\s+\d+\s+([0-9.]+)", out, re.M).group(1))  # stage 0 row
    return min(100.0, 1000.0 / median), median


def main():
    site = serve()
    print(f"show frames a second over {SECONDS:.0f} s of the first stage (the show caps at 100)")
    for size, entry in SIZES.items():
        shown, animated, to_first, calls, errors = web_rate(site, entry)
        native, median = native_rate(size)
        print(f"{size}: Chromium/SwiftShader {shown:5.1f} show frames/s "
              f"({animated:4.1f} animation frames/s); desktop on llvmpipe {native:5.1f} "
              f"(median frame {median:.1f} ms); ratio {shown / native:.2f}; "
              f"Start! to the first frame {to_first:.0f} ms")
        busiest = sorted(calls.items(), key=lambda item: -item[1])[:3]
        print(f"  WebGL calls a show frame {sum(calls.values()):,.0f} (most: "
              + ", ".join(f"{name} {n:,.0f}" for name, n in busiest)
              + f"); the browser's WebGL warnings and errors since the page opened: {errors}")


if __name__ == "__main__":
    main()
