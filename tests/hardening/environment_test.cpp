// A machine that lets the show down: a folder it may not write, no sound card, no display, an
// OpenGL that cannot make the context. Each ends with a message and code 0 or 255, or plays on.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/show_program.h"

namespace {

constexpr unsigned nobody = 65534;

class Environment : public ::testing::Test, protected ShowProgram {};

void expect_played(const ShowRun& run) {
  EXPECT_TRUE(run.still_playing) << run.result.err;
  EXPECT_EQ(run.result.exit_status, 0) << run.result.err;
  EXPECT_FALSE(sanitizer_report(run.result.err)) << run.result.err;
}

void expect_ended(const ShowRun& run, int exit_status, const std::string& message) {
  EXPECT_FALSE(run.still_playing);
  EXPECT_EQ(run.result.exit_status, exit_status) << run.result.err;
  EXPECT_TRUE(has(run.result.err, message)) << run.result.err;
  EXPECT_FALSE(sanitizer_report(run.result.err)) << run.result.err;
}

}  // namespace

// The settings are normally replaced through a new file beside the old one; a folder that takes
// no new files still lets a writable config.dat be written where it is.
TEST_F(Environment, FolderThatTakesNoNewFilesStillSavesIntoAWritableConfigurationFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  ::chmod(dir.path().c_str(), 0755);
  for (const char* name :
       {"texture.jpg", "smoke.jpg", "logo.jpg", "logo2.jpg", "web.jpg", "thanks.jpg", "music.dat",
        "strike.wav", "swirlbeam.wav", "thanks.wav"}) {
    ::chmod(dir.file(name).c_str(), 0644);
  }
  ::chmod(dir.file("config.dat").c_str(), 0666);
  const auto before = read_bytes(dir.file("config.dat"));
  ProcessOptions options = headless(dir);
  options.run_as_uid = nobody;
  const ShowRun run = run_for(options, show_seconds);
  expect_played(run);
  EXPECT_EQ(read_bytes(dir.file("config.dat")), before);  // the same settings, written again
  EXPECT_FALSE(has(run.result.err, "Unable to save the configuration")) << run.result.err;
}

// The player's choice is not lost for want of a place to keep it: the show still plays.
TEST_F(Environment, ReadOnlyConfigurationFileKeepsItsBytesSaysSoAndStillPlays) {
  ::chmod(dir.path().c_str(), 0777);
  for (const char* name :
       {"config.dat", "music.dat", "strike.wav", "swirlbeam.wav", "thanks.wav"}) {
    ::chmod(dir.file(name).c_str(), 0644);
  }
  ::chmod(dir.file("config.dat").c_str(), 0444);
  const auto before = read_bytes(dir.file("config.dat"));
  ProcessOptions options = headless(dir);
  options.run_as_uid = nobody;  // root could write the file anyway
  const ShowRun run = run_for(options, show_seconds);
  expect_played(run);
  EXPECT_TRUE(has(run.result.err, "Unable to save the configuration !")) << run.result.err;
  EXPECT_EQ(read_bytes(dir.file("config.dat")), before);
}

// Music can be switched off only in the dialog: no sound output must not keep the player out.
TEST_F(Environment, NoAudioDeviceWithMusicOnPlaysInSilenceSaysWhyAndKeepsTheChoice) {
  write_fixture_media(dir.path(), true);
  ProcessOptions options = headless(dir);
  options.env["SDL_AUDIODRIVER"] = "no-such-driver";
  const ShowRun run = run_for(options, show_seconds);
  expect_played(run);
  EXPECT_TRUE(has(run.result.err, "no-such-driver")) << run.result.err;  // SDL's reason
  EXPECT_TRUE(has(run.result.err, "no sound output could be opened; the show starts silent"))
      << run.result.err;
  EXPECT_FALSE(has(run.result.err, "FMOD")) << run.result.err;
  EXPECT_EQ(read_bytes(dir.file("config.dat")).at(1), 1);  // music still on, for the next start

  // No sound server and no sound card, on SDL's own choice of driver: one line says why, that of
  // the driver that was there (ALSA), with none of ALSA's own.
  options.env["SDL_AUDIODRIVER"] = std::nullopt;
  options.env["PULSE_SERVER"] = "unix:/nonexistent";
  options.env["PIPEWIRE_REMOTE"] = "/nonexistent";
  options.env["XDG_RUNTIME_DIR"] = dir.path();
  const ShowRun no_server = run_for(options, show_seconds);
  expect_played(no_server);
  EXPECT_TRUE(has(no_server.result.err, "swirlbeam: audio: ALSA")) << no_server.result.err;
  EXPECT_FALSE(has(no_server.result.err, "ALSA lib")) << no_server.result.err;
}

TEST_F(Environment, NoAudioDeviceWithMusicOffPlaysInSilence) {
  ProcessOptions options = headless(dir);
  options.env["SDL_AUDIODRIVER"] = "no-such-driver";
  expect_played(run_for(options, show_seconds));
}

// The samples load into the silent output all the same, so that a missing one is still fatal.
TEST_F(Environment, NoAudioDeviceWithMusicOffStillNeedsEverySample) {
  ::unlink(dir.file("thanks.wav").c_str());
  ProcessOptions options = headless(dir);
  options.env["SDL_AUDIODRIVER"] = "no-such-driver";
  expect_ended(run_for(options, show_seconds), 255, "Error: Unable to load a sample!!");
}

// SDL would fall back to drawing off screen, and the show would play unseen for three minutes.
TEST_F(Environment, NoDisplaySkipsTheDialogAndEndsWithTheWindowMessage) {
  for (const char* display : {"", ":4711"}) {  // none at all, and one that cannot be reached
    ProcessOptions options = headless(dir);
    options.env["SDL_VIDEODRIVER"] = std::nullopt;  // SDL finds its own way
    if (*display != '\0') options.env["DISPLAY"] = display;
    const ShowRun run = run_for(options, show_seconds);
    expect_ended(run, 0, "ERROR: Failed To Register The Window Class.");
    EXPECT_TRUE(has(run.result.err, "no display for the settings dialog")) << run.result.err;
    EXPECT_EQ(read_bytes(dir.file("config.dat")).size(), 15u);
  }
}

TEST_F(Environment, OffscreenDrawingAskedForPlaysWithoutADisplay) {
  expect_played(run_for(show_seconds));  // SDL_VIDEODRIVER=offscreen
}

TEST_F(Environment, NoVideoDriverAtAllEndsWithTheWindowMessage) {
  ProcessOptions options = headless(dir);
  options.env["SDL_VIDEODRIVER"] = "no-such-driver";
  expect_ended(run_for(options, show_seconds), 0, "ERROR: Failed To Register The Window Class.");
}

// Mesa told to offer no more than OpenGL 1.0 cannot make the context the show asks for.
TEST_F(Environment, OpenGlThatCannotMakeTheContextEndsWithTheContextMessage) {
  ProcessOptions options = headless(dir);
  options.env["MESA_GL_VERSION_OVERRIDE"] = "1.0";
  expect_ended(run_for(options, show_seconds), 0, "ERROR: Can't Create A GL Rendering Context.");
}
