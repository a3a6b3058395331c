// The page's own files in the browser's database, one entry at a time. The layout is the one
// Emscripten's IDBFS used (database "/store", object store FILE_DATA, keys "/store/NAME"), so what
// earlier visits kept still loads. IDBFS's sync copied a tab's whole tree over the database, so a
// second tab deleted or brought back the first one's files, and it never answered when a
// transaction aborted (quota): here each change writes or deletes its own entries, anything that
// has no answer in time counts as failed, and other tabs hear of each change.
var swirlbeamStorage = (function () {
  const databaseName = '/store';
  const tableName = 'FILE_DATA';
  const patienceMs = 5000;
  const fileMode = 33206;  // a regular file, rw for all, as IDBFS wrote it
  const channel = typeof BroadcastChannel === 'function' ? new BroadcastChannel('swirlbeam') : null;
  let opened = null;

  // In words a player can act on: the browser's own error names are no help to them.
  function reason(error) {
    const name = error && error.name;
    if (name === 'QuotaExceededError') return 'the browser has no room left for this site';
    if (name === 'TimeoutError') return 'the browser\'s storage did not answer within ' +
                                        patienceMs / 1000 + ' seconds';
    if (name === 'SecurityError' || name === 'InvalidStateError' || name === 'UnknownError') {
      return 'the browser does not let this page keep data (site data blocked, a private ' +
             'window, or a sandboxed frame)';
    }
    return 'the browser\'s storage failed (' + (error && error.message || error) + ')';
  }

  function timed(promise) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        const error = new Error('no answer');
        error.name = 'TimeoutError';
        reject(error);
      }, patienceMs);
      promise.then((value) => { clearTimeout(timer); resolve(value); },
                   (error) => { clearTimeout(timer); reject(error); });
    });
  }

  function database() {
    if (!opened) {
      opened = timed(new Promise((resolve, reject) => {
        const request = indexedDB.open(databaseName, 21);  // throws where data is blocked
        request.onupgradeneeded = () => {
          const db = request.result;
          const table = db.objectStoreNames.contains(tableName)
              ? request.transaction.objectStore(tableName) : db.createObjectStore(tableName);
          if (!table.indexNames.contains('timestamp')) {
            table.createIndex('timestamp', 'timestamp', {unique: false});
          }
        };
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
        request.onblocked = () => reject(new Error('the database is held by an older page'));
      }));
      opened.catch(() => { opened = null; });  // a later change tries again
    }
    return opened;
  }

  // One transaction; it settles when it completes or aborts (a full quota aborts it).
  function transact(mode, work) {
    return database().then((db) => timed(new Promise((resolve, reject) => {
      const transaction = db.transaction([tableName], mode);
      const result = work(transaction.objectStore(tableName));
      transaction.oncomplete = () => resolve(result.value);
      transaction.onabort = () => reject(transaction.error || new Error('aborted'));
      transaction.onerror = () => reject(transaction.error);
    })));
  }

  const key = (name) => databaseName + '/' + name;

  // name -> Uint8Array of every file kept.
  function readAll() {
    return transact('readonly', (table) => {
      const result = {value: {}};
      table.openCursor().onsuccess = (event) => {
        const cursor = event.target.result;
        if (!cursor) return;
        const name = String(cursor.key).slice(databaseName.length + 1);
        if (name && !name.includes('/') && cursor.value.contents) {
          result.value[name] = new Uint8Array(cursor.value.contents);
        }
        cursor.continue();
      };
      return result;
    });
  }

  function read(name) {
    return transact('readonly', (table) => {
      const result = {value: null};
      table.get(key(name)).onsuccess = (event) => {
        const entry = event.target.result;
        result.value = entry && entry.contents ? new Uint8Array(entry.contents) : null;
      };
      return result;
    });
  }

  function tell(names, removed) {
    if (channel) channel.postMessage({names: names, removed: removed});
  }

  function write(name, bytes) {
    return transact('readwrite', (table) => {
      table.put({timestamp: new Date(), mode: fileMode, contents: bytes}, key(name));
      return {};
    }).then(() => tell([name], false));
  }

  function remove(names) {
    return transact('readwrite', (table) => {
      for (const name of names) table.delete(key(name));
      return {};
    }).then(() => tell(names, true));
  }

  // handler(names, removed) for each change another tab made.
  function onChange(handler) {
    if (channel) channel.onmessage = (event) => handler(event.data.names, event.data.removed);
  }

  return {readAll, read, write, remove, onChange, reason};
})();
