// A page's WebGL context can be lost (a phone short of memory drops it) and given back empty.
#pragma once

// After the browser gave the context back: new objects under the names the program holds, and
// the GL emulation's own made again. The program then fills its textures and sets its state.
void remake_gl_context_objects();
