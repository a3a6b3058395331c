// The player's own media: any of the show's ten files, given through the picker or dropped on the
// page, kept until put back to the defaults; and, after an error, the ones the show cannot use.
/* exported swirlbeamOwnMedia */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamOwnMedia = (function () {
  const page = swirlbeamPage, $ = page.$;
  const files = swirlbeamFiles;
  const showMessage = (text, caption, icon) => swirlbeamBoxes.showMessage(text, caption, icon);
  const startAgainAfterBoxes = () => swirlbeamBoxes.thenAfterBoxes(files.startAgain);

  function showState() {
    const own = files.ownFiles();
    $('media-state').textContent = own.length ? 'Playing with your own ' + own.join(', ') + '.'
                                              : '';
    $('default-media').hidden = !own.length;
  }

  // Each file is tried with the program's own loaders when given, as at Start!, and kept only
  // when they take it; the page then starts again to read it, once the player has read why any
  // other was refused.
  function take(given) {
    if (!page.is('form', 'ended')) return;
    const taken = [...given].filter((file) => files.ownNames.includes(file.name));
    const refused = [...given].filter((file) => !files.ownNames.includes(file.name));
    if (refused.length) {
      showMessage('Not a file the show reads: ' + refused.map((f) => f.name).join(', ') +
                  '\nThe show reads ' + files.ownNames.join(', ') + '.', 'Swirlbeam', 3);
    }
    if (!taken.length) return;
    if (files.broken()) {
      return showMessage('Your own files cannot be kept here: ' + files.broken() + '.',
                         'Swirlbeam', 0);
    }
    Promise.all(taken.map((file) => takeOne(file).then(() => true, (text) => {
      showMessage(text, 'Error', 0);
      return false;
    }))).then((kept) => {
      if (kept.includes(true)) startAgainAfterBoxes();  // the start-up reads them anew
    });
  }

  // Resolves once kept; rejects with the message for the player.
  function takeOne(file) {
    return swirlbeamOwnFiles.check(file).then((bytes) => files.keep(file.name, bytes).then(
        () => FS.writeFile(files.ownPath(file.name), bytes),
        (why) => Promise.reject(file.name + ' was not kept: ' + why + '.')));
  }

  $('media-picker').addEventListener('change', (event) => {
    const picker = /** @type {HTMLInputElement} */ (event.target);
    take(picker.files);
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
    if (event.dataTransfer) take(event.dataTransfer.files);
  });
  $('default-media').addEventListener('click', () => {
    files.remove(files.ownFiles(), 'the removal of your files').catch((why) => {
      showMessage('Your own files are still kept: ' + why + '.', 'Swirlbeam', 0);
    }).then(startAgainAfterBoxes);
  });

  // After an error, each of the player's own files that the show cannot use is named, with a way
  // to remove just that one; the others stay.
  function nameFailing() {
    const list = $('own-failed');
    list.textContent = '';
    for (const name of files.ownNames) {
      const path = files.ownPath(name);
      if (!files.exists(path)) continue;
      const why = swirlbeamOwnFiles.problem(name, FS.readFile(path));
      if (!why) continue;
      const row = document.createElement('p');
      const remove = document.createElement('button');
      remove.type = 'button';
      remove.textContent = 'Remove ' + name;
      row.append('Your own ' + name + ' cannot be used: ' + why + '. ', remove);
      remove.addEventListener('click', () => removeOne(name, row));
      list.append(row);
    }
    list.hidden = !list.children.length;
  }

  function removeOne(name, row) {
    files.remove([name], 'the removal of ' + name).then(() => {
      row.textContent = name + ' was removed; the show uses its own.';
      showState();
      swirlbeamBoxes.moveFocus($('again'));
    }, (why) => showMessage(name + ' is still kept: ' + why + '.', 'Swirlbeam', 0));
  }

  // Another tab kept or removed files: this one plays them from now on, and never writes back
  // what it had before. The sounds and settings already loaded stay until the page starts again.
  swirlbeamStorage.onChange((names, removed) => {
    for (const name of names.filter((n) => files.ownNames.includes(n))) {
      const path = files.ownPath(name);
      const known = removed ? Promise.resolve(null) : swirlbeamStorage.read(name);
      known.then((bytes) => {
        if (bytes) FS.writeFile(path, bytes);
        else if (files.exists(path)) FS.unlink(path);
        if (files.mediaNames.includes(name) && !page.testMode && files.exists(files.showFolder)) {
          files.linkShowFile(name, true);
        }
        if (page.is('form', 'ended')) showState();
      }).catch((e) => console.error('swirlbeam: browser storage: ' + e));
    }
  });

  return {showState, nameFailing};
})();
