// A picture that cannot be decoded stops the set-up where it stands.
#include <cstdio>
#include <cstdlib>

#include "scene_fixture.h"
#include "support/recording_sound.h"

namespace {

// Runs as the program ends, after the fatal message: says how far the set-up had come.
void report_progress() {
  const bool music_started = !sound_calls.empty();
  std::fprintf(stderr, "loaded %d %d %d %d %d, music %s\n", comet_texture != 0, smoke_texture != 0,
               logo_texture != 0, logo2_texture != 0, web_texture != 0,
               music_started ? "started" : "silent");
}

}  // namespace

TEST(SceneFailureDeathTest, UndecodableWebPictureEndsAfterFourPicturesAndBeforeTheMusic) {
  TempDir media;
  write_fixture_media(media.path(), false);
  write_bytes(media.file("web.jpg"), std::vector<unsigned char>(3000, 0x77));
  EXPECT_EXIT(
      {
        ::unsetenv("DISPLAY");  // the message box must not wait for a click
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        if (::chdir(media.path().c_str()) != 0) std::exit(3);
        GlContext context(64, 48);
        clear_sound_calls();
        std::atexit(report_progress);
        set_up_scene();
        std::exit(0);
      },
      ::testing::ExitedWithCode(255), "loaded 1 1 1 1 0, music silent");
}
