// What only the desktop provides, beside what every platform does (platform/backend.h).
#pragma once

// SIGINT, SIGTERM and SIGHUP end the show the way closing its window does (quit_signal.cpp).
void install_quit_signals();
bool quit_signalled();

// Keeps freed memory in the process instead of giving it back at once (heap.cpp). Mesa's software
// renderer frees and reallocates buffers for every sprite; with the C library's default trimming
// each frame faults that memory in again, which makes drawing the comets several times slower.
void keep_freed_memory();

// For tools that draw for no one where SDL has no off-screen driver (Windows): the window is made
// exactly the size asked for, whatever the desktop's scale, and is never shown
// (window_backend.cpp).
void keep_window_unseen();
