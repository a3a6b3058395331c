// The settings form, control for control the desktop's dialog: shown once the program has read its
// settings, and Start! or Exit handed to the program.
/* exported swirlbeamForm */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamForm = (function () {
  const page = swirlbeamPage, $ = page.$;
  const call = (name, ...args) => swirlbeamShow.call(name, ...args);
  const resolution = () => /** @type {HTMLSelectElement} */ ($('resolution'));
  const input = (id) => /** @type {HTMLInputElement} */ ($(id));
  const depthBoxes = () => [input('depth16'), input('depth24'), input('depth32')];

  function show(s) {
    if (!page.moveTo('form')) return;
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
    swirlbeamBoxes.moveFocus($('resolution'));
    swirlbeamLoader.formReady();
  }

  // Start! and Exit each leave the form once.
  function leave() {
    if (!page.moveTo('starting')) return false;
    $('dialog').hidden = true;
    $('own-media').hidden = true;
    return true;
  }

  function start() {
    if (!leave()) return;
    const [d16, d24, d32] = depthBoxes().map((box) => +box.checked);
    const wanted = call('_web_start', resolution().selectedIndex, +input('windowed').checked,
                        +input('music').checked, +input('dither').checked, d16, d24, d32);
    if (wanted === 1 && !$('stage').requestFullscreen) {
      call('_web_open_windowed');  // iPhone Safari: no full screen for a page, nothing to ask
    } else if (wanted === 1) {
      // Asked within the click, as browsers require; a refusal gets the program's question.
      requestFullScreen().then(() => call('_web_open', 1), () => call('_web_open', 0));
    } else {
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
    if (leave()) call('_web_exit');
  });
  // Return starts the show unless a push button has the focus, which then takes it itself.
  $('dialog').addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && /** @type {Element} */ (event.target).tagName !== 'BUTTON') {
      event.preventDefault();
      start();
    }
  });

  return {show};
})();
