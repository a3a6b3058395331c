// Frames and traces by address: the show on the virtual clock (frame n reads n x 10 ms), with a
// chosen seed and no sound, as swirlbeam-capture runs it. The page runs the frames in slices so
// that it stays responsive, and the last frame stays on the canvas.
#include <emscripten.h>

#include <string>

#include "app/frame.h"
#include "replay/frame_pixels.h"
#include "replay/show_clock.h"
#include "replay/show_session.h"
#include "replay/trace_writer.h"

namespace {

int next_frame = 0;
std::string trace_text;

}  // namespace

extern "C" {

// False after the reason went to the console and the page.
EMSCRIPTEN_KEEPALIVE int web_capture_open(unsigned seed, int width, int height) {
  if (!load_show_sound("swirlbeam")) {
    close_show();
    return 0;
  }
  return create_session_window({width, height, seed, false}) ? 1 : 0;
}

// Runs up to `count` more frames towards `last`; only `last` is drawn in full. With `traced`,
// each frame's state is added to the trace. True once `last`, or the show's end, was run.
EMSCRIPTEN_KEEPALIVE int web_capture_frames(int last, int count, int traced) {
  for (int n = 0; n < count && next_frame <= last; ++n, ++next_frame) {
    fast_forward(next_frame != last);
    const bool show_over = step_show(next_frame);
    draw_frame();
    if (traced != 0) trace_text += trace_line(next_frame) + "\n";
    if (show_over) next_frame = last;
  }
  return next_frame > last ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int web_show_frame_count() {
  return show_frame_count();
}

EMSCRIPTEN_KEEPALIVE const char* web_trace_text() {
  return trace_text.c_str();
}

}  // extern "C"
