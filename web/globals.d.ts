// What the page's scripts use without defining it: Emscripten's runtime, which page.js,
// storage.js and own_files.js run inside (they are its --pre-js), and the program's exports.
// The scripts' own globals (swirlbeamRetry, swirlbeamOffline, swirlbeamLoader, swirlbeamStorage,
// swirlbeamOwnFiles) and Module, whose type is below, are declared by the scripts themselves.

/** The part of Emscripten's file system the page uses. */
declare const FS: {
  mkdir(path: string): void;
  writeFile(path: string, data: Uint8Array | string): void;
  readFile(path: string): Uint8Array;
  unlink(path: string): void;
  symlink(target: string, path: string): void;
  chdir(path: string): void;
  analyzePath(path: string, dontResolveLastLink?: boolean): {exists: boolean};
};
declare function addRunDependency(id: string): void;
declare function removeRunDependency(id: string): void;
declare function UTF8ToString(pointer: number): string;

/** Emscripten's Module: the hooks the page sets, and the program's exports it calls. */
interface SwirlbeamModule {
  canvas?: HTMLCanvasElement;
  noInitialRun?: boolean;
  preRun?: Array<() => void>;
  onRuntimeInitialized?: () => void;
  onAbort?: (what: string) => void;
  quit?: (status: number, toThrow: unknown) => void;
  getPreloadedPackage?: (name: string, size: number) => ArrayBuffer;
  instantiateWasm?: (imports: WebAssembly.Imports,
                     done: (instance: WebAssembly.Instance, module: WebAssembly.Module) => void) => object;
  /** What the program calls on the page (web/main.cpp). */
  page?: object;
  ccall(name: string, returns: string, argumentTypes: string[], args: unknown[]): number;
  callMain(args: string[]): number;
  _web_start(resolution: number, windowed: number, music: number, dither: number,
             d16: number, d24: number, d32: number): number;
  _web_open(fullScreenGranted: number): void;
  _web_open_windowed(): void;
  _web_answer(yes: number): void;
  _web_exit(): void;
  _web_quit(): void;
  _web_restore_picture(): void;
  _web_capture_open(seed: number, width: number, height: number): number;
  _web_capture_frames(last: number, count: number, traced: number): number;
  _web_show_frame_count(): number;
  _web_trace_text(): number;
  _web_picture_pixel_budget(): number;
  _web_set_largest_view(width: number, height: number): void;
  _web_largest_view(side: number): number;
  _web_checked_width(): number;
  _web_checked_height(): number;
}

// Emscripten's library format, in which library_audio.js is written, and the library functions
// it names.
declare function mergeInto(library: object, functions: object): void;
declare const LibraryManager: {library: object};
declare function listenOnce(target: EventTarget, event: string, handler: () => void): void;
