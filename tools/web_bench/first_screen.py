#!/usr/bin/python3
"""Navigation to a usable settings form (Start! enabled and painted), cold: a new headless
Chromium and profile for each load. Served by Python's http.server, as scripts/web.sh serves, and
by nginx set up as tools/web_bench/nginx.conf; medians of LOADS loads, with where the time goes.
Prints figures; asserts nothing.

    /usr/bin/python3 tools/web_bench/first_screen.py [SITE] [LOADS] [SLOWDOWN]

SLOWDOWN slows the CPU as Lighthouse's mobile preset does (4); the long tasks up to the usable
form are then its Total Blocking Time, measured instead of simulated. Then LOADS reloads from the
page's offline copy with the server stopped, and the size of that copy."""
import os
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.support.ui import WebDriverWait

SITE = sys.argv[1] if len(sys.argv) > 1 else "build-web/site"
LOADS = int(sys.argv[2]) if len(sys.argv) > 2 else 5
SLOWDOWN = float(sys.argv[3]) if len(sys.argv) > 3 else 1  # CPU, as Lighthouse's mobile 4
HERE = os.path.dirname(os.path.abspath(__file__))

# Marks taken inside the page without changing it: the runtime's own hooks, set before its
# scripts, the form's Start! polled each frame, and the main thread's long tasks.
HOOKS = """
window.marks = {};
window.longTasks = [];
const mark = (name) => { if (!(name in window.marks)) window.marks[name] = performance.now(); };
new PerformanceObserver((list) => {
  for (const e of list.getEntries()) window.longTasks.push([e.startTime, e.duration]);
}).observe({type: 'longtask', buffered: true});
// The code is compiled in the loader's worker; it reaches the page to be instantiated.
const instantiate = WebAssembly.instantiate;
WebAssembly.instantiate = (...args) => {
  mark('compiled');
  return instantiate(...args);
};
window.Module = {
  preRun: [() => mark('downloaded')],
  monitorRunDependencies: (left) => { if (left === 0) mark('started'); },
};
const watch = () => {
  const start = document.getElementById('start');
  if (!start || start.matches(':disabled')) return requestAnimationFrame(watch);
  mark('formShown');
  requestAnimationFrame(() => requestAnimationFrame(() => mark('usable')));
};
requestAnimationFrame(watch);"""

RESOURCES = """
const mine = {};
for (const e of performance.getEntriesByType('resource').concat(
    performance.getEntriesByType('navigation'))) {
  const name = e.name.split('/').pop() || 'index.html';
  mine[name] = {end: e.responseEnd, sent: e.transferSize, bytes: e.decodedBodySize};
}
const paint = performance.getEntriesByName('first-contentful-paint')[0];
const usable = window.marks.usable;
const tasks = window.longTasks.filter(([at]) => at < usable).map(([, d]) => d);
return {marks: window.marks, files: mine, fcp: paint ? paint.startTime : null,
        longest: Math.max(0, ...tasks), blocking: tasks.reduce((a, d) => a + d - 50, 0)};"""

CACHED = """
const done = arguments[0];
(async () => {
  let bytes = 0;
  for (const name of await caches.keys()) {
    const cache = await caches.open(name);
    for (const key of await cache.keys()) bytes += (await (await cache.match(key)).arrayBuffer()).byteLength;
  }
  return bytes;
})().then(done);"""


def start(command, ready_url):
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    for _ in range(100):
        if subprocess.run(["curl", "-sfo", "/dev/null", ready_url]).returncode == 0:
            return process
        time.sleep(0.1)
    raise RuntimeError(f"no server at {ready_url}")


def usable_load(driver, navigate):
    navigate()
    WebDriverWait(driver, 60, poll_frequency=0.05).until(
        lambda d: d.execute_script("return window.marks.usable"))
    return driver.execute_script(RESOURCES)


def load(url, server=None):
    """A cold load; with a server, also reloads from the page's offline copy once it is stopped:
    (cold, [offline...], cached bytes)."""
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
            if SLOWDOWN != 1:
                driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": SLOWDOWN})
            cold = usable_load(driver, lambda: driver.get(url))
            if server is None:
                return cold, [], 0
            try:
                WebDriverWait(driver, 30, poll_frequency=0.1).until(lambda d: d.execute_script(
                    "return !!navigator.serviceWorker.controller"))
            except TimeoutException:  # a site without an offline copy
                os.killpg(server.pid, signal.SIGTERM)
                server.wait()
                return cold, [], 0
            WebDriverWait(driver, 60, poll_frequency=0.1).until(
                lambda d: d.execute_async_script("caches.keys().then(arguments[0])"))
            cached = driver.execute_async_script(CACHED)
            os.killpg(server.pid, signal.SIGTERM)
            server.wait()
            offline = [usable_load(driver, driver.refresh) for _ in range(LOADS)]
            return cold, offline, cached
        finally:
            driver.quit()


def report(name, runs):
    def median(pick):
        values = [pick(run) for run in runs]
        values = [v for v in values if v is not None]
        return statistics.median(values) if values else float("nan")

    usable = [run["marks"]["usable"] for run in runs]
    print(f"{name}: usable form {median(lambda r: r['marks']['usable']):.0f} ms "
          f"(loads: {', '.join(f'{v:.0f}' for v in usable)}); medians in ms from navigation:")
    print(f"  first contentful paint {median(lambda r: r['fcp']):.0f}")
    for file in ("index.html", "swirlbeam.js", "swirlbeam.wasm", "swirlbeam.data"):
        f = runs[0]["files"].get(file)
        if f is None:
            continue  # fetched by the loader in a way the browser does not list
        print(f"  {file:15} downloaded at {median(lambda r: r['files'][file]['end']):5.0f}"
              f"   {f['sent'] / 1e3:7.0f} kB sent, {f['bytes'] / 1e3:6.0f} kB")
    steps = [("code compiled", "compiled"), ("all downloaded and compiled", "downloaded"),
             ("storage read, program starts", "started"),
             ("the form painted, Start! enabled", "usable")]
    for text, key in steps:
        print(f"  {text:45} {median(lambda r: r['marks'].get(key)):5.0f}")
    print(f"  longest main-thread task up to then {median(lambda r: r['longest']):.0f}, "
          f"blocking (time over 50 ms in each) {median(lambda r: r['blocking']):.0f}"
          f" (runs: {', '.join('%.0f/%.0f' % (r['longest'], r['blocking']) for r in runs)})")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    ports = free_port(), free_port()  # other runs may be serving at the same time
    servers = {
        "python http.server": ["python3", "-m", "http.server", "--bind", "127.0.0.1",
                               "--directory", SITE, str(ports[0])],
        "nginx (gzip)": ["bash", os.path.join(HERE, "serve-nginx.sh"), SITE, str(ports[1])],
    }
    print(f"{LOADS} cold loads each, CPU slowed {SLOWDOWN:g}x; load average "
          f"{os.getloadavg()[0]:.2f} at the start")
    for (name, command), port in zip(servers.items(), ports):
        url = f"http://127.0.0.1:{port}/index.html"
        server = start(command, url)
        try:
            report(name, [load(url)[0] for _ in range(LOADS)])
        finally:
            os.killpg(server.pid, signal.SIGTERM)
            server.wait()
    # The page's offline copy: one visit from nginx, then reloads with the server stopped.
    url = f"http://127.0.0.1:{ports[1]}/index.html"
    cold, offline, cached = load(url, start(servers["nginx (gzip)"], url))
    if offline:
        report("offline, from the page's cache", offline)
        print(f"  cached: {cached / 1e6:.2f} MB")
    else:
        print("offline: this site keeps no offline copy")


if __name__ == "__main__":
    main()
