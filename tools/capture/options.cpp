#include "options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "replay/show_clock.h"

namespace {

constexpr long max_side = 8192;

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
    ok = parse_int(value, 0, show_frame_count() - 1, o.from);
    if (!ok) error = "--from wants a frame 0.." + std::to_string(show_frame_count() - 1);
  } else if (name == "--frames") {
    ok = parse_int(value, 1, 1 << 30, o.frames);
    if (!ok) error = "--frames wants a count of 1 or more";
  } else if (name == "--every") {
    ok = parse_int(value, 1, 1 << 30, o.every);
    if (!ok) error = "--every wants a count of 1 or more";
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
  static const char* const names[] = {"--media",  "--size",  "--seed",          "--from",
                                      "--frames", "--every", "--png",           "--video",
                                      "--audio",  "--trace", "--contact-sheet", "--buffer"};
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

std::string check_combination(const CaptureOptions& o) {
  const bool writes = !o.png_dir.empty() || !o.video_file.empty() || !o.audio_file.empty() ||
                      !o.trace_file.empty() || !o.contact_sheet_file.empty();
  if (o.bench && writes) return "--bench writes nothing: leave out the output options";
  if (o.play && (writes || o.bench)) return "--play writes nothing: leave out the other options";
  if (o.buffer != 0 && !o.play) return "--buffer goes with --play";
  return {};
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  CaptureOptions& o = parsed.options;
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
      if (!take_value(arg, args[++i], o, parsed.error)) return parsed;
    } else if (arg.rfind("-", 0) == 0) {
      parsed.error = "unknown option " + arg + " (see --help)";
      return parsed;
    } else {
      parsed.error = "unexpected argument " + arg + " (see --help)";
      return parsed;
    }
  }
  if (!o.help) parsed.error = check_combination(o);
  return parsed;
}

int last_written_frame(const CaptureOptions& o) {
  const long long end =
      o.frames == 0 ? show_frame_count() : static_cast<long long>(o.from) + o.frames;
  return static_cast<int>(std::min<long long>(end, show_frame_count())) - 1;
}

bool is_kept_frame(const CaptureOptions& o, int frame) {
  return frame >= o.from && frame <= last_written_frame(o) && (frame - o.from) % o.every == 0;
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
  --png DIR              numbered PNG pictures, DIR/frame-000000.png, ...
  --video FILE           a video through ffmpeg, at 100/K frames a second, with the
                         soundtrack when --audio is given too
  --audio FILE.wav       the soundtrack of the written frames, 44100 Hz 16-bit stereo
  --trace FILE           one JSON line per written frame: stage, random state, effects, comets
  --contact-sheet FILE   one PNG with a frame of every stage 0..9 (runs the whole show)
  --bench                time the written frames (median and 95th percentile per stage)
                         and the start-up; writes nothing
  --play                 play frames F on in real time, with sound on the sound output
                         (the frames before F run first, silently, as fast as they can)
  --buffer N             with --play: the sound output's buffer, in stereo frames
  --help                 this text

Bad options end with a one-line message and exit status 2.
)";
}
