// The show's window as the design names it: made with the scene set up in it, its messages
// pumped each frame, and everything released at the end.
#pragma once

// Makes the window and context through the platform, then sets up the scene. False after the
// failure was shown to the user.
bool create_window(const char* title, int width, int height, int color_bits, bool fullscreen);
// Releases sound, display mode, context and window, in that order. Safe in any state, and twice.
void shutdown();
// Handles every pending event. False once the quit message was taken; `quit_code` is its code.
bool pump_messages(int& quit_code);
