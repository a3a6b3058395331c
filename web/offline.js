// Swirlbeam for offline play: the service worker (sw.js) keeps one build whole, and a newly
// deployed build is taken only when the page starts again. Loaded before loader.js, which calls
// it; without it the page plays online only.
/* exported swirlbeamOffline */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamOffline = (function () {
  /** The page's own elements, which index.html always has. @returns {HTMLElement} */
  const $ = (id) => /** @type {HTMLElement} */ (document.getElementById(id));
  const params = new URLSearchParams(location.search);
  const testAddress = params.has('frame') || params.has('trace');
  const workers = serviceWorkers() && location.protocol !== 'file:' && !testAddress;
  let registration = null;

  // Null where there are none: the getter itself throws in a sandboxed frame.
  function serviceWorkers() {
    try {
      return navigator.serviceWorker || null;
    } catch (e) {
      return null;
    }
  }

  // A build the service worker has installed meanwhile is taken when the page starts again. Workers
  // of earlier builds waited for that: the new worker takes over first, then the page loads, all
  // of it from the new build. (This build's worker takes over as soon as it is installed.)
  function takeOver() {
    if (!workers) return Promise.resolve(false);
    return navigator.serviceWorker.getRegistration().then((found) => {
      const waiting = found && found.waiting;
      if (!waiting || !navigator.serviceWorker.controller) return false;
      return new Promise((resolve) => {
        navigator.serviceWorker.addEventListener('controllerchange', () => resolve(true),
                                                 {once: true});
        setTimeout(() => resolve(true), 3000);  // a worker that never takes over: load anyway
        waiting.postMessage('take-over');
      });
    }, () => false);
  }

  // "Play again" and the page's other fresh starts.
  function restart() {
    takeOver().then(() => location.reload());
  }

  function newVersionReady() {
    if (navigator.serviceWorker.controller) $('new-version').hidden = false;
  }

  const notKept = {
    quota: 'Swirlbeam cannot be kept here for playing offline: the browser gives this site too ' +
           'little storage space. It plays on while online.',
    download: 'Swirlbeam could not be kept here for playing offline this time, as its files did ' +
              'not all download. It is tried again at the next visit.',
  };

  function watch() {
    navigator.serviceWorker.addEventListener('message', (event) => {
      const why = event.data && notKept[event.data.notKept];
      if (!why) return;
      $('not-kept').textContent = why;
      $('not-kept').hidden = false;
    });
    navigator.serviceWorker.startMessages();
    navigator.serviceWorker.register('sw.js').then((found) => {
      registration = found;
      if (found.waiting) newVersionReady();
      found.addEventListener('updatefound', () => {
        const worker = found.installing;
        if (!worker) return;  // moved on already, too soon to be watched
        worker.addEventListener('statechange', () => {
          if (worker.state !== 'installed') return;
          $('not-kept').hidden = true;  // kept after all: room was made, or the network came back
          newVersionReady();
        });
      });
    }).catch((e) => console.warn('swirlbeam: no offline copy here: ' + e));
  }

  // Once the form works (or the program has ended): the worker's first install downloads and
  // checks the whole build again, which must not compete with the program's start-up.
  let startedUp = false, afterStartUp = null;
  function whenStartedUp(then) {
    afterStartUp = () => ('requestIdleCallback' in window
      ? requestIdleCallback(then, {timeout: 3000}) : setTimeout(then, 500));
    if (startedUp) afterStartUp();
  }

  // What the page tells the loader (page_form.js, page_show.js).
  function formReady() {
    if (startedUp) return;
    startedUp = true;
    if (afterStartUp) afterStartUp();
  }

  // The browser looks for a new build when the page loads; a show can last, so look again when
  // it has ended and when the page comes back into view.
  function ended() {
    formReady();
    lookForNewVersion();
  }

  function lookForNewVersion() {
    if (registration) registration.update().catch(() => {});  // offline: nothing to find
  }

  // Once the program runs: the offline copy is kept from when its start-up is over.
  function keepOffline() {
    if (workers) whenStartedUp(watch);
  }

  if (workers) {
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'visible') lookForNewVersion();
    });
    $('new-version-start').addEventListener('click', restart);
  }

  return {takeOver, keepOffline, restart, formReady, ended};
})();
