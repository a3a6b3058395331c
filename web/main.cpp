// Swirlbeam in a web page. The same start-up as on the desktop, split where a page must wait
// for the player: the settings and the form at load; the sound, music and samples when the form
// says Start! (and the browser has answered the full-screen request), then the show. The show
// runs from the page's animation frames: each runs the whole show frames the 10 ms clock owes,
// the canvas shows the last.
#include <emscripten.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

#include "app/main_loop.h"
#include "app/report_fatal.h"
#include "app/scene.h"
#include "app/show_window.h"
#include "app/sound_handles.h"
#include "app/startup.h"
#include "app/timeline.h"
#include "core/settings.h"
#include "form.h"
#include "own_files.h"
#include "platform/backend.h"
#include "platform/full_screen_question.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "platform/web/gl_context.h"
#include "platform/web/page.h"
#include "platform/window.h"
#include "ui/dialog_model.h"

namespace {

// A page drawn late (a busy machine, a tab brought back) catches up this many frames at most;
// beyond that the animation slows, as it does natively, and the stages still keep the clock.
constexpr int max_frames_per_animation_frame = 4;

FrameTimer timer;
float due = 0.0f;  // the clock reading of the next show frame
bool quit_requested = false;
int show_frames_run = 0;  // for the frame-rate benchmark
int animation_frames = 0;

void fail(const char* text) {
  report_fatal(text, "Error");
  close_sound(song);  // the page's own-file checks open it again as they need it
  page_ended(fatal_exit_code);
}

void end_show(int exit_code) {
  emscripten_cancel_main_loop();
  shutdown();
  page_ended(exit_code);
}

void run_owed_frames() {
  const double clock = timer.elapsed_ms();
  int exit_code = 0;
  ++animation_frames;
  // The debt a slow machine or a tab frozen for a while cannot pay goes first, so that the
  // frames run, and the music following them, are the latest owed.
  due =
      static_cast<float>(std::max<double>(due, clock - max_frames_per_animation_frame * frame_ms));
  for (int n = 0; n < max_frames_per_animation_frame && clock >= due; ++n) {
    if (quit_requested || !show_goes_on(window_frame_io, exit_code)) {
      return end_show(exit_code);
    }
    const float now = due;
    const bool last = run_show_frame(now, start_time, window_frame_io);
    due = static_cast<float>(now + frame_ms);
    ++show_frames_run;
    if (last) return end_show(exit_code);
  }
}

bool opening_full_screen = false;

void begin_show_now() {
  if (!begin_show(timer, opening_full_screen)) {
    page_ended(fatal_exit_code);  // the window's message has said why
    return;
  }
  due = start_time;
  emscripten_set_main_loop(run_owed_frames, 0, 0);
}

// One step a task, the browser's turn between them. They wait for Start!: the music's loader
// alone is a second of a phone's time in one task, which would hold the form and every tap on
// it; after Start! the player waits for the show anyway, and the sound output opens on a tap, as
// browsers like it.
void run_start_step(void* index) {
  const auto step = reinterpret_cast<std::intptr_t>(index);
  if (const char* failure = load_sound_step(static_cast<int>(step), settings.music != 0)) {
    fail(failure);
    return;
  }
  if (step + 1 < load_sound_steps) {
    emscripten_async_call(run_start_step, reinterpret_cast<void*>(step + 1), 0);
  } else {
    begin_show_now();
  }
}

void start_show(bool fullscreen) {
  opening_full_screen = fullscreen;
  emscripten_async_call(run_start_step, nullptr, 0);
}

}  // namespace

extern "C" {

// Start!, with the form's controls. 1: the page asks for full screen, then calls web_open;
// 0: web_open at once.
EMSCRIPTEN_KEEPALIVE int web_start(int resolution, int windowed, int music, int dither, int d16,
                                   int d24, int d32) {
  DialogState state;
  state.resolution = resolution;
  state.windowed = windowed != 0;
  state.music = music != 0;
  state.dither = dither != 0;
  state.depth[0] = d16 != 0;
  state.depth[1] = d24 != 0;
  state.depth[2] = d32 != 0;
  end_dialog(DialogEnd::start, state, settings);
  save_settings();
  page_save_storage();
  return settings.fullscreen != 0 ? 1 : 0;
}

// After Start!: whether the browser gave the page its full screen, when it was asked for.
EMSCRIPTEN_KEEPALIVE void web_open(int full_screen_granted) {
  if (settings.fullscreen != 0 && full_screen_granted == 0) {
    page_ask(full_screen_question, full_screen_caption);  // answered in web_answer
    return;
  }
  start_show(settings.fullscreen != 0);
}

EMSCRIPTEN_KEEPALIVE void web_answer(int yes) {
  print_message_line(yes != 0 ? "answered Yes" : "answered No", full_screen_caption);
  if (yes != 0) {
    settings.fullscreen = 0;  // for this run only: the file keeps what the player chose
    start_show(false);
    return;
  }
  show_message(closing_notice, full_screen_caption, MessageIcon::stop);
  shutdown();
  page_return_to_form();
}

// After Start!, in a browser with no full screen for a page at all (iPhone Safari): the show plays
// in the page, scaled to fit, without the desktop's question, which would blame the video card.
EMSCRIPTEN_KEEPALIVE void web_open_windowed() {
  settings.fullscreen = 0;  // for this run only, as after a Yes
  start_show(false);
}

// Exit or closing the form.
EMSCRIPTEN_KEEPALIVE void web_exit() {
  close_sound(song);
  page_ended(0);
}

// The page left full screen (the browser takes Escape for that) or is going away.
EMSCRIPTEN_KEEPALIVE void web_quit() {
  quit_requested = true;
}

// The browser gave back the WebGL context it had taken: the pictures and GL state are made again;
// the show's clock, random numbers and sound have gone on meanwhile and are left as they are.
EMSCRIPTEN_KEEPALIVE void web_restore_picture() {
  remake_gl_context_objects();
  if (!restore_scene_gl()) {
    report_fatal(texture_load_failure, "Error");
    emscripten_cancel_main_loop();
    page_ended(fatal_exit_code);
    return;
  }
  const ViewSize view = current_view();
  glViewport(0, 0, view.width, view.height);
}

EMSCRIPTEN_KEEPALIVE int web_show_frames_run() {
  return show_frames_run;
}

EMSCRIPTEN_KEEPALIVE int web_animation_frames() {
  return animation_frames;
}

EMSCRIPTEN_KEEPALIVE double web_music_lead_ms() {
  return song != nullptr ? music_lead_ms(song, timer.elapsed_ms() - start_time) : 0.0;
}

}  // extern "C"

// Start-up up to the settings form; the page then waits for the player.
int main() {
  if (!load_settings()) {
    page_ended(0);
    return 0;
  }
  if (!size_showable(settings.width, settings.height)) {  // kept by an earlier page
    show_message(settings_load_failure, "Error", MessageIcon::exclamation);
    page_ended(fatal_exit_code);
    return 0;
  }
  page_show_form(fill_dialog(settings));
  return 0;
}
