// The loader's warm-up of the browser's GPU side (loader.js): the first WebGL context of a page
// starts it, which can hold the page's thread for most of a second; one made here first takes
// that start off the thread. What it finds never stands for the page's.
const warmUp = new OffscreenCanvas(1, 1).getContext('webgl');
const lose = warmUp && warmUp.getExtension('WEBGL_lose_context');
if (lose) lose.loseContext();
postMessage(0);
