// Where the page is in its life, and the moves it may make, in one table; and what every part of
// the page shares: its elements and the address it was opened with.
/* exported swirlbeamPage */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamPage = (function () {
  // Each state, with the states it may move to. A move the table does not list is refused: a
  // late call of the program's (an end after the end) cannot bring a finished page back.
  const moves = {
    loading: ['begun', 'ended'],          // the program's files come; a failure ends it here
    begun: ['form', 'playing', 'ended'],  // the program runs to its form, or an address's frames
    form: ['starting', 'ended'],          // the player picks settings and media
    starting: ['playing', 'ended'],       // Start! or Exit: full screen asked, the show opens
    playing: ['ended'],                   // the show, to its end, Escape, a tap or a lost picture
    ended: [],                            // "Play again" loads the page anew
  };
  let state = 'loading';

  /** Whether the page is in one of these states. @param {...string} states */
  function is(...states) {
    return states.includes(state);
  }

  /** Moves the page to `to` if the table allows it. @returns {boolean} whether it moved */
  function moveTo(to) {
    if (!moves[state].includes(to)) return false;
    state = to;
    return true;
  }

  const params = new URLSearchParams(location.search);
  /** @type {'frame' | 'trace' | null} */
  const testMode = params.has('frame') ? 'frame' : params.has('trace') ? 'trace' : null;
  /** The page's own elements, which index.html always has. @returns {HTMLElement} */
  const $ = (id) => /** @type {HTMLElement} */ (document.getElementById(id));

  return {is, moveTo, params, testMode, $};
})();
