#include "capture_run.h"

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/effects.h"
#include "app/frame.h"
#include "bench.h"
#include "contact_sheet.h"
#include "platform/heap.h"
#include "png_queue.h"
#include "png_writer.h"
#include "progress.h"
#include "replay/frame_pixels.h"
#include "replay/show_clock.h"
#include "replay/show_session.h"
#include "replay/trace_writer.h"
#include "soundtrack.h"
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

bool make_folder(const std::string& dir) {
  if (mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST) {
    struct stat info {};
    if (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
  }
  return complain(dir + ": " + std::strerror(errno));
}

// Everything the options ask to be written, opened before the long run starts.
struct Outputs {
  const CaptureOptions& o;
  TraceWriter trace;
  SoundtrackWriter sound;
  VideoPipe video;
  std::unique_ptr<PngQueue> pictures;
  std::unique_ptr<ContactSheet> sheet;

  explicit Outputs(const CaptureOptions& options) : o(options) {}

  bool wants_pixels(int frame, bool kept) const {
    return (kept && (!o.png_dir.empty() || !o.video_file.empty())) ||
           (sheet != nullptr && sheet->wants(frame));
  }

  bool open() {
    std::string error;
    if (!o.png_dir.empty()) {
      if (!make_folder(o.png_dir)) return false;
      pictures = std::make_unique<PngQueue>();
    }
    if (!o.trace_file.empty() && !trace.open(o.trace_file, error)) return complain(error);
    if (!o.audio_file.empty() && !sound.open(o.audio_file, error)) return complain(error);
    if (!o.contact_sheet_file.empty()) sheet = std::make_unique<ContactSheet>(o.width, o.height);
    if (!o.video_file.empty() &&
        !video.open(o.video_file, o.width, o.height, o.every, !o.audio_file.empty(), error))
      return complain(error);
    return true;
  }

  bool write_frame(int frame, bool kept) {
    std::string error;
    if (wants_pixels(frame, kept)) {
      std::vector<std::uint8_t> rgb = read_frame_pixels(o.width, o.height);
      if (sheet != nullptr && sheet->wants(frame)) sheet->add(frame, effects.stage, rgb);
      if (kept && !o.video_file.empty() && !video.write_frame(rgb))
        return complain("ffmpeg stopped taking frames");
      if (kept && pictures != nullptr &&
          !pictures->add(numbered_png_path(o.png_dir, frame),
                         {o.width, o.height, std::move(rgb)})) {
        pictures->finish(error);
        return complain(error);
      }
    }
    if (kept && !o.trace_file.empty() && !trace.write(frame))
      return complain(o.trace_file + ": " + std::strerror(errno));
    const bool in_range = frame >= o.from && frame <= last_written_frame(o);
    if (!o.audio_file.empty() && !sound.add_frame(in_range))
      return complain(o.audio_file + ": " + std::strerror(errno));
    return true;
  }

  bool close() {
    std::string error;
    if (pictures != nullptr && !pictures->finish(error)) return complain(error);
    if (!o.trace_file.empty() && !trace.close(error)) return complain(error);
    if (!o.audio_file.empty() && !sound.close(error)) return complain(error);
    if (!o.video_file.empty() && !video.close(o.audio_file, error)) return complain(error);
    if (sheet != nullptr && !write_png(o.contact_sheet_file, sheet->image(), error))
      return complain(error);
    return true;
  }
};

void print_bench_header(const CaptureOptions& o, int last_frame) {
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  std::printf("swirlbeam-capture --bench: %dx%d, timing frames %d..%d, every %d, on %s\n", o.width,
              o.height, o.from, last_frame, o.every, renderer != nullptr ? renderer : "?");
}

}  // namespace

int run_capture(const CaptureOptions& o) {
  std::signal(SIGPIPE, SIG_IGN);  // a dead ffmpeg shows as a failed write
  keep_freed_memory();            // as the show does, so that --bench times it as it plays
  if (!o.video_file.empty() && !program_on_path("ffmpeg")) {
    complain("--video needs ffmpeg, which is not on PATH (Debian: apt-get install ffmpeg)");
    return 1;
  }
  use_offscreen_video();
  if (!o.media_dir.empty() && chdir(o.media_dir.c_str()) != 0) {
    complain(o.media_dir + ": " + std::strerror(errno));
    return 1;
  }
  if (!load_show_sound()) {
    close_show();
    return 1;
  }
  Outputs outputs(o);
  if (!outputs.open()) {
    close_show();
    return 1;
  }

  const auto started = Clock::now();
  if (!open_show_window({o.width, o.height, o.seed, !o.audio_file.empty()})) return 1;

  const int last_frame = outputs.sheet != nullptr ? show_frame_count() - 1 : last_written_frame(o);
  if (o.bench) print_bench_header(o, last_frame);
  BenchRecorder bench;
  ProgressBar progress(last_frame + 1, isatty(STDERR_FILENO) == 1);
  double startup_ms = 0;
  bool ok = true;
  for (int frame = 0; frame <= last_frame && ok; ++frame) {
    const bool kept = is_kept_frame(o, frame);
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

    ok = outputs.write_frame(frame, kept);
    progress.update(frame + 1);
    if (show_over) break;
  }
  progress.finish();
  ok = outputs.close() && ok;
  close_show();
  if (o.bench) bench.print(stdout, startup_ms);
  return ok ? 0 : 1;
}
