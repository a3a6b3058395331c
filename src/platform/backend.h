// What every platform provides, the desktop in platform/desktop and the page in platform/web, each
// in a file per subject (window_backend.cpp, texture_upload.cpp, vertex_colours.cpp,
// silent_output.cpp, message.cpp). The shared platform code calls it, and the show where nothing
// stands between. What only one platform has is in its own folder: desktop/desktop.h, web/page.h.
#pragma once

#include <SDL.h>

#include <string>

#include "platform/display_scale.h"
#include "platform/jpeg.h"
#include "platform/jpeg_decode.h"

// The window: what each platform adds to the window code they share (platform/window.cpp), the
// display mode or the page around the canvas, and what the context needs before the show draws.
namespace window_backend {

struct Request {
  int width;
  int height;
  int color_bits;
  bool full_screen;   // cleared where the player takes a window instead
  float scale;        // the window's scale, as open_window was given it
  WindowSize window;  // the size a window gets; before_window scales it where it must
};

// False when the platform has no video to offer (the show must not play unseen).
bool video_usable();
// Before the window: settles the full-screen mode. False when the player chose to end instead.
bool before_window(Request& request);
void request_pixel_format(int color_bits);
SDL_Window* make_window(const char* title, const Request& request);
// With the window made but hidden: false when the player chose to end instead.
bool after_window(SDL_Window* window, Request& request);
// With the context current: shows the window or the canvas. False as above.
bool after_context(SDL_Window* window, Request& request);
// Before the context and the window go: gives back what before_window took.
void before_release();
// Every window event but the close request; `active` follows whether the show can be seen.
void window_event(SDL_Window* window, const SDL_WindowEvent& event, bool& active);
// A quit asked for from outside the window (signals on the desktop).
bool quit_asked();
void present(SDL_Window* window);

}  // namespace window_backend

// How much larger than its chosen size a window must be to look that size on this desktop: the
// desktop's own scale (2 on a 200 % screen), 1 where it has none (and on a page, whose canvas
// the browser scales).
float window_scale();

// Textures: what each platform's GL does its own way when a picture becomes one.

// Uploads the picture and its mipmap levels into the texture bound to GL_TEXTURE_2D, setting
// `largest` to the size of level 0. False when the levels could not be made, which would leave a
// texture that draws as plain white.
bool upload_mipmapped(const JpegPicture& picture, TextureSize& largest);
// The wrap mode of a picture drawn with clamped edges.
int clamped_wrap_mode();

// Drawing: whether a colour given between glBegin and glEnd draws exactly as one given before
// glBegin.
bool vertex_colours_exact();

// Sound: the silent output that music switched off plays into. The first is called before the
// audio subsystem starts, the second once the device is open, the third as the sound closes, so
// that a sound started again in the same process plays where the player asks.
namespace sound_detail {

void choose_silent_output();
void silence_open_output();
void forget_silent_output();

// Asked before SDL tries an audio driver, of the server behind it.
enum class ServerCheck {
  absent,   // no server there: SDL would move on to its next driver
  ready,    // SDL may try it
  refused,  // there, but SDL would fail or crash on it now; `why` says why
};
ServerCheck check_sound_server(const char* driver, std::string& why);

// Whether an open output can go away under the show (a sound server stopped, a device pulled)
// and is worth opening again. A page's output is the browser's, which suspends and resumes it
// itself; a second one opened meanwhile would only play beside it.
bool output_may_be_lost();

}  // namespace sound_detail

// Messages: boxes with no owner window. Every message also goes to stderr, one line, so that it
// is seen where no box can be shown.

enum class MessageIcon { exclamation, stop, question, information };

void show_message(const char* text, const char* caption, MessageIcon icon);
// A Yes/No question; true for Yes. No display counts as No.
bool ask_yes_no(const char* text, const char* caption);
// The line on stderr that every message gets: "swirlbeam: CAPTION: TEXT" on one line. Shared
// (message_line.cpp), for each platform's show_message.
void print_message_line(const char* text, const char* caption);
