// The show's one window with its OpenGL context, the projection, and keyboard and activity state.
#pragma once

// Makes the window (or the full-screen mode, asking to fall back to a window when it is not
// offered), the context and the projection, then sets up the scene. False after the failure was
// shown to the user.
bool create_window(const char* title, int width, int height, int color_bits, bool fullscreen);
// Releases sound, display mode, context and window, in that order. Safe in any state, and twice.
void shutdown();
// Viewport and the fixed 4:3 projection for a drawable of this size.
void resize_view(int width, int height);
// Handles every pending event. False once the quit message was taken; `quit_code` is its code.
bool pump_messages(int& quit_code);
void present_frame();
