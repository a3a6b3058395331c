// Message and question boxes: every message of the program, with its caption and icon, and where
// the focus goes around them.
/* exported swirlbeamBoxes */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamBoxes = (function () {
  const $ = swirlbeamPage.$;
  const icons = ['\u26a0\ufe0f', '\u26d4', '\u2753', '\u2139\ufe0f'];  // MessageIcon's order
  let boxCount = 0;
  let focusBeforeBoxes = null;  // where the player was when the first box of a row opened
  const boxesOpen = () => $('messages').children.length > 0;

  // A player on the keyboard sees where the page puts the focus: some engines (WebKit) show no
  // ring on a control the page focuses after a key pressed on the canvas.
  let byKeyboard = false;
  window.addEventListener('keydown', () => { byKeyboard = true; }, true);
  window.addEventListener('pointerdown', () => { byKeyboard = false; }, true);
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

  /** A question the program asks: answer(1) for Yes, answer(0) for No. */
  function ask(text, caption, answer) {
    openBox(text, caption, 2, [['Yes', () => answer(1)], ['No', () => answer(0)]]);
  }

  // What follows once the player has closed every box open now, or at once where none is.
  let afterBoxes = null;
  function whenBoxesClosed() {
    if (afterBoxes && !boxesOpen()) afterBoxes();
  }

  function thenAfterBoxes(then) {
    afterBoxes = then;
    whenBoxesClosed();
  }

  return {showMessage, ask, thenAfterBoxes, moveFocus};
})();
