// Swirlbeam's loader, the page's first script. It downloads the program's code and data and
// checks each file against the size and SHA-256 the build wrote into build.json before any of it
// runs, so that a damaged download, or files of two builds, never reach the program; it says in
// words what failed. offline.js keeps the build for offline play.
// eslint-disable-next-line no-var -- a host page may set Module's hooks first
var Module = /** @type {SwirlbeamModule} */ (typeof self.Module === 'object' ? self.Module : {});
/* exported swirlbeamLoader */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamLoader = (function () {
  /** The page's own elements, which index.html always has. @returns {HTMLElement} */
  const $ = (id) => /** @type {HTMLElement} */ (document.getElementById(id));
  const program = ['swirlbeam.js', 'swirlbeam.wasm', 'swirlbeam.data'];
  const params = new URLSearchParams(location.search);
  const testAddress = params.has('frame') || params.has('trace');
  const tryAgain = 'Reload the page to download it again. If that does not help, the site\'s ' +
                   'copy is damaged or being updated: try again later.';
  const ownBuild = '';  // this build's id: written in by the build, as into the page
  let build = null;  // build.json: this build's id and files
  // Where offline.js did not come, the page plays online only.
  const offline = typeof swirlbeamOffline === 'object' ? swirlbeamOffline : {
    takeOver: () => Promise.resolve(false),
    keepOffline: () => {},
    restart: () => location.reload(),
    formReady: () => {},
    ended: () => {},
  };
  const {restart, formReady, ended} = offline;
  let failed = false;

  // again: a hiccup that another try may get past; short: what it was, for the progress line.
  function Failure(text, detail, again, short) {
    this.text = text;
    this.detail = detail || '';
    this.again = !!again;
    this.short = short;
    /** @type {number | undefined} */
    this.tries = undefined;  // set by swirlbeamRetry when it gives up
  }

  const count = (n) => n.toLocaleString('en');

  // What failed, in place of "Loading Swirlbeam…", with the technical detail below it.
  function fail(text, detail, tries) {
    if (failed) return;
    if (tries > 1) detail += ' (' + tries + ' tries)';
    failed = true;
    const loading = $('loading');
    loading.textContent = 'Swirlbeam could not be loaded: ' + text;
    if (detail) {
      const small = document.createElement('small');
      small.className = 'detail';
      small.textContent = detail;
      loading.append(small);
    }
    loading.setAttribute('role', 'alert');
    $('dialog').hidden = $('own-media').hidden = true;
    document.title = 'Swirlbeam (not loaded)';
    console.error('swirlbeam: ' + loading.innerText);
  }

  function failWith(e) {
    if (e instanceof Failure) return fail(e.text, e.detail, e.tries);
    fail('an unexpected error stopped it. ' + tryAgain, String(e && e.stack || e));
  }

  function unreachable(name, e) {
    // A frame sandboxed without allow-same-origin may fetch nothing of its own site, and the
    // browser hides why.
    if (self.origin === 'null') {
      return new Failure('its files cannot be fetched in a frame sandboxed without ' +
                         'allow-same-origin.');
    }
    return new Failure(name + ' could not be downloaded: the connection failed. Check that ' +
                       'this device is online and reload the page.', String(e), true,
                       'the connection failed');
  }

  function brokeOff(name, e) {
    return new Failure(name + ' could not be downloaded: the connection broke off. ' + tryAgain,
                       String(e), true, 'the connection broke off');
  }

  function stalled(name) {
    const seconds = swirlbeamRetry.stallSeconds;
    return new Failure(name + ' could not be downloaded: its download stalled, nothing came for ' +
                       seconds + ' seconds. Check that this device is online and reload the ' +
                       'page, or try again later.', 'GET ' + name + ': no data for ' + seconds +
                       ' s', true, 'the download stalled');
  }

  function missing(name, response) {
    const status = response.status + ' ' + response.statusText;
    if (response.status === 404) {
      return new Failure(name + ' is missing on the site (the server answered ' + status +
                         '). The site is incomplete or being updated: try again later.',
                         'GET ' + response.url + ': ' + status);
    }
    return new Failure(name + ' could not be downloaded: the server answered ' + status + '. ' +
                       'Reload the page, or try again later.', 'GET ' + response.url + ': ' + status,
                       swirlbeamRetry.passing(response.status), 'the server answered ' + status);
  }

  function damaged(name, why, detail) {
    return new Failure('the download of ' + name + ' was damaged: ' + why + '. ' + tryAgain,
                       detail);
  }

  // The loading figure: the share of the program's three files come so far.
  // A file being tried again says so after it.
  const come = {};
  let trouble = null;  // {name, short}
  function showProgress() {
    if (failed) return;
    let text = '';
    if (build) {
      let all = 0, sum = 0;
      for (const name of program) {
        all += build.files[name].size;
        sum += come[name] || 0;
      }
      const share = Math.min(1, sum / all);
      text = share < 1 ? Math.floor(100 * share) + ' %' : 'starting…';
    }
    if (trouble) {
      text += (text ? ' – ' : '') + trouble.name + ': ' + trouble.short + ', trying again…';
    }
    if ($('progress').textContent !== text) $('progress').textContent = text;  // no needless paint
  }

  // The bytes of a download, each piece also sent to the checker as it comes.
  function readCounting(response, name, checking, guard) {
    if (!response.body) {
      return response.arrayBuffer().then((bytes) => {
        checking.piece(new Uint8Array(bytes));
        checking.end();
        return bytes;
      });
    }
    const reader = response.body.getReader();
    const chunks = [];
    let n = 0;
    const next = () => reader.read().then((chunk) => {
      if (chunk.done) return;
      guard.alive();
      if (trouble && trouble.name === name) trouble = null;
      chunks.push(chunk.value);
      checking.piece(chunk.value);
      come[name] = n += chunk.value.length;
      showProgress();
      return next();
    });
    return next().then(() => {
      checking.end();
      return new Blob(chunks).arrayBuffer();
    });
  }

  // Revalidated with the host (or answered by the service worker): a copy in the browser's
  // HTTP cache may belong to an older build.
  // A failed, cut or stalled download is tried again; bytes that came whole but wrong are not.
  function download(name) {
    return fetchRetrying(name, (response, guard) => {
      const got = {name: name, type: response.headers.get('Content-Type') || ''};
      const checking = check(name.endsWith('.wasm'));
      got.answer = checking.answer;
      return readCounting(response, name, checking, guard).then((bytes) => {
        got.bytes = bytes;
        return got;
      }, (e) => {
        checking.drop();
        come[name] = 0;
        showProgress();
        throw guard.stalled ? stalled(name) : brokeOff(name, e);
      });
    });
  }

  // read(response, guard) takes the body of an answer that came.
  function fetchRetrying(name, read) {
    const retried = (failure) => {
      trouble = {name, short: failure.short};
      showProgress();
    };
    return swirlbeamRetry.retrying((guard) => fetch(name, {
      cache: 'no-cache', credentials: 'same-origin', signal: guard.signal,
    }).then((response) => {
      if (!response.ok) throw missing(name, response);
      return read(response, guard);
    }, (e) => Promise.reject(guard.stalled ? stalled(name) : unreachable(name, e))), retried);
  }

  function hex(buffer) {
    return [...new Uint8Array(buffer)].map((b) => b.toString(16).padStart(2, '0')).join('');
  }

  // Size always; SHA-256 where the browser offers it (pages served over https, or from this
  // machine), which is also where the service worker keeps the files.
  function verify(got) {
    const want = build.files[got.name];
    const size = got.bytes.byteLength;
    const page = /^text\/html/.test(got.type) ? ' (the server sent a web page in its place)' : '';
    if (size !== want.size) {
      const why = size < want.size ? 'only ' + count(size) + ' of its ' + count(want.size) +
                  ' bytes came' : 'it has ' + count(size) + ' bytes, not ' + count(want.size);
      throw damaged(got.name, why + page, 'build ' + build.id);
    }
    if (!(self.crypto && crypto.subtle)) return got;
    return got.answer.then((answer) => answer.digest || crypto.subtle.digest('SHA-256', got.bytes))
      .then((digest) => {
        const sha = hex(digest);
        if (sha !== want.sha256) {
          throw damaged(got.name, 'its contents are not those of this version of Swirlbeam' +
                        page, 'SHA-256 ' + sha + '; build ' + build.id + ' has ' + want.sha256);
        }
        return got;
      });
  }

  // The checker (checker_worker.js) hashes each download and compiles the program's code as it
  // streams, off the page's thread.
  // Where no worker may start (or it fails), each answer is empty and the page does the work.
  // A download that breaks off is never ended: nothing waits for its answer.
  let checkerWorker, nextCheck = 0;
  const checks = new Map();
  const unchecked = {digest: null, compiled: null};
  function check(compile) {
    if (checkerWorker === undefined) checkerWorker = startChecker();
    const id = nextCheck++;
    if (!checkerWorker) {
      return {answer: Promise.resolve(unchecked), piece() {}, end() {}, drop() {}};
    }
    const send = (piece) => checkerWorker && checkerWorker.postMessage([id, piece, compile]);
    return {
      answer: new Promise((resolve) => checks.set(id, resolve)),
      piece: send,
      end: () => send(null),
      drop: () => {
        checks.delete(id);
        send(false);
      },
    };
  }

  function startChecker() {
    try {
      const worker = new Worker(ownFile('checker_worker.js'));
      worker.onmessage = (event) => {
        const [id, digest, compiled] = event.data;
        const resolve = checks.get(id);
        checks.delete(id);
        if (resolve) resolve({digest, compiled});  // none once the page took over
      };
      worker.onerror = () => {  // each waiting file is checked here instead
        checkerWorker = null;
        for (const resolve of checks.values()) resolve(unchecked);
        checks.clear();
      };
      return worker;
    } catch (e) {
      return null;
    }
  }

  // One page load runs one build whole. The page can come from another build than its files: kept
  // by a browser's cache where the host did not ask for revalidation, answered by an earlier
  // build's worker that the new one replaced during the load (Chromium), or sent half-way through
  // a deployment. It then loads again, once, which asks for the page anew.
  const reloadedFor = 'swirlbeam-reloaded-for';
  function oneBuild(list) {
    const page = document.documentElement.dataset.build;
    if (page === ownBuild && ownBuild === list.id) {
      try { sessionStorage.removeItem(reloadedFor); } catch (e) { /* nothing was kept */ }
      return true;
    }
    if (!testAddress && firstLoadFor(list.id)) {
      location.reload();
      return false;
    }
    throw new Failure('its files are of two versions of the site, which is being updated. ' +
                      'Reload the page in a minute.',
                      'page ' + page + ', loader ' + ownBuild + ', files ' + list.id);
  }

  // Whether this tab has not yet loaded the page again for build `id`: kept for the tab's session,
  // or, where the browser keeps nothing for the site, whether this load is not a reload already.
  function firstLoadFor(id) {
    try {
      if (sessionStorage.getItem(reloadedFor) === id) return false;
      sessionStorage.setItem(reloadedFor, id);
      return true;
    } catch (e) {
      const load = /** @type {PerformanceNavigationTiming | undefined} */ (
        performance.getEntriesByType('navigation')[0]);
      return !load || load.type !== 'reload';
    }
  }

  function manifest() {
    const name = 'build.json';
    return fetchRetrying(name, (response, guard) => response.text().then((text) => {
      if (trouble && trouble.name === name) trouble = null;
      try {
        return JSON.parse(text);
      } catch (e) {
        throw damaged(name, 'it is not the build\'s list of files', String(e));
      }
    }, (e) => Promise.reject(guard.stalled ? stalled(name) : brokeOff(name, e))));
  }

  const cannotRun = 'this browser could not run Swirlbeam\'s program code (WebAssembly). Try ' +
                    'updating the browser, or another browser; some security settings turn ' +
                    'WebAssembly off.';

  function compile(wasm) {
    if (typeof WebAssembly !== 'object') {
      return Promise.reject(new Failure(cannotRun, 'WebAssembly is not available'));
    }
    return wasm.answer.then(({compiled}) => {
      if (compiled && compiled.error) throw new Failure(cannotRun, compiled.error);
      return compiled ? compiled.module : WebAssembly.compile(wasm.bytes)
        .catch((e) => Promise.reject(new Failure(cannotRun, String(e))));
    });
  }

  function scriptURL(code) {
    return URL.createObjectURL(new Blob([code], {type: 'text/javascript'}));
  }

  // A script of this build's, asked for by its id, so that a browser's cache never gives one of
  // another build.
  const ownFile = (name) => name + '?v=' + ownBuild;

  // The program runs only once all three files have come whole: it fetches nothing itself.
  /** @param {{bytes: ArrayBuffer}} js @param {{bytes: ArrayBuffer}} data
      @param {WebAssembly.Module} module */
  function run(js, data, module) {
    Module.getPreloadedPackage = () => data.bytes;
    Module.instantiateWasm = (imports, done) => {
      WebAssembly.instantiate(module, imports).then((instance) => done(instance, module),
                                                    (e) => fail(cannotRun, String(e)));
      return {};
    };
    // From a blob, not as inline text: the browser then parses it off the main thread.
    const script = document.createElement('script');
    script.src = scriptURL(js.bytes);
    document.body.append(script);
  }

  // The first WebGL context of a page starts the browser's GPU side, which can hold the page's
  // thread for most of a second (SwiftShader on a slow phone); one made first in a worker takes
  // that start off the thread. Its answer never stands for the page's: a browser may give WebGL
  // to a worker and not to the page (Chromium with 3D APIs turned off). Resolves when done (or
  // failed: a worker whose file did not come), or at once where it cannot be done in a worker.
  let startedGPU = null;
  const gpuReady = new Promise((resolve) => { startedGPU = resolve; });  // the page's check waits
  function warmUpWebGL() {
    return /** @type {Promise<void>} */ (new Promise((resolve) => {
      if (typeof OffscreenCanvas !== 'function' || typeof Worker !== 'function') return resolve();
      try {
        const worker = new Worker(ownFile('gpu_worker.js'));
        worker.onmessage = worker.onerror = () => {
          worker.terminate();
          resolve();
        };
      } catch (e) {
        resolve();  // a page that may not start workers checks on its own thread
      }
    }));
  }

  // Resolves once the whole page has been painted and shown: the frame after the next one has
  // begun; at once in a tab in the background, which paints nothing.
  function firstPaint() {
    if (document.visibilityState === 'hidden') return Promise.resolve();
    return new Promise((resolve) =>
      requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(resolve, 0))));
  }

  function start() {
    if (typeof swirlbeamRetry !== 'object') {
      return fail('its file retry.js did not come. Reload the page; if that does not help, the ' +
                  'site is incomplete or down: try again later.');
    }
    if (location.protocol === 'file:') {
      return fail('it must be served by a web server, as browsers do not let a page opened as a ' +
                  'file load its program. In Swirlbeam\'s source folder, run bash scripts/web.sh ' +
                  'and open the address it prints; or serve this folder with any web server ' +
                  '(python3 -m http.server in it, then open http://127.0.0.1:8000/).');
    }
    // A reload or a new visit while a new build waits: it takes over, and the page loads again.
    // The downloads wait for the page's first paint: on a slow link their 3 MB would otherwise
    // share it with what the player sees first.
    Promise.all([offline.takeOver(), firstPaint()]).then(([tookOver]) => {
      if (tookOver) return location.reload();
      const warm = warmUpWebGL();
      startedGPU(warm);
      const got = {};
      for (const name of program) {
        got[name] = download(name);
        got[name].catch(() => {});  // reported below, in order
      }
      return manifest().then((list) => {
        if (!oneBuild(list)) return new Promise(() => {});  // loading again
        build = list;
        showProgress();
        const checked = (name) => got[name].then(verify);
        return Promise.all([checked('swirlbeam.js'), checked('swirlbeam.data'),
                            checked('swirlbeam.wasm').then(compile)])
          .finally(() => checkerWorker && checkerWorker.terminate());
      }).then((all) => {
        // Up to a second more for the GPU side to start: the page's thread is free meanwhile,
        // and beyond that the page's own check waits for what remains.
        return Promise.race([warm, new Promise((resolve) => setTimeout(resolve, 1000))])
          .then(() => all);
      }).then((all) => {
        run(all[0], all[1], all[2]);
        offline.keepOffline();
      });
    }).catch(failWith);
  }

  start();

  return {restart, build: () => build && build.id, gpuReady: () => gpuReady, formReady, ended};
})();
