// The real program in a folder of fixture media, its dialog driven with xdotool as a user would.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/show_program.h"
#include "support/temp_dir.h"
#include "support/x11_driver.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr const char* xdotool_path = "/usr/bin/xdotool";
constexpr const char* dialog_name = "^Swirlbeam - Configuration$";
constexpr const char* show_name = "^Swirlbeam$";
constexpr double patience_seconds = 60;  // generous: sanitizer builds start slowly

ProcessResult run_tool(const std::vector<std::string>& argv, double timeout = patience_seconds) {
  if (argv.size() > 1 && argv[1] == "search") return run_x_query(argv, timeout);
  ProcessOptions options;
  options.timeout_seconds = timeout;
  return run_process(argv, options);
}

std::string first_word(const std::string& text) {
  std::istringstream in(text);
  std::string word;
  in >> word;
  return word;
}

ino_t inode_of(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

Bytes bytes_of(const Settings& s) {
  const SettingsBytes encoded = encode_settings(s);
  return Bytes(encoded.begin(), encoded.end());
}

// config.dat as write_fixture_media leaves it: windowed, no music, 32 bpp, 320x240, no dither.
Settings file_settings() {
  Settings s;
  s.width = 320;
  s.height = 240;
  return s;
}

// One run of the program, killed when the test leaves it running.
class DialogRun {
 public:
  // `audio_driver` with music on: a machine whose sound output opens, or one where none does.
  explicit DialogRun(bool with_display = true, const char* audio_driver = nullptr) {
    write_fixture_media(program_.dir.path(), audio_driver != nullptr);
    config_before_ = read_bytes(config());
    inode_before_ = inode_of(config());
    // Headless, the show itself may play unseen.
    ProcessOptions options = with_display ? program_.on_display() : headless(program_.dir);
    if (audio_driver != nullptr) options.env["SDL_AUDIODRIVER"] = audio_driver;
    program_.start(options);
  }

  // The dialog's window id once it is on the screen, focused; empty when it never came.
  std::string open_dialog() {
    const std::string id = first_word(
        run_tool({xdotool_path, "search", "--sync", "--onlyvisible", "--name", dialog_name}).out);
    if (!id.empty()) run_tool({xdotool_path, "windowfocus", "--sync", id});
    return id;
  }
  // The show's window id once it is on the screen; empty when it never came.
  std::string wait_for_show() {
    return first_word(
        run_tool({xdotool_path, "search", "--sync", "--onlyvisible", "--name", show_name}).out);
  }
  static bool dialog_on_screen() {
    return run_tool({xdotool_path, "search", "--onlyvisible", "--name", dialog_name}).exit_status ==
           0;
  }

  // The dialog's picture as rows of RGB pixels, from ImageMagick's import.
  std::vector<Bytes> screenshot(const std::string& window) const {
    const std::string file = program_.dir.file("dialog.ppm");
    run_tool({"/usr/bin/import", "-window", window, "-depth", "8", file});
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    std::vector<Bytes> rows(static_cast<std::size_t>(std::max(height, 0)),
                            Bytes(static_cast<std::size_t>(std::max(width, 0)) * 3));
    for (Bytes& row : rows) in.read(reinterpret_cast<char*>(row.data()), row.size());
    return magic == "P6" && in ? rows : std::vector<Bytes>{};
  }

  static void press(const std::vector<std::string>& keys) {
    std::vector<std::string> argv = {xdotool_path, "key", "--delay", "50"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    EXPECT_EQ(run_tool(argv).exit_status, 0);
  }
  static void click(const std::string& window, int x, int y) {
    EXPECT_EQ(run_tool({xdotool_path, "mousemove", "--sync", "--window", window, std::to_string(x),
                        std::to_string(y), "click", "1"})
                  .exit_status,
              0);
  }

  bool running() const {
    std::ifstream stat("/proc/" + std::to_string(program_.pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto paren = line.rfind(')');
    return paren != std::string::npos && paren + 2 < line.size() && line[paren + 2] != 'Z';
  }
  ProcessResult finish(double timeout = patience_seconds) { return program_.finish(timeout); }
  ProcessResult terminate() {
    ::kill(program_.pid, SIGTERM);
    return finish();
  }

  int pid() const { return program_.pid; }
  std::string config() const { return program_.dir.file("config.dat"); }
  const Bytes& config_before() const { return config_before_; }
  bool config_rewritten() const { return inode_of(config()) != inode_before_; }
  std::string errors() const { return program_.stderr_text(); }

 private:
  ShowProgram program_;
  Bytes config_before_;
  ino_t inode_before_ = 0;
};

// Presses keys in the dialog, expects the show to start in place of it, and returns the saved
// settings after the show was ended with SIGTERM.
Bytes start_show_with(const std::vector<std::string>& keys) {
  DialogRun run;
  const std::string dialog = run.open_dialog();
  EXPECT_FALSE(dialog.empty()) << run.errors();
  if (dialog.empty()) return {};
  DialogRun::press(keys);
  EXPECT_FALSE(run.wait_for_show().empty()) << run.errors();
  EXPECT_FALSE(DialogRun::dialog_on_screen()) << "the dialog is still shown beside the show";
  EXPECT_TRUE(run.config_rewritten());
  const ProcessResult result = run.terminate();
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 0) << run.errors();
  return read_bytes(run.config());
}

// Expects the program to end by itself with code 0 and config.dat never written.
void expect_cancelled(DialogRun& run) {
  const ProcessResult result = run.finish(20);
  EXPECT_FALSE(result.timed_out) << "the program did not end";
  EXPECT_EQ(result.exit_status, 0) << run.errors();
  EXPECT_FALSE(run.config_rewritten());
  EXPECT_EQ(read_bytes(run.config()), run.config_before());
  EXPECT_FALSE(DialogRun::dialog_on_screen());
}

TEST(DialogSessionStart, ReturnStartsTheShowWithTheFileSettings) {
  EXPECT_EQ(start_show_with({"Return"}), bytes_of(file_settings()));
}

TEST(DialogSessionStart, DownAltMAndAlt2AreStoredOnReturn) {
  Settings expected = file_settings();
  expected.width = 400;
  expected.height = 300;
  expected.music = 1;
  expected.color_bits = 24;
  EXPECT_EQ(start_show_with({"Down", "alt+m", "alt+2", "Return"}), bytes_of(expected));
}

TEST(DialogSessionStart, TheFocusedListTakesTypedCharactersSoLettersThereNeedAlt) {
  // "s" neither starts nor "x" exits, and "2" picks no depth: no entry begins with them.
  Settings expected = file_settings();
  expected.width = 640;
  expected.height = 480;
  expected.dither = 1;
  EXPECT_EQ(start_show_with({"6", "s", "x", "2", "alt+d", "Return"}), bytes_of(expected));
}

TEST(DialogSessionStart, LettersWorkWithoutAltAwayFromTheListAndUpStopsAtTheFirstResolution) {
  Settings expected = file_settings();
  expected.dither = 1;
  expected.color_bits = 16;
  EXPECT_EQ(start_show_with({"Up", "Tab", "d", "1", "s"}), bytes_of(expected));
}

TEST(DialogSessionStart, TabSkipsTheRadioButtonsOnItsWayToDither) {
  // List, Windowed, Music, Start!, Exit, then Dither; Space ticks it and Return still starts.
  Settings expected = file_settings();
  expected.dither = 1;
  EXPECT_EQ(start_show_with({"Tab", "Tab", "Tab", "Tab", "Tab", "space", "Return"}),
            bytes_of(expected));
}

// Music on and no sound output: the dialog still comes, says so at its foot, and the show starts
// silent with the player's choice of music kept for the next start.
TEST(DialogSessionStart, WithoutASoundOutputItsFootSaysSoAndTheShowPlaysSilent) {
  std::vector<Bytes> usual;
  {
    DialogRun run(true, "dummy");
    const std::string dialog = run.open_dialog();
    ASSERT_FALSE(dialog.empty()) << run.errors();
    usual = run.screenshot(dialog);
  }
  DialogRun run(true, "no-such-driver");
  const std::string dialog = run.open_dialog();
  ASSERT_FALSE(dialog.empty()) << run.errors();
  const std::vector<Bytes> silent = run.screenshot(dialog);
  ASSERT_FALSE(usual.empty());
  ASSERT_EQ(silent.size(), usual.size());
  std::size_t first_change = 0;
  while (first_change < usual.size() && usual[first_change] == silent[first_change]) ++first_change;
  EXPECT_LT(first_change, usual.size()) << "the same words as with sound";
  EXPECT_GT(first_change, usual.size() * 3 / 4) << "more than the foot changed";

  DialogRun::press({"Return"});
  ASSERT_FALSE(run.wait_for_show().empty()) << run.errors();
  EXPECT_EQ(run.terminate().exit_status, 0) << run.errors();
  EXPECT_EQ(read_bytes(run.config()).at(1), 1);
  EXPECT_NE(run.errors().find("the show starts silent"), std::string::npos) << run.errors();
}

// Music off in the file, so this show's output is the silent one: ticking Music says at the foot
// that the music comes from the next start, and unticking it takes that back.
TEST(DialogSessionStart, TickingMusicSaysItPlaysFromTheNextStart) {
  DialogRun run;
  const std::string dialog = run.open_dialog();
  ASSERT_FALSE(dialog.empty()) << run.errors();
  const std::vector<Bytes> before = run.screenshot(dialog);
  DialogRun::press({"alt+m"});
  const std::vector<Bytes> ticked = run.screenshot(dialog);
  DialogRun::press({"alt+m"});
  const std::vector<Bytes> unticked = run.screenshot(dialog);
  ASSERT_FALSE(before.empty());
  ASSERT_EQ(ticked.size(), before.size());
  // The foot is the dialog's lowest quarter; the box takes the focus, so only the foot compares.
  const auto foot = [](const std::vector<Bytes>& rows) {
    return std::vector<Bytes>(rows.begin() + static_cast<long>(rows.size() * 3 / 4), rows.end());
  };
  EXPECT_TRUE(foot(ticked) != foot(before)) << "the foot did not change";
  EXPECT_TRUE(foot(unticked) == foot(before)) << "the foot did not come back";
  EXPECT_EQ(run.terminate().exit_status, 0) << run.errors();
}

TEST(DialogSessionStart, MouseClicksPickARadioButtonAndPressStart) {
  DialogRun run;
  const std::string dialog = run.open_dialog();
  ASSERT_FALSE(dialog.empty()) << run.errors();
  DialogRun::click(dialog, 165, 130);  // "24 bpp"
  DialogRun::click(dialog, 40, 142);   // "Start!"
  ASSERT_FALSE(run.wait_for_show().empty()) << run.errors();
  EXPECT_EQ(run.terminate().exit_status, 0);
  Settings expected = file_settings();
  expected.color_bits = 24;
  EXPECT_EQ(read_bytes(run.config()), bytes_of(expected));
}

// As xfwm4's "Fullscreen" does despite the fixed size: the controls stay whole in the middle.
TEST(DialogSessionStart, EnlargedByAWindowManagerItsControlsStayCentred) {
  DialogRun run;
  const std::string dialog = run.open_dialog();
  ASSERT_FALSE(dialog.empty()) << run.errors();
  run_tool({xdotool_path, "windowsize", "--sync", dialog, "1280", "1024"});
  const int dx = (1280 - 303) / 2, dy = (1024 - 229) / 2;
  DialogRun::click(dialog, 165 + dx, 130 + dy);  // "24 bpp"
  DialogRun::click(dialog, 40 + dx, 142 + dy);   // "Start!"
  ASSERT_FALSE(run.wait_for_show().empty()) << run.errors();
  EXPECT_EQ(run.terminate().exit_status, 0);
  EXPECT_EQ(read_bytes(run.config())[2], 24);
}

TEST(DialogSessionCancel, EscapeLeavesTheDialogOpen) {
  DialogRun run;
  ASSERT_FALSE(run.open_dialog().empty()) << run.errors();
  DialogRun::press({"Escape"});
  ::usleep(1000 * 1000);
  EXPECT_TRUE(DialogRun::dialog_on_screen());
  EXPECT_TRUE(run.running());
  DialogRun::press({"alt+x"});
  expect_cancelled(run);
}

TEST(DialogSessionCancel, ReturnOnTheFocusedExitButtonEndsWithoutSaving) {
  DialogRun run;
  ASSERT_FALSE(run.open_dialog().empty()) << run.errors();
  // The list has the focus; Windowed, Music and Start! come before Exit.
  DialogRun::press({"Tab", "Tab", "Tab", "Tab", "Return"});
  expect_cancelled(run);
}

TEST(DialogSessionCancel, CloseRequestEndsWithoutSaving) {
  DialogRun run;
  const std::string dialog = run.open_dialog();
  ASSERT_FALSE(dialog.empty()) << run.errors();
  DialogRun::press({"Down", "alt+d"});  // changes that closing must throw away
  EXPECT_TRUE(send_close_request(std::stoul(dialog)));
  expect_cancelled(run);
}

TEST(DialogSessionCancel, QuitSignalWhileOpenEndsAsExit) {
  DialogRun run;
  ASSERT_FALSE(run.open_dialog().empty()) << run.errors();
  DialogRun::press({"Down"});
  ::kill(run.pid(), SIGTERM);
  expect_cancelled(run);
}

TEST(DialogSessionWithoutDisplay, TheShowStartsWithTheFileSettingsAndStderrSaysWhy) {
  DialogRun run(false);
  for (int i = 0; i < 300 && !run.config_rewritten() && run.running(); ++i) ::usleep(100 * 1000);
  ASSERT_TRUE(run.config_rewritten()) << run.errors();
  EXPECT_EQ(read_bytes(run.config()), run.config_before());
  ::usleep(500 * 1000);
  EXPECT_TRUE(run.running()) << "the show did not go on: " << run.errors();
  const ProcessResult result = run.terminate();
  EXPECT_EQ(result.exit_status, 0) << run.errors();
  std::istringstream lines(run.errors());
  int about_dialog = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("settings dialog") != std::string::npos) ++about_dialog;
  }
  EXPECT_EQ(about_dialog, 1) << run.errors();
}

}  // namespace
