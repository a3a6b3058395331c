#!/usr/bin/python3
"""Navigation to a usable settings form (Start! enabled and painted), cold: a new headless
Chromium and profile for each load. Served by Python's http.server, as scripts/web.sh serves, and
by nginx set up as tools/web_bench/nginx.conf; medians of LOADS loads, with where the time goes.
Prints figures; asserts nothing.

    /usr/bin/python3 tools/web_bench/first_screen.py [SITE] [LOADS]"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

SITE = sys.argv[1] if len(sys.argv) > 1 else "build-web/site"
LOADS = int(sys.argv[2]) if len(sys.argv) > 2 else 5
HERE = os.path.dirname(os.path.abspath(__file__))

# Marks taken inside the page without changing it: the runtime's own hooks, set before its script.
HOOKS = """
window.marks = {};
const mark = (name) => { window.marks[name] = performance.now(); };
const compile = WebAssembly.instantiateStreaming;
WebAssembly.instantiateStreaming = (...args) => compile(...args).then((r) => {
  mark('compiled');
  return r;
});
window.Module = {
  preRun: [() => mark('downloaded')],
  monitorRunDependencies: (left) => { if (left === 0) mark('started'); },
  postRun: [() => {
    mark('formShown');
    requestAnimationFrame(() => requestAnimationFrame(() => {
      if (!document.getElementById('start').disabled) mark('usable');
    }));
  }],
};"""

RESOURCES = """
const mine = {};
for (const e of performance.getEntriesByType('resource').concat(
    performance.getEntriesByType('navigation'))) {
  const name = e.name.split('/').pop() || 'index.html';
  mine[name] = {end: e.responseEnd, sent: e.transferSize, bytes: e.decodedBodySize};
}
const paint = performance.getEntriesByName('first-contentful-paint')[0];
return {marks: window.marks, files: mine, fcp: paint ? paint.startTime : null};"""


def start(command, ready_url):
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    for _ in range(100):
        if subprocess.run(["curl", "-sfo", "/dev/null", ready_url]).returncode == 0:
            return process
        time.sleep(0.1)
    raise RuntimeError(f"no server at {ready_url}")


def load(url):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    with tempfile.TemporaryDirectory() as profile:
        for flag in ("--headless=new", "--no-sandbox", "--use-gl=angle",
                     "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                     "--window-size=1280,1024", "--no-first-run", "--disable-sync",
                     "--disable-background-networking", "--disable-component-update",
                     f"--user-data-dir={profile}"):
            options.add_argument(flag)
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        try:
            driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": HOOKS})
            driver.get(url)
            WebDriverWait(driver, 60, poll_frequency=0.05).until(
                lambda d: d.execute_script("return window.marks.usable"))
            return driver.execute_script(RESOURCES)
        finally:
            driver.quit()


def report(name, runs):
    def median(pick):
        values = [pick(run) for run in runs]
        return statistics.median(v for v in values if v is not None)

    usable = [run["marks"]["usable"] for run in runs]
    print(f"{name}: usable form {median(lambda r: r['marks']['usable']):.0f} ms "
          f"(loads: {', '.join(f'{v:.0f}' for v in usable)}); medians in ms from navigation:")
    print(f"  first contentful paint {median(lambda r: r['fcp']):.0f}")
    for file in ("index.html", "swirlbeam.js", "swirlbeam.wasm", "swirlbeam.data"):
        f = runs[0]["files"][file]
        print(f"  {file:15} downloaded at {median(lambda r: r['files'][file]['end']):5.0f}"
              f"   {f['sent'] / 1e3:7.0f} kB sent, {f['bytes'] / 1e3:6.0f} kB")
    steps = [("code compiled", "compiled"), ("all downloaded and compiled", "downloaded"),
             ("storage read, program starts", "started"),
             ("settings, music and samples read: the form", "formShown"),
             ("the form painted, Start! enabled", "usable")]
    for text, key in steps:
        print(f"  {text:45} {median(lambda r: r['marks'].get(key)):5.0f}")


def main():
    servers = {
        "python http.server": ["python3", "-m", "http.server", "--bind", "127.0.0.1",
                               "--directory", SITE, "8642"],
        "nginx (gzip)": ["bash", os.path.join(HERE, "serve-nginx.sh"), SITE, "8643"],
    }
    print(f"{LOADS} cold loads each; load average {os.getloadavg()[0]:.2f} at the start")
    for (name, command), port in zip(servers.items(), (8642, 8643)):
        url = f"http://127.0.0.1:{port}/index.html"
        server = start(command, url)
        try:
            report(name, [load(url) for _ in range(LOADS)])
        finally:
            os.killpg(server.pid, signal.SIGTERM)
            server.wait()


if __name__ == "__main__":
    main()
