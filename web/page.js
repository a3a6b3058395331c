// Swirlbeam's page, run before the program's own code starts: the files the program reads (the
// default media, the player's own files and the settings, kept in the browser's database), the
// settings form, the message and question boxes, the canvas, and the addresses that show one
// frame or a trace of the show.
(function () {
  const mediaNames = ['texture.jpg', 'smoke.jpg', 'logo.jpg', 'logo2.jpg', 'web.jpg',
                      'thanks.jpg', 'music.dat', 'strike.wav', 'swirlbeam.wav', 'thanks.wav'];
  const defaults = '/defaults';  // packed with the page
  const store = '/store';        // kept by the browser between visits
  const showFolder = '/show';    // the program's working folder
  const ownNames = mediaNames.concat('config.dat');
  const storage = swirlbeamStorage;
  let storeBroken = null;  // why the store cannot be used, once it is known
  const icons = ['\u26a0\ufe0f', '\u26d4', '\u2753', '\u2139\ufe0f'];  // MessageIcon's order
  const params = new URLSearchParams(location.search);
  const testMode = params.has('frame') ? 'frame' : params.has('trace') ? 'trace' : null;
  const $ = (id) => document.getElementById(id);
  let playingFullScreen = false;
  let state = 'loading';  // loading, begun, form, starting, playing, ended
  const hasWebGL = webGLAvailable();
  if (!hasWebGL) showNoWebGL();

  Module.canvas = $('canvas');
  Module.noInitialRun = true;
  Module.preRun = (Module.preRun || []).concat(openStore);
  Module.onRuntimeInitialized = begin;
  Module.page = {showForm, showMessage, ask, playing, ended, returnToForm, saveStorage};
  if (testMode) $('dialog').hidden = $('own-media').hidden = true;

  // The store's files are read before the program starts; without them it plays with the
  // defaults, and the player is told.
  function openStore() {
    FS.mkdir(store);
    addRunDependency('store');
    storage.readAll().then((files) => {
      for (const name in files) {
        if (ownNames.includes(name)) FS.writeFile(store + '/' + name, files[name]);
      }
    }).catch((e) => {
      storeBroken = storage.reason(e);
      showMessage('Your settings and own files cannot be kept here: ' + storeBroken + '.\n' +
                  'Swirlbeam plays with its defaults.', 'Swirlbeam', 0);
    }).then(() => removeRunDependency('store'));
  }

  // A program that cannot load says what failed: in a sandboxed frame without allow-same-origin
  // its files cannot be fetched, and the page would otherwise wait for ever.
  Module.onAbort = (what) => loadFailed(what);
  window.addEventListener('error', (event) => loadFailed(event.message));
  window.addEventListener('unhandledrejection', (event) => {
    const why = event.reason && event.reason.message || String(event.reason);
    // SDL resumes its audio on a key or click; a program that ended at once closed it first.
    if (/AudioContext/.test(why)) return event.preventDefault();
    loadFailed(why);
  });

  function loadFailed(what) {
    if (state !== 'loading') return;
    state = 'ended';
    // There, the browser hides the error itself ("Script error."): say what it means.
    const sandboxed = self.origin === 'null';
    $('loading').textContent = 'Swirlbeam could not be loaded: ' + (sandboxed
        ? 'its files cannot be fetched in a frame sandboxed without allow-same-origin.' : what);
    document.title = 'Swirlbeam (not loaded)';
  }

  function exists(path) {
    return FS.analyzePath(path).exists;
  }

  function ownFiles() {
    return mediaNames.filter((name) => exists(store + '/' + name));
  }

  // The working folder names the files the program opens; the settings file lives in the store
  // and is seeded from the default one on a first visit, as the menu launcher does on a desktop.
  function prepareShowFolder(withOwnFiles) {
    FS.mkdir(showFolder);
    for (const name of mediaNames) linkShowFile(name, withOwnFiles);
    if (withOwnFiles && !exists(store + '/config.dat')) {
      FS.writeFile(store + '/config.dat', FS.readFile(defaults + '/config.dat'));
    }
    FS.symlink(withOwnFiles ? store + '/config.dat' : defaults + '/config.dat',
               showFolder + '/config.dat');
    FS.chdir(showFolder);
  }

  function linkShowFile(name, withOwnFiles) {
    const own = store + '/' + name, link = showFolder + '/' + name;
    if (FS.analyzePath(link, true).exists) FS.unlink(link);  // the link, whatever it names
    FS.symlink(withOwnFiles && exists(own) ? own : defaults + '/' + name, link);
  }

  // The settings, after Start! wrote them; the show plays on whatever the store answers. Where
  // the store was out of reach at load, the player has been told that nothing is kept.
  function saveStorage() {
    if (storeBroken) return;
    keep('config.dat', FS.readFile(store + '/config.dat'))
      .catch((why) => showMessage('Your settings were not kept: ' + why + '.', 'Swirlbeam', 0));
  }

  // Rejects with the reason in words, and once the store is known to be out of reach, at once.
  function keep(name, bytes) {
    if (storeBroken) return Promise.reject(storeBroken);
    return storage.write(name, bytes).catch((e) => Promise.reject(storage.reason(e)));
  }

  // Runs a call into the program; an exit inside it (a fatal error) ends the page's program.
  function call(name, ...args) {
    try {
      return Module[name](...args);
    } catch (e) {
      if (e && e.name === 'ExitStatus') return ended(e.status);
      console.error(e);
      showMessage(String(e), 'Error', 0);
      ended(-1);
    }
  }

  function begin() {
    state = 'begun';
    $('loading').hidden = true;
    if (!hasWebGL) return;
    drawDialogPicture();
    if (testMode) return runTestMode();
    prepareShowFolder(true);
    showOwnMediaState();
    call('callMain', []);
  }

  // The show draws with WebGL: without it, say so in place of the form, which would fail at Start!.
  function webGLAvailable() {
    const gl = document.createElement('canvas').getContext('webgl');
    if (!gl) return false;
    const lose = gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    return true;
  }

  function showNoWebGL() {
    $('loading').hidden = $('dialog').hidden = $('own-media').hidden = true;
    $('no-webgl').hidden = false;
    document.title = 'Swirlbeam (no WebGL)';
  }

  // The settings form

  const depthBoxes = () => [$('depth16'), $('depth24'), $('depth32')];

  function showForm(s) {
    state = 'form';
    $('resolution').selectedIndex = s.resolution;  // -1 leaves the field empty
    $('windowed').checked = s.windowed;
    $('music').checked = s.music;
    $('dither').checked = s.dither;
    depthBoxes().forEach((box, i) => { box.checked = s.depth[i]; });
    $('dialog').querySelector('.client').disabled = $('media-picker').disabled = false;
    $('dialog').removeAttribute('aria-busy');
    $('dialog').hidden = false;
    $('own-media').hidden = false;
    $('resolution').focus();
  }

  function leaveForm() {
    state = 'starting';
    $('dialog').hidden = true;
    $('own-media').hidden = true;
  }

  function start() {
    if (state !== 'form') return;
    leaveForm();
    const [d16, d24, d32] = depthBoxes().map((box) => +box.checked);
    const wanted = call('_web_start', $('resolution').selectedIndex, +$('windowed').checked,
                        +$('music').checked, +$('dither').checked, d16, d24, d32);
    if (wanted === 1 && !$('stage').requestFullscreen) {
      call('_web_open_windowed');  // iPhone Safari: no full screen for a page, nothing to ask
    } else if (wanted === 1) {
      // Asked within the click, as browsers require; a refusal gets the program's question.
      requestFullScreen().then(() => call('_web_open', 1), () => call('_web_open', 0));
    } else if (wanted === 0) {
      call('_web_open', 0);
    }
  }

  function requestFullScreen() {
    const stage = $('stage');
    stage.hidden = false;
    if (!document.fullscreenEnabled || !stage.requestFullscreen) {
      return Promise.reject(new Error('no full screen here'));
    }
    return stage.requestFullscreen({navigationUI: 'hide'});
  }

  $('dialog').addEventListener('submit', (event) => {
    event.preventDefault();
    start();
  });
  $('exit').addEventListener('click', () => {
    if (state !== 'form') return;
    leaveForm();
    call('_web_exit');
  });
  // Return starts the show unless a push button has the focus, which then takes it itself.
  $('dialog').addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && event.target.tagName !== 'BUTTON') {
      event.preventDefault();
      start();
    }
  });

  // The dialog's picture is the desktop program's own, an XPM of 16 colours.
  function drawDialogPicture() {
    fetch('comet_swirl.xpm').then((r) => r.text()).then((xpm) => {
      const rows = [...xpm.matchAll(/"([^"]*)"/g)].map((m) => m[1]);
      const [width, height, colours] = rows[0].split(/\s+/).map(Number);
      const palette = {};
      for (const row of rows.slice(1, 1 + colours)) palette[row[0]] = row.match(/#([0-9a-f]{6})/i)[1];
      const canvas = $('picture');
      const context = canvas.getContext('2d');
      const image = context.createImageData(width, height);
      rows.slice(1 + colours).forEach((row, y) => {
        for (let x = 0; x < width; ++x) {
          const rgb = parseInt(palette[row[x]], 16);
          image.data.set([rgb >> 16, (rgb >> 8) & 255, rgb & 255, 255], 4 * (y * width + x));
        }
      });
      context.putImageData(image, 0, 0);
    }).catch((e) => console.error('swirlbeam: dialog picture: ' + e));
  }

  // Message and question boxes: every message of the program, with its caption and icon

  function openBox(text, caption, icon, answers) {
    const box = $('message-box').content.firstElementChild.cloneNode(true);
    box.querySelector('.caption').textContent = caption;
    box.querySelector('.icon').textContent = icons[icon] || '';
    box.querySelector('.text').textContent = text.replace(/\n+$/, '');
    for (const answer of answers) {  // no destructuring here: emcc's minifier mangles it
      const label = answer[0], onAnswer = answer[1];
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = label;
      button.addEventListener('click', () => {
        box.remove();
        onAnswer();
      });
      box.querySelector('.buttons').append(button);
    }
    box.addEventListener('keydown', (event) => {
      if (event.key !== 'Escape') return;
      event.preventDefault();
      box.querySelector('.buttons button:last-child').click();  // OK, or No
    });
    $('messages').append(box);
    box.querySelector('button').focus();
  }

  function showMessage(text, caption, icon) {
    openBox(text, caption, icon, [['OK', whenBoxesClosed]]);
  }

  function ask(text, caption) {
    openBox(text, caption, 2, [['Yes', () => call('_web_answer', 1)],
                                ['No', () => call('_web_answer', 0)]]);
  }

  let afterBoxes = null;
  function whenBoxesClosed() {
    if (afterBoxes && !$('messages').children.length) afterBoxes();
  }

  function returnToForm() {
    afterBoxes = () => swirlbeamLoader.restart();
    if (!$('messages').children.length) afterBoxes();
  }

  // The show and its end

  function playing(fullScreen) {
    leaveForm();
    state = 'playing';
    playingFullScreen = fullScreen;
    $('stage').hidden = false;
    $('canvas').focus();
    $('canvas').scrollIntoView({block: 'nearest'});  // below the page on a small screen
  }

  // In full screen the browser keeps Escape for itself: leaving full screen ends the show.
  document.addEventListener('fullscreenchange', () => {
    if (state === 'playing' && playingFullScreen && !document.fullscreenElement) {
      call('_web_quit');
    }
  });

  // A tap ends the show as Escape does, for screens without a keyboard; a mouse click does
  // nothing, as on the desktop.
  $('canvas').addEventListener('pointerup', (event) => {
    if (state === 'playing' && event.pointerType !== 'mouse') call('_web_quit');
  });

  function ended(code) {
    if (state === 'ended') return;
    state = 'ended';
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    $('stage').hidden = true;
    $('dialog').hidden = true;
    $('own-media').hidden = $('media-picker').disabled = false;
    $('ended-text').textContent = code === 0 ? 'Swirlbeam has ended.'
                                              : 'Swirlbeam stopped after an error.';
    $('ended').hidden = false;
    document.title = 'Swirlbeam (ended)';
    $('again').focus();
  }

  $('again').addEventListener('click', () => swirlbeamLoader.restart());

  // The player's own media: any of the show's ten files, kept until put back to the defaults

  function showOwnMediaState() {
    const own = ownFiles();
    $('media-state').textContent = own.length ? 'Playing with your own ' + own.join(', ') + '.'
                                              : '';
    $('default-media').hidden = !own.length;
  }

  // Each file is tried with the program's own loaders when given, as at Start!, and kept only
  // when they take it; the page then starts again to read it, once the player has read why any
  // other was refused.
  function takeOwnFiles(files) {
    if (state !== 'form' && state !== 'ended') return;
    const taken = [...files].filter((file) => ownNames.includes(file.name));
    const refused = [...files].filter((file) => !ownNames.includes(file.name));
    if (refused.length) {
      showMessage('Not a file the show reads: ' + refused.map((f) => f.name).join(', ') +
                  '\nThe show reads ' + ownNames.join(', ') + '.', 'Swirlbeam', 3);
    }
    if (!taken.length) return;
    if (storeBroken) {
      return showMessage('Your own files cannot be kept here: ' + storeBroken + '.', 'Swirlbeam',
                         0);
    }
    Promise.all(taken.map((file) => takeOwnFile(file).then(() => true, (text) => {
      showMessage(text, 'Error', 0);
      return false;
    }))).then((kept) => {
      if (!kept.includes(true)) return;
      afterBoxes = () => swirlbeamLoader.restart();  // the start-up reads them anew
      whenBoxesClosed();
    });
  }

  // Resolves once kept; rejects with the message for the player.
  function takeOwnFile(file) {
    return swirlbeamOwnFiles.check(file).then((bytes) => keep(file.name, bytes).then(
        () => FS.writeFile(store + '/' + file.name, bytes),
        (why) => Promise.reject(file.name + ' was not kept: ' + why + '.')));
  }

  $('media-picker').addEventListener('change', (event) => {
    takeOwnFiles(event.target.files);
    event.target.value = '';  // the same file picked again, mended, is news again
  });
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dropping');
    takeOwnFiles(event.dataTransfer.files);
  });
  $('default-media').addEventListener('click', () => {
    const names = ownFiles();
    const removed = storeBroken ? Promise.reject(storeBroken) : storage.remove(names).catch(
        (e) => Promise.reject(storage.reason(e)));
    removed.then(() => names.forEach((name) => FS.unlink(store + '/' + name)), (why) => {
      showMessage('Your own files are still kept: ' + why + '.', 'Swirlbeam', 0);
    }).then(() => {
      afterBoxes = () => swirlbeamLoader.restart();
      whenBoxesClosed();
    });
  });

  // Another tab kept or removed files: this one plays them from now on, and never writes back
  // what it had before. The sounds and settings already loaded stay until the page starts again.
  storage.onChange((names, removed) => {
    for (const name of names.filter((n) => ownNames.includes(n))) {
      const path = store + '/' + name;
      const known = removed ? Promise.resolve(null) : storage.read(name);
      known.then((bytes) => {
        if (bytes) FS.writeFile(path, bytes);
        else if (exists(path)) FS.unlink(path);
        if (mediaNames.includes(name) && !testMode && exists(showFolder)) linkShowFile(name, true);
        if (state === 'form' || state === 'ended') showOwnMediaState();
      }).catch((e) => console.error('swirlbeam: browser storage: ' + e));
    }
  });

  // Frames and traces by address: ?seed=N&size=WxH&frame=F and ?seed=N&trace=K

  function badAddress(text) {
    showMessage(text, 'Swirlbeam', 0);
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
    document.body.classList.add('capture');
    prepareShowFolder(false);
    const frames = Module._web_show_frame_count();
    let seed, width = 640, height = 480, last;
    try {
      seed = whole('seed', params.get('seed') ?? '1', 0, 4294967295);
      if (testMode === 'frame') {
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
    const traced = testMode === 'trace' ? 1 : 0;
    const slice = () => {
      if (!call('_web_capture_frames', last, 250, traced)) return setTimeout(slice, 0);
      if (traced) {
        $('trace').textContent = UTF8ToString(Module._web_trace_text());
        $('trace').hidden = false;
        $('stage').hidden = true;
      }
      document.title = testMode + ' ' + params.get(testMode);
    };
    slice();
  }
})();
