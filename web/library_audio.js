// A JavaScript library of the program's (emcc --js-library), linked after Emscripten's own so that
// it replaces its function of the same name.
// SDL's audio start-up makes an AudioContext, which browsers hold suspended until the player
// presses something, and asks for it to be resumed then. A program that ended at once closed that
// context first: its resume() is refused, with nothing left to resume, and the refusal is taken
// here rather than left to reach the page as an unhandled rejection.
mergeInto(LibraryManager.library, {
  $autoResumeAudioContext__deps: ['$listenOnce'],
  $autoResumeAudioContext: function (ctx, elements) {
    if (!elements) elements = [document, document.getElementById('canvas')];
    for (const event of ['keydown', 'mousedown', 'touchstart']) {
      for (const element of elements) {
        if (!element) continue;
        listenOnce(element, event, () => {
          if (ctx.state === 'suspended') ctx.resume().catch(() => {});
        });
      }
    }
  },
});
