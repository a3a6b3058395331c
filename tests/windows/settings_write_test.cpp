// The Windows settings writer, run under Wine where the build is cross-compiled.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/settings.h"
#include "gtest/gtest.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

Settings sample_settings(int width) {
  Settings s;
  s.fullscreen = 1;
  s.width = width;
  s.height = 768;
  return s;
}

Bytes bytes_of(const Settings& s) {
  const SettingsBytes b = encode_settings(s);
  return Bytes(b.begin(), b.end());
}

Bytes read_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string utf8(const fs::path& path) {
  return path.u8string();
}

class SettingsWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("swirlbeam-settings-" + std::to_string(GetCurrentProcessId()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(dir_);
  }
  fs::path dir_;
};

TEST_F(SettingsWrite, ReplacesTheFileWholeAndLeavesNoTemporaryFileBehind) {
  const fs::path file = dir_ / "config.dat";
  ASSERT_TRUE(write_settings_file(utf8(file).c_str(), sample_settings(1024)));
  EXPECT_EQ(read_bytes(file), bytes_of(sample_settings(1024)));
  ASSERT_TRUE(write_settings_file(utf8(file).c_str(), sample_settings(800)));
  EXPECT_EQ(read_bytes(file), bytes_of(sample_settings(800)));
  // Forward slashes name the same folder.
  std::string forward = utf8(file);
  for (char& c : forward) c = c == '\\' ? '/' : c;
  ASSERT_TRUE(write_settings_file(forward.c_str(), sample_settings(640)));
  EXPECT_EQ(read_bytes(file), bytes_of(sample_settings(640)));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsWrite, TakesFolderNamesInAnyScriptAsUtf8) {
  const fs::path folder = dir_ / L"Gr\u00fc\u00dfe \u65e5\u672c \u0391\u03b8\u03ae\u03bd\u03b1";
  fs::create_directories(folder);
  ASSERT_TRUE(write_settings_file(utf8(folder / "config.dat").c_str(), sample_settings(1024)));
  EXPECT_EQ(read_bytes(folder / "config.dat"), bytes_of(sample_settings(1024)));
}

TEST_F(SettingsWrite, KeepsTheFileHiddenAndItsOtherNamesSharingIt) {
  const fs::path file = dir_ / "config.dat";
  ASSERT_TRUE(write_settings_file(utf8(file).c_str(), sample_settings(1024)));
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(write_settings_file(utf8(file).c_str(), sample_settings(800)));
  EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  const fs::path other = dir_ / "other.dat";
  if (!CreateHardLinkW(other.c_str(), file.c_str(), nullptr)) GTEST_SKIP() << "no hard links";
  ASSERT_TRUE(write_settings_file(utf8(file).c_str(), sample_settings(640)));
  EXPECT_EQ(read_bytes(other), bytes_of(sample_settings(640)));
}

TEST_F(SettingsWrite, RefusesWhatItMayNotOrCannotWrite) {
  const fs::path file = dir_ / "config.dat";
  ASSERT_TRUE(write_settings_file(utf8(file).c_str(), sample_settings(1024)));
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(write_settings_file(utf8(file).c_str(), sample_settings(800)));
  EXPECT_EQ(read_bytes(file), bytes_of(sample_settings(1024)));

  EXPECT_FALSE(write_settings_file(utf8(dir_ / "missing" / "config.dat").c_str(), Settings{}));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  const std::string not_utf8 = utf8(dir_) + "\\bad\xFF.dat";
  EXPECT_FALSE(write_settings_file(not_utf8.c_str(), Settings{}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
