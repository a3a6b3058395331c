// The files the program reads: the default media packed with the page, the player's own files
// and the settings kept in the browser's database (storage.js), and the show's working folder
// that names them; and the changes to the database still under way.
/* exported swirlbeamFiles */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamFiles = (function () {
  const $ = swirlbeamPage.$;
  const mediaNames = ['texture.jpg', 'smoke.jpg', 'logo.jpg', 'logo2.jpg', 'web.jpg',
                      'thanks.jpg', 'music.dat', 'strike.wav', 'swirlbeam.wav', 'thanks.wav'];
  const defaults = '/defaults';  // packed with the page
  const store = '/store';        // kept by the browser between visits
  const showFolder = '/show';    // the program's working folder
  const ownNames = mediaNames.concat('config.dat');
  const storage = swirlbeamStorage;
  const showMessage = (text) => swirlbeamBoxes.showMessage(text, 'Swirlbeam', 0);
  let storeBroken = null;  // why the store cannot be used, once it is known

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
                  'Swirlbeam plays with its defaults.');
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
                ' instead. Your other files and settings are kept.');
  }

  function exists(path) {
    return FS.analyzePath(path).exists;
  }

  const ownPath = (name) => store + '/' + name;
  const ownFiles = () => mediaNames.filter((name) => exists(ownPath(name)));

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
      .catch((why) => showMessage('Your settings were not kept: ' + why + '.'));
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

  // Removes the player's files `names` from the store, and from the page once that is done;
  // `what` names the change while it is under way.
  function remove(names, what) {
    if (storeBroken) return Promise.reject(storeBroken);
    return tracked(what, (onSlow) => storage.remove(names, onSlow))
      .then(() => names.forEach((name) => FS.unlink(ownPath(name))));
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
  function startAgain() {
    const waiting = pending;
    pending = [];
    Promise.all(waiting).then(() => swirlbeamLoader.restart());
  }
  window.addEventListener('beforeunload', (event) => {
    if (!saving.size) return;
    event.preventDefault();
    event.returnValue = '';
  });

  return {mediaNames, ownNames, ownPath, ownFiles, exists, showFolder, openStore,
          prepareShowFolder, linkShowFile, saveStorage, keep, remove, startAgain,
          broken: () => storeBroken};
})();
