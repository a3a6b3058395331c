const build = {"id": "unbuilt", "files": {}};  // this build's files: written in by the build
// Swirlbeam's service worker: one build of the site, kept whole in a cache of its own, so that
// the page loads and plays with no network. A new build on the server changes this file (the
// line above); the browser then installs its worker beside this one, which takes over at once,
// and the page runs the new build when it starts again (loader.js), never under a running show.
// A cache is this build's at this worker's scope: another copy of the site on the same origin (a
// stable and a test copy at two paths) keeps its own, which this worker never touches.
// The global scope as a service worker's: the checker's library types it as any worker's.
const sw = /** @type {ServiceWorkerGlobalScope} */ (/** @type {unknown} */ (self));
const prefix = 'swirlbeam-';
const scope = sw.registration.scope;
const cacheName = prefix + build.id + ' ' + scope;
// What each file is served as from the cache, whatever the host sent.
const types = {html: 'text/html; charset=utf-8', css: 'text/css', js: 'text/javascript',
               wasm: 'application/wasm', json: 'application/json', png: 'image/png',
               txt: 'text/plain; charset=utf-8', webmanifest: 'application/manifest+json'};

function hex(buffer) {
  return [...new Uint8Array(buffer)].map((b) => b.toString(16).padStart(2, '0')).join('');
}

// The file as this build has it, revalidated with the host; rejects if the host has another
// (a deployment half-way), so that no cache ever holds files of two builds.
async function download(name) {
  const want = build.files[name];
  const response = await fetch(name, {cache: 'no-cache', credentials: 'same-origin'});
  if (!response.ok) throw new Error(name + ': ' + response.status);
  const bytes = await response.arrayBuffer();
  const sha = hex(await crypto.subtle.digest('SHA-256', bytes));
  if (bytes.byteLength !== want.size || sha !== want.sha256) {
    throw new Error(name + ' is not the one of build ' + build.id);
  }
  const type = types[name.split('.').pop()] || 'application/octet-stream';
  return new Response(bytes, {headers: {'Content-Type': type}});
}

// All of the build or nothing: the cache is written only once every file has come and checked.
async function fill() {
  const names = Object.keys(build.files);
  const responses = await Promise.all(names.map(download));
  await caches.delete(cacheName);  // what an interrupted install may have left
  const cache = await caches.open(cacheName);
  try {
    await Promise.all(names.map((name, i) => cache.put(name, responses[i])));
    await cache.put('build.json', new Response(JSON.stringify(build),
                                               {headers: {'Content-Type': types.json}}));
  } catch (e) {
    await caches.delete(cacheName);
    throw e;
  }
}

// The pages of this scope hear when the copy could not be kept (a full storage quota, a download
// that failed), since nothing else would show them.
async function tell(error) {
  const pages = await sw.clients.matchAll({type: 'window', includeUncontrolled: true});
  const why = error && error.name === 'QuotaExceededError' ? 'quota' : 'download';
  for (const page of pages) page.postMessage({notKept: why});
}

function fillOrTell() {
  return fill().catch((e) => tell(e).then(() => Promise.reject(e)));
}

// Installed, the new build takes over at once: pages of the old one have all of it in memory, and
// their next start then loads the new one whole. Left waiting, it would take over in the middle
// of such a page's reload, which Chromium lets the old worker answer: the old page with the new
// program, or a reload that never finishes.
sw.addEventListener('install', (event) => event.waitUntil(fillOrTell().then(() =>
  sw.skipWaiting())));

// Once active, the other builds' caches of this scope go, and so do caches named before they
// named their scope.
const ours = (name) =>
  name.startsWith(prefix) && (name.endsWith(' ' + scope) || !name.includes(' '));
sw.addEventListener('activate', (event) => event.waitUntil((async () => {
  for (const name of await caches.keys()) {
    if (ours(name) && name !== cacheName) await caches.delete(name);
  }
  await sw.clients.claim();
})()));

// The build's files from its cache; anything else from the network, as without a worker.
sw.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  const within = new URL(scope);
  if (url.origin !== within.origin || !url.pathname.startsWith(within.pathname)) return;
  let name = url.pathname.slice(within.pathname.length);
  if (request.mode === 'navigate' && name === '') name = 'index.html';
  if (!Object.prototype.hasOwnProperty.call(build.files, name) && name !== 'build.json') return;
  // Asked without opening the cache, which would make a deleted one anew, empty, for good.
  const cached = caches.match(name, {cacheName});
  event.respondWith(cached.then((hit) => hit || fetch(request)));
  event.waitUntil(cached.then((hit) => hit || repair()));
});

// A copy found short (its cache deleted by the browser or the player) is filled again from the
// network, one fill at a time, so that the next visit without a network finds it whole.
let repairing = null;
function repair() {
  if (!repairing) repairing = fillOrTell().catch(() => {}).finally(() => { repairing = null; });
  return repairing;
}
