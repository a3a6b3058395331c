// ESLint's rules for the page's scripts (web/), run by scripts/ci/lint-web.sh, which installs the
// packages required here (scripts/lib/js-tools.sh) and finds them through NODE_PATH.
const js = require('@eslint/js');
const globals = require('globals');

// What each script defines for the others: the page's scripts share the window's globals.
const defines = {
  'retry.js': ['swirlbeamRetry'],
  'offline.js': ['swirlbeamOffline'],
  'loader.js': ['swirlbeamLoader', 'Module'],
  'storage.js': ['swirlbeamStorage'],
  'own_files.js': ['swirlbeamOwnFiles'],
  'page_state.js': ['swirlbeamPage'],
  'page_boxes.js': ['swirlbeamBoxes'],
  'page_files.js': ['swirlbeamFiles'],
  'page_own_media.js': ['swirlbeamOwnMedia'],
  'page_show.js': ['swirlbeamShow'],
  'page_form.js': ['swirlbeamForm'],
};
// Emscripten's runtime, which storage.js, own_files.js and page.js run inside.
const emscripten = ['Module', 'FS', 'addRunDependency', 'removeRunDependency', 'UTF8ToString'];

const readOnly = (names) => Object.fromEntries(names.map((name) => [name, 'readonly']));
// A script's own definitions are not given to it, so that no-redeclare still guards them.
const pageGlobals = (file) => readOnly([...Object.values(defines).flat(), ...emscripten]
  .filter((name) => !(defines[file] || []).includes(name)));

const rules = {
  ...js.configs.recommended.rules,
  'no-unused-vars': ['error', {caughtErrors: 'none'}],
  eqeqeq: 'error',
  'prefer-const': 'error',
  'no-var': 'error',
};

module.exports = [
  {
    files: ['web/**/*.js'],
    languageOptions: {ecmaVersion: 2022, sourceType: 'script'},
    rules,
  },
  // A new page script joins this list: outside it, it has no browser globals and fails.
  ...[...Object.keys(defines), 'page.js', 'index.html.js'].map(
    (file) => ({
      files: ['web/' + file],
      languageOptions: {globals: {...globals.browser, ...pageGlobals(file)}},
    })),
  {
    files: ['web/sw.js'],
    languageOptions: {globals: globals.serviceworker},
  },
  {
    files: ['web/*_worker.js'],
    languageOptions: {globals: globals.worker},
  },
  // Emscripten's library format, and the library functions named in it.
  {
    files: ['web/library_*.js'],
    languageOptions: {globals: {...globals.browser,
                                ...readOnly(['mergeInto', 'LibraryManager', 'listenOnce'])}},
  },
  {
    files: ['eslint.config.js'],
    languageOptions: {sourceType: 'commonjs', globals: globals.node},
    rules,
  },
];
