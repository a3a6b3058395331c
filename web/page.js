// Swirlbeam's page, run before the program's own code starts: it hooks the page's parts (the
// files, the form, the boxes, the show) to the program, starts it once WebGL is known to work,
// and serves the addresses that show one frame or a trace of the show.
(function () {
  const page = swirlbeamPage, $ = page.$, files = swirlbeamFiles, show = swirlbeamShow;
  const call = show.call;
  let largestView = [0, 0];  // the largest viewport WebGL draws, which caps the canvas
  // The form is decided by the page's own canvas, never by the loader's worker. Asked once that
  // worker has started the GPU side, in a task of its own: the page's first context would
  // otherwise hold its thread while the GPU side starts.
  const webGLChecked = swirlbeamLoader.gpuReady().then(() => new Promise((resolve) => {
    setTimeout(() => {
      const has = webGLAvailable();
      if (!has) showNoWebGL();
      resolve(has);
    }, 0);
  }));

  Module.canvas = /** @type {HTMLCanvasElement} */ ($('canvas'));
  Module.noInitialRun = true;
  Module.preRun = (Module.preRun || []).concat(files.openStore);
  Module.onRuntimeInitialized = begin;
  Module.page = {
    showForm: swirlbeamForm.show,
    showMessage: swirlbeamBoxes.showMessage,
    ask: (text, caption) => swirlbeamBoxes.ask(text, caption, (yes) => call('_web_answer', yes)),
    playing: show.playing,
    ended: show.ended,
    returnToForm: () => swirlbeamBoxes.thenAfterBoxes(files.startAgain),
    saveStorage: files.saveStorage,
  };
  // Every exit of the program comes here, also one in a task of the program's own (a picture
  // that no longer decodes ends it inside the show's start), where no call of ours catches it.
  // The one at the end of its main, before the form, is not an end.
  Module.quit = (status, toThrow) => {
    if (page.is('starting', 'playing')) show.ended(status);
    throw toThrow;
  };
  if (page.testMode) {
    $('dialog').hidden = $('own-media').hidden = true;
    keepDrawnPicture($('canvas'));
  }

  // An addressed frame stays on the canvas for whoever looks at it. Without this the browser may
  // drop the drawing buffer once it has shown it, and a later screenshot, which some engines
  // paint anew, finds the canvas empty.
  function keepDrawnPicture(canvas) {
    const getContext = canvas.getContext.bind(canvas);
    canvas.getContext = (type, attributes) =>
      getContext(type, Object.assign({}, attributes, {preserveDrawingBuffer: true}));
  }

  // A program that cannot load says what failed: in a sandboxed frame without allow-same-origin
  // its files cannot be fetched, and the page would otherwise wait for ever.
  Module.onAbort = (what) => loadFailed(what);
  window.addEventListener('error', (event) => loadFailed(event.message));
  window.addEventListener('unhandledrejection', (event) => {
    loadFailed(event.reason && event.reason.message || String(event.reason));
  });

  function loadFailed(what) {
    if (!page.is('loading') || !page.moveTo('ended')) return;
    // There, the browser hides the error itself ("Script error."): say what it means.
    const sandboxed = self.origin === 'null';
    $('loading').setAttribute('role', 'alert');
    $('loading').textContent = 'Swirlbeam could not be loaded: ' + (sandboxed
        ? 'its files cannot be fetched in a frame sandboxed without allow-same-origin.' : what);
    document.title = 'Swirlbeam (not loaded)';
  }

  function begin() {
    if (!page.moveTo('begun')) return;
    $('loading').hidden = true;
    webGLChecked.then((has) => has && beginWithWebGL());
  }

  function beginWithWebGL() {
    Module._web_set_largest_view(largestView[0], largestView[1]);
    // The files, then the program, each in a task apart from the runtime's start: none of them
    // holds a tap for long.
    setTimeout(() => {
      if (page.testMode) return runTestMode();
      files.prepareShowFolder(true);
      swirlbeamOwnMedia.showState();
      setTimeout(() => call('callMain', []), 0);
    }, 0);
  }

  // The show draws with WebGL: without it, say so in place of the form, which would fail at Start!.
  function webGLAvailable() {
    const gl = document.createElement('canvas').getContext('webgl');
    if (!gl) return false;
    largestView = [...gl.getParameter(gl.MAX_VIEWPORT_DIMS)];
    const lose = gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    return true;
  }

  function showNoWebGL() {
    $('loading').hidden = $('dialog').hidden = $('own-media').hidden = true;
    $('no-webgl').hidden = false;
    document.title = 'Swirlbeam (no WebGL)';
  }

  // Frames and traces by address: ?seed=N&size=WxH&frame=F and ?seed=N&trace=K

  function badAddress(text) {
    swirlbeamBoxes.showMessage(text, 'Swirlbeam', 0);
    document.title = 'bad address';
  }

  function whole(name, text, low, high) {
    const value = /^[0-9]+$/.test(text) ? Number(text) : NaN;
    if (!(value >= low && value <= high)) {
      throw new Error(name + ' must be a whole number from ' + low + ' to ' + high +
                      ', not "' + text + '"');
    }
    return value;
  }

  function runTestMode() {
    const mode = page.testMode, params = page.params;
    document.body.classList.add('capture');
    files.prepareShowFolder(false);
    const frames = Module._web_show_frame_count();
    let seed, width = 640, height = 480, last;
    try {
      seed = whole('seed', params.get('seed') ?? '1', 0, 4294967295);
      if (mode === 'frame') {
        const size = /^([0-9]+)x([0-9]+)$/.exec(params.get('size') ?? '640x480');
        if (!size) throw new Error('size must be WIDTHxHEIGHT, as 640x480');
        width = whole('width', size[1], 1, 4096);
        height = whole('height', size[2], 1, 4096);
        last = whole('frame', params.get('frame'), 0, frames - 1);
      } else {
        last = whole('trace', params.get('trace'), 1, frames) - 1;
      }
    } catch (e) {
      return badAddress('Bad address: ' + e.message + '.');
    }
    if (!call('_web_capture_open', seed >>> 0, width, height)) {
      document.title = 'failed';
      return;
    }
    const traced = mode === 'trace' ? 1 : 0;
    const slice = () => {
      if (!call('_web_capture_frames', last, 250, traced)) return setTimeout(slice, 0);
      if (traced) {
        $('trace').textContent = UTF8ToString(Module._web_trace_text());
        $('trace').hidden = false;
        $('stage').hidden = true;
      }
      document.title = mode + ' ' + params.get(/** @type {string} */ (mode));
    };
    slice();
  }
})();
