// The loader's checker (loader.js): takes each download's pieces as they come, hashes them, and
// compiles the program's code as it streams. Hashing 2 MB and compiling would otherwise hold the
// page's thread for tens of milliseconds each.
// Each message is [id, piece, compile]: a piece of file `id`, null once all of it has come, or
// false for a download that broke off, to be tried again. The answer, once all has come, is
// [id, digest, compiled], either null where this browser cannot do it here.
const checking = new Map();

function joined(pieces, size) {
  const bytes = new Uint8Array(size);
  let at = 0;
  for (const piece of pieces) {
    bytes.set(piece, at);
    at += piece.length;
  }
  return bytes;
}

function answer(id, digest, compiled) {
  try {
    postMessage([id, digest, compiled]);
  } catch (e) {  // a module this browser cannot pass to the page: the page compiles
    postMessage([id, digest, null]);
  }
}

onmessage = (event) => {
  const [id, piece, compile] = event.data;
  let file = checking.get(id);
  if (piece === false) {
    checking.delete(id);
    if (file && file.stream) file.stream.error(new Error('broke off'));
    if (file && file.module) file.module.catch(() => {});
    return;
  }
  if (!file) {
    file = {pieces: [], size: 0, stream: null, module: null};
    checking.set(id, file);
    if (compile && WebAssembly.compileStreaming) {
      const body = new ReadableStream({start: (stream) => { file.stream = stream; }});
      file.module = WebAssembly.compileStreaming(
        new Response(body, {headers: {'Content-Type': 'application/wasm'}}));
    }
  }
  if (piece) {
    file.pieces.push(piece);
    file.size += piece.length;
    if (file.stream) file.stream.enqueue(piece);
    return;
  }
  checking.delete(id);  // all of it has come
  if (file.stream) file.stream.close();
  const bytes = joined(file.pieces, file.size);
  if (compile && !file.module) file.module = WebAssembly.compile(bytes);
  const module = file.module && file.module.then((module) => ({module}),
                                                  (e) => ({error: String(e)}));
  const digest = self.crypto && crypto.subtle ? crypto.subtle.digest('SHA-256', bytes)
    .catch(() => null) : null;
  Promise.all([digest, module]).then(([d, m]) => answer(id, d, m));
};
