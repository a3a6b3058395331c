// The show's life on the page: calls into the program, the canvas while the show plays (a window
// that changes, full screen left, a tap, a lost WebGL context, a hidden tab), and its end.
/* exported swirlbeamShow */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamShow = (function () {
  const page = swirlbeamPage, $ = page.$;
  const moveFocus = (element) => swirlbeamBoxes.moveFocus(element);
  let playingFullScreen = false;

  // Runs a call into the program; an exit inside it (a fatal error) ends the page's program.
  function call(name, ...args) {
    try {
      return Module[name](...args);
    } catch (e) {
      if (e && e.name === 'ExitStatus') return ended(e.status);
      console.error(e);
      swirlbeamBoxes.showMessage(String(e), 'Error', 0);
      ended(-1);
    }
  }

  function playing(fullScreen) {
    if (!page.moveTo('playing')) return;
    $('dialog').hidden = $('own-media').hidden = true;
    playingFullScreen = fullScreen;
    $('stage').hidden = false;
    moveFocus($('canvas'));
    $('canvas').scrollIntoView({block: 'nearest'});  // below the page on a small screen
  }

  // The canvas's size follows the window through the style sheet; where the page around it pushes
  // it off a window that changed (a phone turned), it is brought back into view.
  function refit() {
    if (!page.is('playing') || document.fullscreenElement) return;
    $('canvas').scrollIntoView({block: 'nearest', inline: 'nearest'});
  }
  window.addEventListener('resize', refit);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', refit);
  window.addEventListener('orientationchange', refit);

  // In full screen the browser keeps Escape for itself: leaving full screen ends the show.
  document.addEventListener('fullscreenchange', () => {
    if (page.is('playing') && playingFullScreen && !document.fullscreenElement) {
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
    if (!page.is('playing') || !down || down.id !== event.pointerId) return;
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
    if (!page.is('playing', 'starting')) return;
    contextLost = true;
    awaitContext();
  });
  document.addEventListener('visibilitychange', () => awaitContext());
  function awaitContext() {
    clearTimeout(lostTimer);
    if (!contextLost || document.hidden) return;
    lostTimer = setTimeout(() => {
      if (!page.is('playing')) return;
      endedWhy = 'Swirlbeam stopped: the browser took its picture away.';
      swirlbeamBoxes.showMessage(
        'The browser took away the show\'s picture (its WebGL context was lost, as happens when ' +
        'a device runs short of graphics memory) and did not give it back within ' +
        contextPatienceMs / 1000 + ' seconds, so the show has ended.\nClosing other tabs or ' +
        'apps and playing again may help.', 'Swirlbeam', 0);
      call('_web_quit');
    }, contextPatienceMs);
  }
  $('canvas').addEventListener('webglcontextrestored', () => {
    contextLost = false;
    clearTimeout(lostTimer);
    if (page.is('playing')) call('_web_restore_picture');
  });

  function ended(code) {
    if (!page.moveTo('ended')) return;
    // Until full screen is left, the page outside it takes no focus.
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {}).then(() => moveFocus($('again')));
    }
    $('stage').hidden = true;
    $('dialog').hidden = true;
    $('own-media').hidden = /** @type {HTMLInputElement} */ ($('media-picker')).disabled = false;
    $('ended-text').textContent = endedWhy || (code === 0 ? 'Swirlbeam has ended.'
                                                          : 'Swirlbeam stopped after an error.');
    $('ended').hidden = false;
    document.title = 'Swirlbeam (ended)';
    if (code !== 0 && !page.testMode) swirlbeamOwnMedia.nameFailing();
    moveFocus($('again'));
    swirlbeamLoader.ended();
  }

  $('again').addEventListener('click', () => swirlbeamFiles.startAgain());

  return {call, playing, ended};
})();
