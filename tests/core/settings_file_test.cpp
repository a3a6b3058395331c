#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "core/settings.h"
#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr unsigned nobody = 65534;

Settings sample_settings() {
  Settings s;
  s.fullscreen = 1;
  s.music = 0;
  s.color_bits = 16;
  s.width = 1024;
  s.height = -768;
  s.dither = 2;
  return s;
}

const Bytes sample_bytes = {0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x04,
                            0x00, 0x00, 0x00, 0xFD, 0xFF, 0xFF, 0x02};

void expect_defaults_from(const Settings& s, std::size_t first_default_byte) {
  const Settings d;
  if (first_default_byte <= 0) {
    EXPECT_EQ(s.fullscreen, d.fullscreen);
  }
  if (first_default_byte <= 1) {
    EXPECT_EQ(s.music, d.music);
  }
  if (first_default_byte <= 5) {
    EXPECT_EQ(s.color_bits, d.color_bits);
  }
  if (first_default_byte <= 9) {
    EXPECT_EQ(s.width, d.width);
  }
  if (first_default_byte <= 13) {
    EXPECT_EQ(s.height, d.height);
  }
  if (first_default_byte <= 14) {
    EXPECT_EQ(s.dither, d.dither);
  }
}

// Runs `write` as an ordinary user when we are root, since root may write any file.
bool write_as_user(const std::function<bool()>& write) {
  if (::geteuid() != 0) return write();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) _exit(3);
    _exit(write() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3) << "could not drop privileges";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> folder_entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace

TEST(SettingsFile, WritesFifteenLittleEndianBytesAndReadsThemBack) {
  TempDir dir;
  ASSERT_TRUE(write_settings_file(dir.file("config.dat").c_str(), sample_settings()));
  EXPECT_EQ(read_bytes(dir.file("config.dat")), sample_bytes);

  Settings read;
  ASSERT_TRUE(read_settings_file(dir.file("config.dat").c_str(), read));
  EXPECT_EQ(encode_settings(read), encode_settings(sample_settings()));
}

TEST(SettingsFile, ShortFileKeepsTheDefaultsForTheFieldsItLacks) {
  TempDir dir;
  for (std::size_t size = 0; size < settings_file_size; ++size) {
    write_bytes(dir.file("config.dat"), Bytes(sample_bytes.begin(), sample_bytes.begin() + size));
    Settings s;
    ASSERT_TRUE(read_settings_file(dir.file("config.dat").c_str(), s)) << size;
    // Whole fields present in the file are taken; a field cut short keeps its default.
    if (size >= 1) {
      EXPECT_EQ(s.fullscreen, 1) << size;
    }
    if (size >= 6) {
      EXPECT_EQ(s.color_bits, 16) << size;
    }
    if (size >= 10) {
      EXPECT_EQ(s.width, 1024) << size;
    }
    const std::size_t first_missing = size < 2    ? size
                                      : size < 6  ? 2
                                      : size < 10 ? 6
                                      : size < 14 ? 10
                                                  : 14;
    expect_defaults_from(s, first_missing);
  }
}

TEST(SettingsFile, FileEndingInsideAFieldLeavesThatFieldAtItsDefault) {
  Settings s;
  const Bytes cut = {0x00, 0x01, 0x18, 0x00, 0x00};  // color_bits has 3 of its 4 bytes
  decode_settings(cut.data(), cut.size(), s);
  EXPECT_EQ(s.music, 1);
  EXPECT_EQ(s.color_bits, 32);
  EXPECT_EQ(s.width, 400);
}

TEST(SettingsFile, LongerFileUsesItsFirstFifteenBytes) {
  TempDir dir;
  Bytes longer = sample_bytes;
  longer.insert(longer.end(), {0xAA, 0xBB, 0xCC});
  write_bytes(dir.file("config.dat"), longer);
  Settings s;
  ASSERT_TRUE(read_settings_file(dir.file("config.dat").c_str(), s));
  EXPECT_EQ(encode_settings(s), encode_settings(sample_settings()));
}

TEST(SettingsFile, MissingFileIsReportedAndChangesNothing) {
  TempDir dir;
  Settings s;
  EXPECT_FALSE(read_settings_file(dir.file("config.dat").c_str(), s));
  expect_defaults_from(s, 0);
}

TEST(SettingsFile, ReadOnlyFileKeepsItsBytes) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);  // the folder itself would allow a rename over the file
  const std::string path = dir.file("config.dat");
  const Bytes old = {1, 2, 3};
  write_bytes(path, old);
  ::chmod(path.c_str(), 0444);
  EXPECT_FALSE(write_as_user([&] { return write_settings_file(path.c_str(), Settings{}); }));
  EXPECT_EQ(read_bytes(path), old);
  EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"config.dat"});
}

TEST(SettingsFile, ReadOnlyFolderGivesAFailureAndNoFile) {
  TempDir dir;
  ::chmod(dir.path().c_str(), 0555);
  EXPECT_FALSE(write_as_user(
      [&] { return write_settings_file(dir.file("config.dat").c_str(), Settings{}); }));
  EXPECT_TRUE(folder_entries(dir.path()).empty());
}

TEST(SettingsFile, WritableFileInAFolderThatTakesNoNewFilesIsWrittenInPlace) {
  TempDir dir;
  const std::string path = dir.file("config.dat");
  write_bytes(path, Bytes(40, 0xEE));  // longer than the settings: cut back to 15
  ::chmod(path.c_str(), 0666);
  ::chmod(dir.path().c_str(), 0555);
  EXPECT_TRUE(write_as_user([&] { return write_settings_file(path.c_str(), sample_settings()); }));
  EXPECT_EQ(read_bytes(path), sample_bytes);
  EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"config.dat"});
}

TEST(SettingsFile, ReplacingTheFileLeavesNoTemporaryFileAndKeepsItsMode) {
  TempDir dir;
  const std::string path = dir.file("config.dat");
  write_bytes(path, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(write_settings_file(path.c_str(), sample_settings()));
  EXPECT_EQ(read_bytes(path), sample_bytes);
  EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"config.dat"});
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SettingsFile, SymbolicLinkKeepsPointingAtItsTargetWhichGetsTheBytes) {
  TempDir dir;
  ::mkdir(dir.file("kept").c_str(), 0755);
  const std::string path = dir.file("config.dat");
  write_bytes(dir.file("kept/settings"), Bytes(15, 7));
  ASSERT_EQ(::symlink("kept/settings", path.c_str()), 0);
  ASSERT_TRUE(write_settings_file(path.c_str(), sample_settings()));
  EXPECT_EQ(read_bytes(dir.file("kept/settings")), sample_bytes);
  EXPECT_EQ(std::filesystem::read_symlink(path), "kept/settings");
  EXPECT_EQ(folder_entries(dir.file("kept")), std::vector<std::string>{"settings"});

  // Dangling: nothing to write, and nothing created in its place.
  ::unlink(dir.file("kept/settings").c_str());
  EXPECT_FALSE(write_settings_file(path.c_str(), sample_settings()));
  EXPECT_TRUE(folder_entries(dir.file("kept")).empty());
  EXPECT_TRUE(std::filesystem::is_symlink(path));
}

TEST(SettingsFile, FileWithAnotherNameIsWrittenInPlaceSoBothNamesSeeIt) {
  TempDir dir;
  const std::string path = dir.file("config.dat");
  write_bytes(path, Bytes(15, 7));
  ASSERT_EQ(::link(path.c_str(), dir.file("other").c_str()), 0);
  ASSERT_TRUE(write_settings_file(path.c_str(), sample_settings()));
  EXPECT_EQ(read_bytes(path), sample_bytes);
  EXPECT_EQ(read_bytes(dir.file("other")), sample_bytes);
}
