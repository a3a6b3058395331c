// swirlbeam-capture: the show run headless on a virtual clock, written out as pictures, video,
// soundtrack, a state trace or timing figures. The show itself takes no options.
#include <cstdio>
#include <string>
#include <vector>

#include "capture_run.h"
#include "host.h"
#include "live_play.h"
#include "options.h"

namespace {

constexpr int bad_options_status = 2;

}  // namespace

int main(int argc, char** argv) {
  ParsedOptions parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "swirlbeam-capture: %s\n", parsed.error.c_str());
    return bad_options_status;
  }
  CaptureOptions& o = parsed.options;
  if (o.help) {
    std::fputs(usage_text(), stdout);
    return 0;
  }
  // The run changes into the media folder: outputs stay where the caller meant them.
  for (std::string* path : {&o.png_dir, &o.video_file, &o.audio_file, &o.trace_file,
                            &o.contact_sheet_file, &o.master_file}) {
    *path = absolute_path(*path);
  }
  return o.play ? run_live_play(o) : run_capture(o);
}
