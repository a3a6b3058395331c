// The real program, started as a user would, on small media folders.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

constexpr unsigned nobody = 65534;

// No display (so message boxes fail fast and only stderr carries the text), no sound card.
ProcessOptions headless(const TempDir& dir) {
  ProcessOptions options = headless_options(dir.path());
  options.timeout_seconds = 30;
  return options;
}

ProcessResult run_show(const ProcessOptions& options) {
  return run_process({SWIRLBEAM_BINARY}, options);
}

ProcessResult run_show(const TempDir& dir) {
  return run_show(headless(dir));
}

}  // namespace

TEST(Startup, NoConfigurationFileSaysSoAndEndsWithoutStartingSound) {
  TempDir dir;
  write_fixture_media(dir.path(), true);
  ::unlink(dir.file("config.dat").c_str());
  ProcessOptions options = headless(dir);
  options.env["SDL_AUDIODRIVER"] = "no-such-driver";  // starting sound would fail loudly
  const ProcessResult r = run_show(options);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.err.find("Unable to load the configuration !"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("FMOD"), std::string::npos) << r.err;
}

TEST(Startup, MissingOrGarbageMusicIsFatal) {
  for (const bool garbage : {false, true}) {
    TempDir dir;
    write_fixture_media(dir.path(), false);
    if (garbage) {
      write_bytes(dir.file("music.dat"), std::vector<unsigned char>(5000, 0x33));
    } else {
      ::unlink(dir.file("music.dat").c_str());
    }
    const ProcessResult r = run_show(dir);
    EXPECT_EQ(r.exit_status, 255) << garbage;
    EXPECT_NE(r.err.find("Error: Unable to load a music!!"), std::string::npos) << r.err;
  }
}

TEST(Startup, EachMissingSampleIsFatal) {
  for (const char* name : {"strike.wav", "swirlbeam.wav", "thanks.wav"}) {
    TempDir dir;
    write_fixture_media(dir.path(), false);
    ::unlink(dir.file(name).c_str());
    const ProcessResult r = run_show(dir);
    EXPECT_EQ(r.exit_status, 255) << name;
    EXPECT_NE(r.err.find("Error: Unable to load a sample!!"), std::string::npos) << r.err;
  }
}

TEST(Startup, MusicOffStillNeedsNoAudioDevice) {
  TempDir dir;
  write_fixture_media(dir.path(), false);
  ::unlink(dir.file("thanks.wav").c_str());
  ProcessOptions options = headless(dir);
  options.env["SDL_AUDIODRIVER"] = "no-such-driver";  // overridden by the silent output
  const ProcessResult r = run_show(options);
  EXPECT_EQ(r.exit_status, 255);
  EXPECT_NE(r.err.find("Unable to load a sample!!"), std::string::npos) << r.err;
}

TEST(Startup, UnwritableConfigurationKeepsItsBytesAndEndsQuietly) {
  TempDir dir;
  write_fixture_media(dir.path(), false);
  ::chmod(dir.path().c_str(), 0777);
  for (const char* name :
       {"config.dat", "music.dat", "strike.wav", "swirlbeam.wav", "thanks.wav"}) {
    ::chmod(dir.file(name).c_str(), 0644);
  }
  ::chmod(dir.file("config.dat").c_str(), 0444);
  const auto before = read_bytes(dir.file("config.dat"));
  ProcessOptions options = headless(dir);
  options.run_as_uid = nobody;  // root could write the file anyway
  const ProcessResult r = run_show(options);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.err.find("Unable to save the configuration !"), std::string::npos) << r.err;
  EXPECT_EQ(read_bytes(dir.file("config.dat")), before);
}

TEST(Startup, UndecodablePictureIsFatal) {
  TempDir dir;
  write_fixture_media(dir.path(), false);
  write_bytes(dir.file("web.jpg"), std::vector<unsigned char>(3000, 0x77));
  const ProcessResult r = run_show(dir);
  EXPECT_EQ(r.exit_status, 255);
  EXPECT_NE(r.err.find("Error: load_jpeg(): Unable to load a texture from a JPEG file!"),
            std::string::npos)
      << r.err;
}

TEST(Startup, TerminationSignalEndsTheShowInOrder) {
  for (const int signal_number : {SIGTERM, SIGINT}) {
    TempDir dir;
    write_fixture_media(dir.path(), false);
    const int pid =
        start_process({SWIRLBEAM_BINARY}, headless(dir), dir.file("out.txt"), dir.file("err.txt"));
    // Wait for the show to be running: the settings file is written just before the window.
    for (int i = 0; i < 200 && read_bytes(dir.file("config.dat")).size() != 15; ++i)
      ::usleep(20000);
    ::usleep(500000);
    ::kill(pid, signal_number);
    const ProcessResult r = wait_process(pid, 20);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.signal, 0) << signal_number;
    EXPECT_EQ(r.exit_status, 0) << signal_number;
  }
}
