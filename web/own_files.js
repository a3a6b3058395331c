// The player's own files, tried when given with the program's own loaders (own_files.cpp) and
// within its limits, so that what the show would refuse at Start! is refused at once.
/* exported swirlbeamOwnFiles */
// eslint-disable-next-line no-var -- a property of the window, for the other scripts
var swirlbeamOwnFiles = (function () {
  const maxBytes = 64 * 1024 * 1024;  // the program's loaders read no more

  // The desktop's message for a file the show cannot use.
  function message(name) {
    if (name === 'config.dat') return 'Unable to load the configuration !';
    if (name === 'music.dat') return 'Unable to load a music!!';
    if (name.endsWith('.wav')) return 'Unable to load a sample!!';
    return 'load_jpeg():\nUnable to load a texture from a JPEG file!';
  }

  // Why the program's loader refuses the file; empty when it takes it.
  function problem(name, bytes) {
    if (bytes.length > maxBytes) return 'it is larger than 64 MB';
    const path = '/checking-' + name;
    FS.writeFile(path, bytes);
    let verdict = 0;
    try {
      verdict = Module.ccall('web_check_own_file', 'number', ['string', 'string'], [path, name]);
    } catch (e) {
      verdict = 0;  // a program that has ended cannot try it: the next start does
    }
    FS.unlink(path);
    if (verdict === 1) return 'it cannot be read as the show reads it';
    if (verdict === 2) {
      return 'it has more than ' + Module._web_picture_pixel_budget().toLocaleString('en') +
             ' pixels, the most a picture may have here';
    }
    if (verdict === 3) {
      return 'its resolution, ' + Module._web_checked_width() + ' x ' +
             Module._web_checked_height() + ', cannot be shown here (from 1 x 1 up to ' +
             Module._web_largest_view(0) + ' x ' + Module._web_largest_view(1) + ')';
    }
    return '';
  }

  // Resolves with the file's bytes when the show takes it; rejects with the player's message.
  function check(file) {
    const refusal = (why) => Promise.reject(message(file.name) + '\n' + file.name +
                                            ' was not taken: ' + why + '.');
    if (file.size > maxBytes) return refusal('it is larger than 64 MB');  // unread
    return file.arrayBuffer().then((buffer) => {
      const bytes = new Uint8Array(buffer);
      const why = problem(file.name, bytes);
      return why ? refusal(why) : bytes;
    }, (e) => Promise.reject(file.name + ' could not be read: ' + (e && e.message || e) + '.'));
  }

  return {check, problem};
})();
