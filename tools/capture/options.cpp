#include "options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "replay/show_clock.h"

namespace {

constexpr long max_side = 8192;
// H.264 level 6.2, the highest: frames of at most this many 16 x 16 macroblocks.
constexpr long long max_macroblocks = 139264;

// Whole decimal numbers only: no sign, no blanks, nothing after the digits.
bool parse_number(const std::string& text, unsigned long long max, unsigned long long& value) {
  if (text.empty() || text.size() > 20) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  errno = 0;
  value = std::strtoull(text.c_str(), nullptr, 10);
  return errno == 0 && value <= max;
}

bool parse_int(const std::string& text, int min, int max, int& value) {
  unsigned long long n = 0;
  if (!parse_number(text, static_cast<unsigned long long>(max), n) || n < unsigned(min))
    return false;
  value = static_cast<int>(n);
  return true;
}

bool parse_size(const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  if (x == std::string::npos) return false;
  return parse_int(text.substr(0, x), 1, max_side, width) &&
         parse_int(text.substr(x + 1), 1, max_side, height);
}

// Takes the value of one option; false with the reason in `error`.
bool take_value(const std::string& name, const std::string& value, CaptureOptions& o,
                std::string& error) {
  unsigned long long n = 0;
  bool ok = true;
  if (name == "--media") {
    o.media_dir = value;
  } else if (name == "--size") {
    ok = parse_size(value, o.width, o.height);
    if (!ok) error = "--size wants WIDTHxHEIGHT, each 1.." + std::to_string(max_side);
  } else if (name == "--seed") {
    ok = parse_number(value, 0xFFFFFFFFull, n);
    o.seed = static_cast<std::uint32_t>(n);
    if (!ok) error = "--seed wants a whole number 0..4294967295";
  } else if (name == "--from") {
    ok = parse_int(value, 0, 1 << 30, o.from);  // checked against the show's length later
    if (!ok) error = "--from wants a frame 0.." + std::to_string(show_frame_count() - 1);
  } else if (name == "--frames") {
    ok = parse_int(value, 1, 1 << 30, o.frames);
    if (!ok) error = "--frames wants a count of 1 or more";
  } else if (name == "--every") {
    ok = parse_int(value, 1, 1 << 30, o.every);
    if (!ok) error = "--every wants a count of 1 or more";
  } else if (name == "--fps") {
    ok = parse_int(value, lowest_fps, highest_fps, o.fps);
    if (!ok)
      error = "--fps wants a display rate " + std::to_string(lowest_fps) + ".." +
              std::to_string(highest_fps) + ", whole rates only (60 for a 59.94 display)";
  } else if (name == "--master") {
    o.master_file = value;
  } else if (name == "--png") {
    o.png_dir = value;
  } else if (name == "--video") {
    o.video_file = value;
  } else if (name == "--audio") {
    o.audio_file = value;
  } else if (name == "--trace") {
    o.trace_file = value;
  } else if (name == "--contact-sheet") {
    o.contact_sheet_file = value;
  } else if (name == "--buffer") {
    ok = parse_int(value, 256, 16384, o.buffer);
    if (!ok) error = "--buffer wants a count of stereo frames 256..16384";
  }
  if (ok && value.empty()) {
    ok = false;
    error = name + " wants a non-empty value";
  }
  return ok;
}

bool takes_value(const std::string& name) {
  static const char* const names[] = {
      "--media", "--size",  "--seed",  "--from",          "--frames", "--every",  "--png",
      "--video", "--audio", "--trace", "--contact-sheet", "--fps",    "--master", "--buffer"};
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool ends_with(const std::string& path, const char* extension) {
  const std::size_t n = std::strlen(extension);
  if (path.size() <= n) return false;
  return std::equal(
      path.end() - static_cast<std::ptrdiff_t>(n), path.end(), extension,
      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// What ffmpeg is asked to write, known before the first frame.
std::string check_video_outputs(const CaptureOptions& o) {
  if (!o.video_file.empty()) {
    const char* const containers[] = {".mp4", ".m4v", ".mov", ".mkv"};
    if (std::none_of(std::begin(containers), std::end(containers),
                     [&](const char* e) { return ends_with(o.video_file, e); }))
      return "--video wants a file ending .mp4, .m4v, .mov or .mkv (H.264 with AAC sound)";
    if (o.width % 2 != 0 || o.height % 2 != 0)
      return "--video wants even sides (4:2:0 pictures): " + std::to_string(o.width) + "x" +
             std::to_string(o.height) + " would get a black edge; take " +
             std::to_string(o.width / 2 * 2) + "x" + std::to_string(o.height / 2 * 2);
    const long long macroblocks = (o.width + 15LL) / 16 * ((o.height + 15LL) / 16);
    if (macroblocks > max_macroblocks)
      return "--video takes at most " + std::to_string(max_macroblocks) +
             " blocks of 16x16 a frame (H.264 level 6.2), such as 8192x4320 or 6880x5160";
  }
  if (!o.master_file.empty() && !ends_with(o.master_file, ".mkv"))
    return "--master wants a file ending .mkv (Matroska with FFV1 and FLAC)";
  return {};
}

std::string check_combination(const CaptureOptions& o, bool every_given) {
  const bool writes = !o.png_dir.empty() || !o.video_file.empty() || !o.audio_file.empty() ||
                      !o.trace_file.empty() || !o.contact_sheet_file.empty() ||
                      !o.master_file.empty();
  if (o.bench && writes) return "--bench writes nothing: leave out the output options";
  if (o.play && (writes || o.bench || o.fps != 0))
    return "--play writes nothing: leave out the other options";
  if (o.buffer != 0 && !o.play) return "--buffer goes with --play";
  if (o.fps != 0 && every_given)
    return "--every and --fps do not combine: --fps " + std::to_string(o.fps) +
           " picks the show frames itself";
  std::string video = check_video_outputs(o);
  if (!video.empty()) return video;
  if (o.from >= output_frame_count(o)) {
    std::string error = "--from wants a frame 0.." + std::to_string(output_frame_count(o) - 1);
    if (o.fps != 0) error += " at --fps " + std::to_string(o.fps);
    return error;
  }
  return {};
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  CaptureOptions& o = parsed.options;
  bool every_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--bench") {
      o.bench = true;
    } else if (arg == "--play") {
      o.play = true;
    } else if (takes_value(arg)) {
      if (i + 1 >= args.size()) {
        parsed.error = arg + " wants a value";
        return parsed;
      }
      every_given = every_given || arg == "--every";
      if (!take_value(arg, args[++i], o, parsed.error)) return parsed;
    } else if (arg.rfind("-", 0) == 0) {
      parsed.error = "unknown option " + arg + " (see --help)";
      return parsed;
    } else {
      parsed.error = "unexpected argument " + arg + " (see --help)";
      return parsed;
    }
  }
  if (!o.help) parsed.error = check_combination(o, every_given);
  return parsed;
}

int output_frame_count(const CaptureOptions& o) {
  return o.fps != 0 ? display_frame_count(o.fps) : show_frame_count();
}

int last_written_frame(const CaptureOptions& o) {
  const long long count = output_frame_count(o);
  const long long end = o.frames == 0 ? count : static_cast<long long>(o.from) + o.frames;
  return static_cast<int>(std::min(end, count)) - 1;
}

int written_frame_at_step(const CaptureOptions& o, int step) {
  const int frame = o.fps != 0 ? display_frame_showing(step, o.fps) : step;
  const bool kept = frame >= o.from && frame <= last_written_frame(o) &&
                    (o.fps != 0 || (frame - o.from) % o.every == 0);
  return kept ? frame : -1;
}

bool is_kept_frame(const CaptureOptions& o, int step) {
  return written_frame_at_step(o, step) >= 0;
}

int last_step_to_run(const CaptureOptions& o) {
  const int last = last_written_frame(o);
  return o.fps != 0 ? step_shown_at(last, o.fps) : last;
}

SoundSpan written_sound(const CaptureOptions& o) {
  // Sample positions in integers: written frame n starts at n x rate / frame rate.
  const long long rate = static_cast<long long>(samples_per_frame) * frames_per_second;
  const long long frames_a_second = o.fps != 0 ? o.fps : frames_per_second;
  return {rate * o.from / frames_a_second, rate * (last_written_frame(o) + 1) / frames_a_second};
}

std::string output_frame_rate(const CaptureOptions& o) {
  if (o.fps != 0) return std::to_string(o.fps);
  return std::to_string(frames_per_second) + "/" + std::to_string(o.every);
}

int half_second_of_frames(const CaptureOptions& o) {
  const int frames = o.fps != 0 ? o.fps / 2 : frames_per_second / 2 / o.every;
  return std::max(1, frames);
}

const char* usage_text() {
  return R"(Usage: swirlbeam-capture [OPTION]...
Runs the Swirlbeam show headless on a virtual clock (frame n is n x 10 ms) and writes its
frames, soundtrack, state trace or timing figures. The show has 16851 frames (0..16850).

  --media DIR            folder with the show's media (default: the working folder)
  --size WxH             picture size (default 640x480)
  --seed N               the comets' seed, in place of the calendar time (default 1)
  --from F               first frame to write; earlier frames still run (default 0)
  --frames N             frames to write from F on (default: to the end of the show)
  --every K              write every K-th of those frames only (default 1)
  --fps N                write what a display refreshing N times a second (24..100,
                         whole rates only) shows: frame n is the last show frame done
                         by n/N seconds; --from and --frames then count these frames
                         (not with --every)
  --png DIR              numbered PNG pictures, DIR/frame-000000.png, ...
  --video FILE           an H.264 video (BT.709, tagged) through ffmpeg, at 100/K or N
                         frames a second, with the soundtrack (AAC, 48 kHz) when --audio
                         is given too; .mp4, .m4v, .mov or .mkv, even sides
  --master FILE.mkv      a lossless master: FFV1 pictures as drawn, FLAC soundtrack;
                         the same bytes on every run with the same seed
  --audio FILE.wav       the soundtrack of the written frames, 44100 Hz 16-bit stereo
  --trace FILE           one JSON line per written frame: stage, random state, effects, comets
  --contact-sheet FILE   one PNG with a frame of every stage 0..9 (runs the whole show)
  --bench                time the written frames (median and 95th percentile per stage)
                         and the start-up; writes nothing
  --play                 play frames F on in real time, with sound on the sound output
                         (the frames before F run first, silently, as fast as they can)
  --buffer N             with --play: the sound output's buffer, in stereo frames
  --help                 this text

Bad options, and outputs on one file or on a file the show reads, end with a one-line
message and exit status 2 before anything is written; a failed run with status 1.
SIGINT, SIGTERM and SIGHUP stop the run: nothing is left but whole PNG pictures.
)";
}
