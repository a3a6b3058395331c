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
  /** The page's own elements, which index.html always has. @returns {HTMLElement} */
  const $ = (id) => /** @type {HTMLElement} */ (document.getElementById(id));
  const resolution = () => /** @type {HTMLSelectElement} */ ($('resolution'));
  const input = (id) => /** @type {HTMLInputElement} */ ($(id));
  let playingFullScreen = false;
  let state = 'loading';  // loading, begun, form, starting, playing, ended
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
  Module.preRun = (Module.preRun || []).concat(openStore);
  Module.onRuntimeInitialized = begin;
  Module.page = {showForm, showMessage, ask, playing, ended, returnToForm, saveStorage};
  // Every exit of the program comes here, also one in a task of the program's own (a picture
  // that no longer decodes ends it inside the show's start), where no call of ours catches it.
  // The one at the end of its main, before the form, is not an end.
  Module.quit = (status, toThrow) => {
    if (state === 'starting' || state === 'playing') ended(status);
    throw toThrow;
  };
  if (testMode) {
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

  // The store's files are read before the program starts; without them it plays with the
  // defaults, and the player is told.
  function openStore() {
    FS.mkdir(store);
    addRunDependency('store');
    storage.readAll().then((kept) => {
      for (const name in kept.files) {
        if (ownNames.includes(name)) FS.writeFile(store + '/' + name, kept.files[name]);
      }
      if (kept.damaged.length) dropDamaged(kept.damaged);
    }).catch((e) => {
      storeBroken = storage.reason(e);
      showMessage('Your settings and own files cannot be kept here: ' + storeBroken + '.\n' +
                  'Swirlbeam plays with its defaults.', 'Swirlbeam', 0);
    }).then(() => removeRunDependency('store'));
  }

  // An entry the page cannot read as a file (written by other code, or cut short) is dropped, so
  // that the rest of the storage goes on working; the player hears which file was lost.
  function dropDamaged(names) {
    const own = names.filter((name) => ownNames.includes(name));
    storage.remove(names).catch((e) => console.error('swirlbeam: dropping ' + names + ': ' + e));
    if (!own.length) return;
    showMessage('Your own ' + own.join(', ') + (own.length > 1 ? ' were' : ' was') +
                ' damaged in the browser\'s storage and ' + (own.length > 1 ? 'have' : 'has') +
                ' been removed; the show uses its own ' + (own.length > 1 ? 'files' : 'file') +
                ' instead. Your other files and settings are kept.', 'Swirlbeam', 0);
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
    $('loading').setAttribute('role', 'alert');
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
    keep('config.dat', FS.readFile(store + '/config.dat'), 'your settings')
      .catch((why) => showMessage('Your settings were not kept: ' + why + '.', 'Swirlbeam', 0));
  }

  // Changes under way, by what the player is told they are ("your settings", "logo.jpg").
  const saving = new Map();
  let nextChange = 0;

  // Rejects with the reason in words, and once the store is known to be out of reach, at once.
  // A change the browser is slow to make is waited for, and said to be under way meanwhile: it
  // may yet be kept, and saying otherwise would be wrong.
  function keep(name, bytes, what) {
    if (storeBroken) return Promise.reject(storeBroken);
    return tracked(what || name, (onSlow) => storage.write(name, bytes, onSlow));
  }

  function tracked(what, change) {
    const id = ++nextChange;
    const done = change(() => {
      saving.set(id, what);
      showSaving();
    }).catch((e) => Promise.reject(storage.reason(e)));
    const settled = () => {
      saving.delete(id);
      showSaving();
    };
    done.then(settled, settled);
    pending.push(done.catch(() => {}));
    return done;
  }

  let pending = [];
  function showSaving() {
    const line = $('saving');
    const what = [...new Set(saving.values())];
    line.hidden = !what.length;
    line.textContent = what.length ? 'Still saving ' + what.join(', ') + ': the browser\'s ' +
                                     'storage is busy (another tab of this page may be using it).'
                                   : '';
  }

  // Leaving the page would abort the changes still under way: the page starts again only after
  // them, and the browser asks before a reload or a closed tab ends them.
  function afterSaving(then) {
    const waiting = pending;
    pending = [];
    Promise.all(waiting).then(then);
  }
  window.addEventListener('beforeunload', (event) => {
    if (!saving.size) return;
    event.preventDefault();
    event.returnValue = '';
  });

  function startAgain() {
    afterSaving(() => swirlbeamLoader.restart());
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
    webGLChecked.then((has) => has && beginWithWebGL());
  }

  function beginWithWebGL() {
    drawDialogPicture();
    Module._web_set_largest_view(largestView[0], largestView[1]);
    // The files, then the program, each in a task apart from the runtime's start: none of them
    // holds a tap for long.
    setTimeout(() => {
      if (testMode) return runTestMode();
      prepareShowFolder(true);
      showOwnMediaState();
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

  // The settings form

  const depthBoxes = () => [input('depth16'), input('depth24'), input('depth32')];

  function showForm(s) {
    state = 'form';
    resolution().selectedIndex = s.resolution;  // -1 leaves the field empty
    input('windowed').checked = s.windowed;
    input('music').checked = s.music;
    input('dither').checked = s.dither;
    depthBoxes().forEach((box, i) => { box.checked = s.depth[i]; });
    /** @type {HTMLFieldSetElement} */ ($('dialog').querySelector('.client')).disabled =
        input('media-picker').disabled = false;
    $('dialog').removeAttribute('aria-busy');
    $('dialog').hidden = false;
    $('own-media').hidden = false;
    moveFocus($('resolution'));
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
    const wanted = call('_web_start', resolution().selectedIndex, +input('windowed').checked,
                        +input('music').checked, +input('dither').checked, d16, d24, d32);
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
    if (event.key === 'Enter' && /** @type {Element} */ (event.target).tagName !== 'BUTTON') {
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
      for (const row of rows.slice(1, 1 + colours)) {
        const colour = row.match(/#([0-9a-f]{6})/i);
        if (!colour) throw new Error('colour "' + row + '" is not #RRGGBB');
        palette[row[0]] = colour[1];
      }
      const canvas = /** @type {HTMLCanvasElement} */ ($('picture'));
      // A canvas of no other context: never null.
      const context = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));
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

  let boxCount = 0;
  let focusBeforeBoxes = null;  // where the player was when the first box of a row opened
  const boxesOpen = () => $('messages').children.length > 0;

  // A player on the keyboard sees where the page puts the focus: some engines (WebKit) show no
  // ring on a control the page focuses after a key pressed on the canvas.
  let byKeyboard = false;
  window.addEventListener('keydown', () => { byKeyboard = true; }, true);
  window.addEventListener('pointerdown', () => { byKeyboard = false; }, true);
  function focusOn(element) {
    element.focus(byKeyboard ? {focusVisible: true} : undefined);
  }

  // The focus the page gives itself (the form shown, the show ended) waits while a box is open,
  // and goes there once the boxes are closed.
  function moveFocus(element) {
    if (boxesOpen()) focusBeforeBoxes = element;
    else focusOn(element);
  }

  // Boxes are modal: the page behind is out of reach until they are answered, and Tab goes round
  // their buttons.
  function holdPageBehind() {
    $('page').inert = $('stage').inert = boxesOpen();
  }
  document.addEventListener('keydown', (event) => {
    if (event.key !== 'Tab' || !boxesOpen()) return;
    const buttons = [...$('messages').querySelectorAll('.box button')];
    const active = document.activeElement;
    const next = (active ? buttons.indexOf(active) : -1) + (event.shiftKey ? -1 : 1);
    if (next >= 0 && next < buttons.length) return;
    event.preventDefault();
    focusOn(buttons[(next + buttons.length) % buttons.length]);
  });

  function openBox(text, caption, icon, answers) {
    const template = /** @type {HTMLTemplateElement} */ ($('message-box'));
    const box = /** @type {HTMLElement} */ (template.content.children[0].cloneNode(true));
    const part = (selector) => /** @type {HTMLElement} */ (box.querySelector(selector));
    // Named by its caption and described by its text, for screen readers.
    const id = 'box-' + ++boxCount;
    part('.caption').id = id + '-caption';
    part('.text').id = id + '-text';
    box.setAttribute('aria-labelledby', id + '-caption');
    box.setAttribute('aria-describedby', id + '-text');
    if (!boxesOpen()) focusBeforeBoxes = document.activeElement;
    part('.caption').textContent = caption;
    part('.icon').textContent = icons[icon] || '';
    part('.text').textContent = text.replace(/\n+$/, '');
    for (const answer of answers) {  // no destructuring here: emcc's minifier mangles it
      const label = answer[0], onAnswer = answer[1];
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = label;
      button.addEventListener('click', () => {
        box.remove();
        holdPageBehind();
        returnFocus();
        onAnswer();
      });
      part('.buttons').append(button);
    }
    box.addEventListener('keydown', (event) => {
      if (event.key !== 'Escape') return;
      event.preventDefault();
      part('.buttons button:last-child').click();  // OK, or No
    });
    $('messages').append(box);
    holdPageBehind();
    focusOn(part('button'));
  }

  // The focus goes to the next box still open, else back where it was, else to the first control
  // on show (the form's, or the ended screen's).
  function returnFocus() {
    const next = $('messages').querySelector('.box button');
    if (next) return focusOn(next);
    const before = focusBeforeBoxes;
    focusBeforeBoxes = null;
    if (focusable(before)) return focusOn(before);
    const first = [$('resolution'), $('again'), $('media-picker'), $('canvas')].find(focusable);
    if (first) focusOn(first);
  }

  function focusable(element) {
    return element && element !== document.body && element.isConnected && !element.disabled &&
           !element.matches(':disabled') && element.getClientRects().length > 0;
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
    if (afterBoxes && !boxesOpen()) afterBoxes();
  }

  function returnToForm() {
    afterBoxes = startAgain;
    if (!boxesOpen()) afterBoxes();
  }

  // The show and its end

  function playing(fullScreen) {
    leaveForm();
    state = 'playing';
    playingFullScreen = fullScreen;
    $('stage').hidden = false;
    moveFocus($('canvas'));
    $('canvas').scrollIntoView({block: 'nearest'});  // below the page on a small screen
  }

  // The canvas's size follows the window through the style sheet; where the page around it pushes
  // it off a window that changed (a phone turned), it is brought back into view.
  function refit() {
    if (state !== 'playing' || document.fullscreenElement) return;
    $('canvas').scrollIntoView({block: 'nearest', inline: 'nearest'});
  }
  window.addEventListener('resize', refit);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', refit);
  window.addEventListener('orientationchange', refit);

  // In full screen the browser keeps Escape for itself: leaving full screen ends the show.
  document.addEventListener('fullscreenchange', () => {
    if (state === 'playing' && playingFullScreen && !document.fullscreenElement) {
      call('_web_quit');
    }
  });

  // A tap ends the show as Escape does, for screens without a keyboard; a mouse click does
  // nothing, as on the desktop. A finger that moves or stays is a swipe or a press, which scrolls
  // the page as anywhere else.
  const tapSlopPx = 10, tapMs = 500;
  let touchDown = null;
  $('canvas').addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'mouse' || !event.isPrimary) return (touchDown = null);
    touchDown = {id: event.pointerId, x: event.clientX, y: event.clientY, t: event.timeStamp};
  });
  $('canvas').addEventListener('pointercancel', () => { touchDown = null; });
  $('canvas').addEventListener('pointerup', (event) => {
    const down = touchDown;
    touchDown = null;
    if (state !== 'playing' || !down || down.id !== event.pointerId) return;
    const moved = Math.hypot(event.clientX - down.x, event.clientY - down.y);
    if (moved <= tapSlopPx && event.timeStamp - down.t <= tapMs) call('_web_quit');
  });

  // A lost WebGL context (a phone short of memory drops it) leaves the show running on, unseen:
  // its clock, random numbers and sound go on. When the browser gives the context back, the
  // program makes its textures and GL state again; if it does not within a few seconds, the
  // show ends and says why.
  // The patience runs only while the page is seen: a phone that switches apps for a moment hides
  // the page, and its browser gives the context back once the page is shown again.
  const contextPatienceMs = 4000;
  let lostTimer = 0, contextLost = false, endedWhy = '';
  $('canvas').addEventListener('webglcontextlost', (event) => {
    event.preventDefault();  // without this the browser never gives it back
    if (state !== 'playing' && state !== 'starting') return;
    contextLost = true;
    awaitContext();
  });
  document.addEventListener('visibilitychange', () => awaitContext());
  function awaitContext() {
    clearTimeout(lostTimer);
    if (!contextLost || document.hidden) return;
    lostTimer = setTimeout(() => {
      if (state !== 'playing') return;
      endedWhy = 'Swirlbeam stopped: the browser took its picture away.';
      showMessage('The browser took away the show\'s picture (its WebGL context was lost, as ' +
                  'happens when a device runs short of graphics memory) and did not give it ' +
                  'back within ' + contextPatienceMs / 1000 + ' seconds, so the show has ' +
                  'ended.\nClosing other tabs or apps and playing again may help.', 'Swirlbeam',
                  0);
      call('_web_quit');
    }, contextPatienceMs);
  }
  $('canvas').addEventListener('webglcontextrestored', () => {
    contextLost = false;
    clearTimeout(lostTimer);
    if (state === 'playing') call('_web_restore_picture');
  });

  function ended(code) {
    if (state === 'ended') return;
    state = 'ended';
    // Until full screen is left, the page outside it takes no focus.
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {}).then(() => moveFocus($('again')));
    }
    $('stage').hidden = true;
    $('dialog').hidden = true;
    $('own-media').hidden = input('media-picker').disabled = false;
    $('ended-text').textContent = endedWhy || (code === 0 ? 'Swirlbeam has ended.'
                                                          : 'Swirlbeam stopped after an error.');
    $('ended').hidden = false;
    document.title = 'Swirlbeam (ended)';
    if (code !== 0 && !testMode) nameFailingOwnFiles();
    moveFocus($('again'));
  }

  // After an error, each of the player's own files that the show cannot use is named, with a way
  // to remove just that one; the others stay.
  function nameFailingOwnFiles() {
    const list = $('own-failed');
    list.textContent = '';
    for (const name of ownNames) {
      const path = store + '/' + name;
      if (!exists(path)) continue;
      const why = swirlbeamOwnFiles.problem(name, FS.readFile(path));
      if (!why) continue;
      const row = document.createElement('p');
      const remove = document.createElement('button');
      remove.type = 'button';
      remove.textContent = 'Remove ' + name;
      row.append('Your own ' + name + ' cannot be used: ' + why + '. ', remove);
      remove.addEventListener('click', () => removeOwnFile(name, row));
      list.append(row);
    }
    list.hidden = !list.children.length;
  }

  function removeOwnFile(name, row) {
    const removed = storeBroken ? Promise.reject(storeBroken)
                                : tracked('the removal of ' + name,
                                          (onSlow) => storage.remove([name], onSlow));
    removed.then(() => {
      FS.unlink(store + '/' + name);
      row.textContent = name + ' was removed; the show uses its own.';
      showOwnMediaState();
      moveFocus($('again'));
    }, (why) => showMessage(name + ' is still kept: ' + why + '.', 'Swirlbeam', 0));
  }

  $('again').addEventListener('click', startAgain);

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
      afterBoxes = startAgain;  // the start-up reads them anew
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
    const picker = /** @type {HTMLInputElement} */ (event.target);
    takeOwnFiles(picker.files);
    picker.value = '';  // the same file picked again, mended, is news again
  });
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dropping');
    if (event.dataTransfer) takeOwnFiles(event.dataTransfer.files);
  });
  $('default-media').addEventListener('click', () => {
    const names = ownFiles();
    const removed = storeBroken ? Promise.reject(storeBroken)
                                : tracked('the removal of your files',
                                          (onSlow) => storage.remove(names, onSlow));
    removed.then(() => names.forEach((name) => FS.unlink(store + '/' + name)), (why) => {
      showMessage('Your own files are still kept: ' + why + '.', 'Swirlbeam', 0);
    }).then(() => {
      afterBoxes = startAgain;
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
      document.title = testMode + ' ' + params.get(/** @type {string} */ (testMode));
    };
    slice();
  }
})();
