#include "live_play.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "app/frame.h"
#include "app/main_loop.h"
#include "app/sound_handles.h"
#include "host.h"
#include "platform/sound.h"
#include "replay/frame_pixels.h"
#include "replay/show_clock.h"
#include "replay/show_session.h"

namespace {

using Clock = std::chrono::steady_clock;

// The frames before the first played one, as fast as they go: their cues and the music's
// volume steps go into the off-line recording, so the music is exactly where frame `from` has it.
void run_up_to(int from) {
  fast_forward(true);
  std::int16_t block[2 * samples_per_frame];
  for (int frame = 0; frame < from; ++frame) {
    step_show(frame);
    draw_frame();
    render_sound_recording(block, samples_per_frame);
  }
  fast_forward(false);
  stop_sound_recording();
  play_song(song);  // now on the output, from the recording's position
}

// The window is off screen: each frame is drawn whole before the next, as on a display.
const FrameIo played = {nullptr,
                        [] {
                          draw_frame();
                          glFinish();
                        },
                        nullptr};

}  // namespace

int run_live_play(const CaptureOptions& o) {
  use_headless_video();
  std::string error;
  if (!o.media_dir.empty() && !change_folder(o.media_dir, error)) {
    std::fprintf(stderr, "swirlbeam-capture: %s\n", error.c_str());
    return 1;
  }
  if (o.buffer != 0) set_sound_buffer_frames(o.buffer);
  if (!load_show_sound("swirlbeam-capture", true)) {
    close_show();
    return 1;
  }
  if (!create_session_window({o.width, o.height, o.seed, true})) return 1;
  run_up_to(o.from);

  // The show's own loop, on a clock that starts at frame `from`.
  const double from_ms = static_cast<double>(o.from) * frame_ms;
  const double end_ms = static_cast<double>(last_written_frame(o) + 1) * frame_ms;
  const auto started = Clock::now();
  std::printf("playing from frame %d\n", o.from);
  std::fflush(stdout);
  for (;;) {
    const double now =
        from_ms + std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    if (now >= end_ms) break;
    if (run_show_frame(static_cast<float>(now), 0.0f, played)) break;
    // Sleeping, not busy-waiting as the show does: the machine is shared with the sound server.
    const std::chrono::duration<double, std::milli> next(now - from_ms + frame_ms);
    std::this_thread::sleep_until(started + std::chrono::duration_cast<Clock::duration>(next));
  }
  close_show();
  return 0;
}
