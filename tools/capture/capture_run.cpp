#include "capture_run.h"

#include <GL/gl.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/effects.h"
#include "app/frame.h"
#include "app/media_files.h"
#include "bench.h"
#include "child_process.h"
#include "contact_sheet.h"
#include "host.h"
#include "output_check.h"
#include "platform/desktop/desktop.h"
#include "platform/jpeg_decode.h"
#include "png_queue.h"
#include "png_writer.h"
#include "progress.h"
#include "replay/frame_pixels.h"
#include "replay/show_clock.h"
#include "replay/show_session.h"
#include "replay/trace_writer.h"
#include "soundtrack.h"
#include "stop_signal.h"
#include "video_pipe.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_between(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

bool complain(const std::string& message) {
  std::fprintf(stderr, "swirlbeam-capture: %s\n", message.c_str());
  return false;
}

// Everything the options ask to be written, opened before the long run starts.
struct Outputs {
  const CaptureOptions& o;
  TraceWriter trace;
  SoundtrackWriter sound;
  std::string sound_path;  // the --audio file, or the master's sound before it is muxed in
  VideoPipe video;
  VideoPipe master;
  std::unique_ptr<PngQueue> pictures;
  std::unique_ptr<ContactSheet> sheet;
  std::vector<std::string> begun;  // outputs this run has written at their own names

  explicit Outputs(const CaptureOptions& options) : o(options) {}

  bool side_sound() const { return o.audio_file.empty() && !o.master_file.empty(); }

  bool wants_pixels(int step, bool kept) const {
    return (kept && (!o.png_dir.empty() || !o.video_file.empty() || !o.master_file.empty())) ||
           (sheet != nullptr && sheet->wants(step));
  }

  bool open() {
    std::string error;
    if (!o.png_dir.empty()) {
      if (!make_folder(o.png_dir, error)) return complain(error);
      pictures = std::make_unique<PngQueue>();
    }
    if (!o.trace_file.empty()) {
      if (!trace.open(o.trace_file, error)) return complain(error);
      begun.push_back(o.trace_file);
    }
    sound_path = side_sound() ? o.master_file + ".sound.wav" : o.audio_file;
    const SoundSpan span = written_sound(o);
    if (!sound_path.empty() && !sound.open(sound_path, span.first, span.end, error))
      return complain(error);
    if (!o.audio_file.empty()) begun.push_back(o.audio_file);
    if (!o.contact_sheet_file.empty()) sheet = std::make_unique<ContactSheet>(o.width, o.height);
    const std::string rate = output_frame_rate(o);
    if (!o.video_file.empty() &&
        !video.open(o.video_file, o.width, o.height, rate,
                    publishing_video(half_second_of_frames(o)), !o.audio_file.empty(), error))
      return complain(error);
    if (!o.master_file.empty() &&
        !master.open(o.master_file, o.width, o.height, rate, lossless_master(), true, error))
      return complain(error);
    return true;
  }

  // `written`: the number the step is written under, or -1.
  bool write_frame(int step, int written) {
    const bool kept = written >= 0;
    std::string error;
    if (wants_pixels(step, kept)) {
      std::vector<std::uint8_t> rgb = read_frame_pixels(o.width, o.height);
      if (sheet != nullptr && sheet->wants(step)) sheet->add(step, effects.stage, rgb);
      if (kept && !o.video_file.empty() && !video.write_frame(rgb))
        return complain("ffmpeg stopped taking frames for " + o.video_file + ": " + video.why());
      if (kept && !o.master_file.empty() && !master.write_frame(rgb))
        return complain("ffmpeg stopped taking frames for " + o.master_file + ": " + master.why());
      if (kept && pictures != nullptr &&
          !pictures->add(numbered_png_path(o.png_dir, written),
                         {o.width, o.height, std::move(rgb)})) {
        pictures->finish(error);
        return complain(error);
      }
    }
    if (kept && !o.trace_file.empty() && !trace.write(written, o.fps != 0 ? step : -1))
      return complain(o.trace_file + ": " + std::strerror(errno));
    if (!sound_path.empty() && !sound.add_frame())
      return complain(sound_path + ": " + std::strerror(errno));
    return true;
  }

  // Each output that ends whole stays; one that fails is removed, with one line on why.
  bool close() {
    std::string error;
    bool ok = true;
    if (pictures != nullptr && !pictures->finish(error)) ok = complain(error);
    if (!o.trace_file.empty() && !trace.close(error)) {
      ok = complain(error);
      std::remove(o.trace_file.c_str());
    }
    const bool sound_whole = sound_path.empty() || sound.close(error);
    if (!sound_whole) {
      ok = complain(error);
      std::remove(sound_path.c_str());
    }
    if (!o.video_file.empty()) {
      if (!sound_whole && !o.audio_file.empty()) {
        video.abandon();
      } else if (video.close(o.audio_file, error)) {
        begun.push_back(o.video_file);
      } else {
        ok = stop_signal() != 0 || complain(error);
      }
    }
    if (!o.master_file.empty()) {
      if (!sound_whole) {
        master.abandon();
      } else if (master.close(sound_path, error)) {
        begun.push_back(o.master_file);
      } else {
        ok = stop_signal() != 0 || complain(error);
      }
    }
    if (side_sound()) std::remove(sound_path.c_str());
    if (ok && stop_signal() == 0 && sheet != nullptr &&
        !write_png(o.contact_sheet_file, sheet->image(), error))
      return complain(error);
    return ok;
  }

  // After a failed frame or a stop signal: nothing stays at an output's name but the PNG
  // pictures, each written whole.
  void abandon() {
    std::string ignored;
    if (pictures != nullptr) pictures->finish(ignored);
    trace.close(ignored);
    for (const std::string& path : begun) std::remove(path.c_str());
    if (!sound_path.empty()) sound.abandon();
    video.abandon();
    master.abandon();
  }

  // After close, when a stop signal came during the final steps.
  void remove_finished() {
    for (const std::string& path : begun) std::remove(path.c_str());
  }
};

void print_bench_header(const CaptureOptions& o) {
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const std::string which =
      o.fps != 0 ? "at " + std::to_string(o.fps) + " fps" : "every " + std::to_string(o.every);
  std::printf("swirlbeam-capture --bench: %dx%d, timing frames %d..%d, %s, on %s\n", o.width,
              o.height, o.from, last_written_frame(o), which.c_str(),
              renderer != nullptr ? renderer : "?");
}

// The pictures the scene loads, tried before anything is written: the scene itself would end the
// program with the show's own message and status.
bool show_pictures_load() {
  for (const char* name : picture_files) {
    JpegPicture picture;
    if (!decode_jpeg_file(name, picture))
      return complain(std::string(name) + ": not a picture the show can load");
  }
  return true;
}

// Counts the frames written, which is what takes the time.
int written_frame_count(const CaptureOptions& o) {
  const int span = last_written_frame(o) - o.from;
  return o.fps != 0 ? span + 1 : span / o.every + 1;
}

[[noreturn]] void stop_by_signal(const CaptureOptions& o) {
  const int signal = stop_signal();
  std::string kept;
  if (!o.png_dir.empty()) kept = " but the whole PNG pictures in " + o.png_dir;
  complain(std::string("stopped by ") + signal_name(signal) + ": nothing written" + kept);
  end_by_signal(signal);
}

}  // namespace

int run_capture(const CaptureOptions& o) {
  ignore_broken_pipes();  // a dead ffmpeg shows as a failed write
  catch_stop_signals();
  keep_freed_memory();  // as the show does, so that --bench times it as it plays
  if ((!o.video_file.empty() || !o.master_file.empty()) && !ffmpeg_found()) {
    complain(std::string(o.video_file.empty() ? "--master" : "--video") + " needs " +
             ffmpeg_missing());
    return 1;
  }
  const OutputProblem problem = check_outputs(o);
  if (problem.status != 0) {
    complain(problem.message);
    return problem.status;
  }
  use_headless_video();
  std::string error;
  if (!o.media_dir.empty() && !change_folder(o.media_dir, error)) {
    complain(error);
    return 1;
  }
  if (!show_pictures_load() || !load_show_sound("swirlbeam-capture")) {
    close_show();
    return 1;
  }
  Outputs outputs(o);
  if (!outputs.open()) {
    outputs.abandon();
    close_show();
    return 1;
  }

  const auto started = Clock::now();
  if (!create_session_window({o.width, o.height, o.seed, !outputs.sound_path.empty()})) {
    outputs.abandon();
    return 1;
  }

  const int last_frame = outputs.sheet != nullptr ? show_frame_count() - 1 : last_step_to_run(o);
  if (o.bench) print_bench_header(o);
  BenchRecorder bench;
  ProgressBar progress(written_frame_count(o), stderr_is_terminal());
  double startup_ms = 0;
  int written_count = 0;
  bool ok = true;
  for (int frame = 0; frame <= last_frame && ok && stop_signal() == 0; ++frame) {
    const int written = written_frame_at_step(o, frame);
    const bool kept = written >= 0;
    // The benchmark times the kept frames (and the first, for the start-up) drawn in full.
    const bool looked_at = o.bench ? frame == 0 || kept : outputs.wants_pixels(frame, kept);
    fast_forward(!looked_at);
    const auto t0 = Clock::now();
    const bool show_over = step_show(frame);
    const auto t1 = Clock::now();
    draw_frame();
    glFinish();
    const auto t2 = Clock::now();
    if (frame == 0) startup_ms = ms_between(started, t2);
    if (kept) bench.add(effects.stage, ms_between(t0, t2), ms_between(t1, t2));

    ok = outputs.write_frame(frame, written);
    if (kept) progress.update(++written_count);
    if (show_over) break;
  }
  progress.finish();
  if (!ok || stop_signal() != 0) {
    outputs.abandon();
    close_show();
    if (stop_signal() != 0) stop_by_signal(o);
    return 1;
  }
  ok = outputs.close();
  close_show();
  if (stop_signal() != 0) {
    outputs.remove_finished();
    stop_by_signal(o);
  }
  if (o.bench) bench.print(stdout, startup_ms);
  return ok ? 0 : 1;
}
