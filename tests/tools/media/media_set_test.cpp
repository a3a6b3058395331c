#include <filesystem>
#include <set>

#include "core/settings.h"
#include "gtest/gtest.h"
#include "media_files.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

void make_media_in(const std::string& folder) {
  const ProcessResult r = run_process({SWIRLBEAM_MEDIA_MAKER, folder}, ProcessOptions{});
  ASSERT_EQ(r.exit_status, 0) << r.err;
}

std::set<std::string> names_in(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(MediaSet, TwoRunsOfTheMakerGiveTheSameBytesAsTheBuiltSet) {
  TempDir first, second;
  make_media_in(first.path());
  make_media_in(second.path());
  for (const std::string& name : media_set) {
    SCOPED_TRACE(name);
    const auto bytes = read_bytes(first.file(name));
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes == read_bytes(second.file(name)));
    EXPECT_TRUE(bytes == read_bytes(built_media(name))) << "build/media is out of date";
  }
}

TEST(MediaSet, FolderHoldsExactlyTheShowsFiles) {
  TempDir folder;
  make_media_in(folder.path());
  EXPECT_EQ(names_in(folder.path()), std::set<std::string>(media_set.begin(), media_set.end()));
}

TEST(MediaSet, MakerWithoutAFolderShowsUsage) {
  const ProcessResult r = run_process({SWIRLBEAM_MEDIA_MAKER}, ProcessOptions{});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("usage"), std::string::npos);
}

TEST(MediaSet, UnwritableFolderIsReportedAsAFailure) {
  const ProcessResult r =
      run_process({SWIRLBEAM_MEDIA_MAKER, "/proc/no-such-folder/media"}, ProcessOptions{});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.err.find("swirlbeam_media:"), std::string::npos);
}

TEST(MediaSet, SettingsAreWindowed640By480At32BitsWithMusicAndDithering) {
  const auto bytes = read_bytes(built_media("config.dat"));
  ASSERT_EQ(bytes.size(), settings_file_size);
  Settings s;
  decode_settings(bytes.data(), bytes.size(), s);
  EXPECT_EQ(s.fullscreen, 0);
  EXPECT_EQ(s.music, 1);
  EXPECT_EQ(s.color_bits, 32);
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(s.height, 480);
  EXPECT_EQ(s.dither, 1);
}

}  // namespace
