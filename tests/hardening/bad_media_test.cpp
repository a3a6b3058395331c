// Every media file in every bad shape people meet: missing, empty, cut short, random bytes, another
// format under the right name, and a 1 GB (sparse) file. The program ends with its message, or
// plays what the library could make of the file; it never crashes, hangs or reads a gigabyte.
#include <unistd.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/jpeg_fixtures.h"
#include "support/show_program.h"

namespace {

enum class Damage { missing, empty, truncated, random_bytes, wrong_format, one_gigabyte };

const char* name_of(Damage d) {
  static const char* const names[] = {"Missing",     "Empty",       "Truncated",
                                      "RandomBytes", "WrongFormat", "OneGigabyte"};
  return names[static_cast<int>(d)];
}

bool is_picture(const std::string& file) {
  return file.size() > 4 && file.compare(file.size() - 4, 4, ".jpg") == 0;
}
bool is_sample(const std::string& file) {
  return file.size() > 4 && file.compare(file.size() - 4, 4, ".wav") == 0;
}

std::vector<unsigned char> random_bytes(std::size_t size) {
  std::mt19937 generator(20240501);
  std::vector<unsigned char> bytes(size);
  for (auto& b : bytes) b = static_cast<unsigned char>(generator());
  return bytes;
}

void put_le32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

constexpr std::uint32_t gigabyte = 1u << 30;

// The real file's start, then zeros up to 1 GB that take no disk. A WAV also claims all of it as
// sound, so that a reader trusting the header would take it all.
void make_one_gigabyte(const std::string& path, std::vector<unsigned char> bytes) {
  if (bytes.size() >= 44 && bytes[0] == 'R') {
    put_le32(bytes, 4, gigabyte - 8);
    put_le32(bytes, 40, gigabyte - 44);
  }
  write_bytes(path, bytes);
  ASSERT_EQ(::truncate(path.c_str(), gigabyte), 0);
}

void damage(const std::string& path, Damage d) {
  const std::vector<unsigned char> good = read_bytes(path);
  switch (d) {
    case Damage::missing:
      ::unlink(path.c_str());
      break;
    case Damage::empty:
      write_bytes(path, {});
      break;
    case Damage::truncated:
      write_bytes(path, {good.begin(), good.begin() + static_cast<long>(good.size() * 3 / 4)});
      break;
    case Damage::random_bytes:
      write_bytes(path, random_bytes(4096));
      break;
    case Damage::wrong_format:
      // A picture where sound belongs, a sample where a picture belongs.
      write_bytes(path,
                  is_picture(path) ? test_wav(8000, 0.1) : encode_jpeg(marked_picture(64, 64)));
      break;
    case Damage::one_gigabyte:
      make_one_gigabyte(path, good);
      break;
  }
}

const char* expected_message(const std::string& file) {
  if (is_picture(file)) return "Error: load_jpeg(): Unable to load a texture from a JPEG file!";
  if (is_sample(file)) return "Error: Unable to load a sample!!";
  return "Error: Unable to load a music!!";
}

// Sound libraries take what they can of a cut-short module or WAV; a cut-short picture is refused
// (it would show grey below the break).
bool still_plays(const std::string& file, Damage d) {
  return d == Damage::truncated && !is_picture(file);
}

class BadMedia : public ::testing::TestWithParam<std::tuple<const char*, Damage>>,
                 protected ShowProgram {};

}  // namespace

TEST_P(BadMedia, EndsWithItsMessageOrPlaysAndNeverCrashes) {
  const auto [file, how] = GetParam();
  const auto config_before = read_bytes(dir.file("config.dat"));
  damage(dir.file(file), how);

  const ShowRun run = run_for(show_seconds);
  const ProcessResult& r = run.result;
  EXPECT_FALSE(sanitizer_report(r.err)) << r.err;
  EXPECT_EQ(r.signal, 0) << r.err;
  if (still_plays(file, how)) {
    EXPECT_TRUE(run.still_playing) << r.err;
    EXPECT_EQ(r.exit_status, 0) << r.err;
  } else {
    EXPECT_FALSE(run.still_playing);
    EXPECT_EQ(r.exit_status, 255) << r.err;
    EXPECT_TRUE(has(r.err, expected_message(file))) << r.err;
  }
  // Sound fails before the file is written; pictures after, when it holds what it held.
  EXPECT_EQ(read_bytes(dir.file("config.dat")), config_before);
}

INSTANTIATE_TEST_SUITE_P(
    EachFile, BadMedia,
    ::testing::Combine(::testing::Values("texture.jpg", "smoke.jpg", "logo.jpg", "logo2.jpg",
                                         "web.jpg", "thanks.jpg", "music.dat", "strike.wav",
                                         "swirlbeam.wav", "thanks.wav"),
                       ::testing::Values(Damage::missing, Damage::empty, Damage::truncated,
                                         Damage::random_bytes, Damage::wrong_format,
                                         Damage::one_gigabyte)),
    [](const auto& info) {
      std::string file = std::get<0>(info.param);
      for (char& c : file) {
        if (c == '.') c = '_';
      }
      return file + "_" + name_of(std::get<1>(info.param));
    });
