// The page's own files in the browser's database, one entry at a time. The layout is the one
// Emscripten's IDBFS used (database "/store", object store FILE_DATA, keys "/store/NAME"), so what
// earlier visits kept still loads. IDBFS's sync copied a tab's whole tree over the database, so a
// second tab deleted or brought back the first one's files, and it never answered when a
// transaction aborted (quota): here each change writes or deletes its own entries, and other tabs
// hear of each change. A read with no answer in time counts as failed; a write is waited for to
// its real end (another tab may hold the database for a while), and the caller told it is slow.
/* exported swirlbeamStorage */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamStorage = (function () {
  const databaseName = '/store';
  const tableName = 'FILE_DATA';
  const patienceMs = 5000;
  const fileMode = 33206;  // a regular file, rw for all, as IDBFS wrote it
  const channel = openChannel();
  let opened = null;

  // Firefox with site data blocked throws SecurityError here: the page then goes on without
  // hearing of other tabs, as it has no storage to share with them anyway.
  function openChannel() {
    try {
      return typeof BroadcastChannel === 'function' ? new BroadcastChannel('swirlbeam') : null;
    } catch (e) {
      return null;
    }
  }

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
          const table = db.objectStoreNames.contains(tableName)  // an upgrade has its transaction
              ? /** @type {IDBTransaction} */ (request.transaction).objectStore(tableName)
              : db.createObjectStore(tableName);
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
  function run(db, mode, work) {
    return new Promise((resolve, reject) => {
      const transaction = db.transaction([tableName], mode);
      const result = work(transaction.objectStore(tableName));
      transaction.oncomplete = () => resolve(result.value);
      transaction.onabort = () => reject(transaction.error || new Error('aborted'));
      transaction.onerror = () => reject(transaction.error);
    });
  }

  function transact(mode, work) {
    return database().then((db) => timed(run(db, mode, work)));
  }

  // A change is never given up on while the browser may still make it: a transaction that is
  // queued behind another tab's ends in its own time, and `onSlow` hears when that is late.
  function change(work, onSlow) {
    return database().then((db) => {
      const timer = onSlow ? setTimeout(onSlow, patienceMs) : 0;
      const done = run(db, 'readwrite', work);
      done.then(() => clearTimeout(timer), () => clearTimeout(timer));
      return done;
    });
  }

  const key = (name) => databaseName + '/' + name;

  // The bytes of an entry as IDBFS wrote it, or null for anything else (a value put there by
  // other code, or one the browser could not read back).
  function bytesOf(entry) {
    const contents = entry && typeof entry === 'object' ? entry.contents : null;
    if (contents instanceof ArrayBuffer) return new Uint8Array(contents.slice(0));
    if (ArrayBuffer.isView(contents)) {
      return new Uint8Array(contents.buffer.slice(contents.byteOffset,
                                                  contents.byteOffset + contents.byteLength));
    }
    return null;
  }

  // {files: name -> Uint8Array of every file kept, damaged: names of entries that are not files}.
  // Each entry is read on its own, so that one the browser cannot read back fails alone.
  function readAll() {
    return transact('readonly', (table) => {
      /** @type {{value: {files: Object<string, Uint8Array>, damaged: string[]}}} */
      const result = {value: {files: {}, damaged: []}};
      table.getAllKeys().onsuccess = (event) => {
        for (const entryKey of event.target.result) {
          const name = String(entryKey).slice(databaseName.length + 1);
          if (!name || name.includes('/') || !String(entryKey).startsWith(databaseName + '/')) {
            continue;  // a folder, as IDBFS kept them
          }
          const request = table.get(entryKey);
          request.onsuccess = () => {
            const bytes = bytesOf(request.result);
            if (bytes) result.value.files[name] = bytes;
            else if (!isFolder(request.result)) result.value.damaged.push(name);
          };
          request.onerror = (failure) => {
            failure.preventDefault();  // the other entries still count
            failure.stopPropagation();
            result.value.damaged.push(name);
          };
        }
      };
      return result;
    });
  }

  function isFolder(entry) {
    return entry && typeof entry === 'object' && !('contents' in entry) &&
           typeof entry.mode === 'number' && (entry.mode & 0o170000) === 0o040000;
  }

  function read(name) {
    return transact('readonly', (table) => {
      /** @type {{value: Uint8Array | null}} */
      const result = {value: null};
      table.get(key(name)).onsuccess = (event) => { result.value = bytesOf(event.target.result); };
      return result;
    });
  }

  function tell(names, removed) {
    if (channel) channel.postMessage({names: names, removed: removed});
  }

  function write(name, bytes, onSlow) {
    return change((table) => {
      table.put({timestamp: new Date(), mode: fileMode, contents: bytes}, key(name));
      return {};
    }, onSlow).then(() => tell([name], false));
  }

  function remove(names, onSlow) {
    return change((table) => {
      for (const name of names) table.delete(key(name));
      return {};
    }, onSlow).then(() => tell(names, true));
  }

  // handler(names, removed) for each change another tab made.
  function onChange(handler) {
    if (channel) channel.onmessage = (event) => handler(event.data.names, event.data.removed);
  }

  return {readAll, read, write, remove, onChange, reason};
})();
