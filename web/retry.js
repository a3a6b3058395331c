// Downloads that outlast a network hiccup: a connection that fails, breaks off or stalls, or a
// server that is briefly unavailable, is tried again a few times after a short, growing pause
// before the loader names the failure. Loaded before loader.js, which uses it.
/* exported swirlbeamRetry */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamRetry = (function () {
  const pauses = [250, 500, 1000, 2000];  // before each new try: five tries in all
  const stallSeconds = 10;  // with no byte coming, a download is given up and tried again

  // Aborts a try when nothing has come for stallSeconds; each piece that comes restarts the
  // wait. stalled tells the try's failure from other aborts.
  function Guard() {
    const controller = typeof AbortController === 'function' ? new AbortController() : null;
    let timer = 0;
    this.signal = controller ? controller.signal : undefined;
    this.stalled = false;
    this.alive = () => {
      clearTimeout(timer);
      if (!controller) return;
      timer = setTimeout(() => {
        this.stalled = true;
        controller.abort();
      }, stallSeconds * 1000);
    };
    this.done = () => clearTimeout(timer);
    this.alive();
  }

  // attempt(guard) makes one try and resolves with its result, or rejects; a rejection whose
  // reason has again set is tried again, after telling retrying(reason), until the tries run out.
  function retrying(attempt, retrying) {
    let tries = 0;
    const one = () => {
      const guard = new Guard();
      return attempt(guard).finally(guard.done).catch((reason) => {
        if (!(reason && reason.again) || tries >= pauses.length) {
          if (reason && reason.again) reason.tries = tries + 1;
          throw reason;
        }
        retrying(reason);
        return new Promise((resolve) => setTimeout(resolve, pauses[tries++])).then(one);
      });
    };
    return one();
  }

  // Answers a server gives when it is briefly busy or restarting: worth another try.
  const passing = (status) => status >= 500 || status === 408 || status === 429;

  return {retrying, passing, stallSeconds};
})();
