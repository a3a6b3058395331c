#pragma once

// Keeps freed memory in the process instead of giving it back at once. Mesa's software renderer
// frees and reallocates buffers for every sprite; with the C library's default trimming each
// frame faults that memory in again, which makes drawing the comets several times slower.
void keep_freed_memory();
