#include <GL/gl.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/jpeg.h"
#include "support/fixtures.h"
#include "support/gl_context.h"
#include "support/jpeg_fixtures.h"
#include "support/temp_dir.h"

namespace {

constexpr int view = 256;

// The show's quad: t = 1 at the top edge, counter-clockwise, filling the whole view.
void draw_picture(GLuint texture) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor3f(1, 1, 1);
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(1, 1);
  glVertex3f(1, 1, 0);
  glTexCoord2f(0, 1);
  glVertex3f(-1, 1, 0);
  glTexCoord2f(1, 0);
  glVertex3f(1, -1, 0);
  glTexCoord2f(0, 0);
  glVertex3f(-1, -1, 0);
  glEnd();
}

::testing::AssertionResult shows(const GlContext& gl, const std::vector<std::uint8_t>& pixels,
                                 int x, int y, Rgb want) {
  const Rgb got = gl.pixel(pixels, x, y);
  if (std::abs(got.r - want.r) <= 40 && std::abs(got.g - want.g) <= 40 &&
      std::abs(got.b - want.b) <= 40) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "at (" << x << ", " << y << ") got (" << got.r << ", " << got.g << ", " << got.b
         << "), want (" << want.r << ", " << want.g << ", " << want.b << ")";
}

GLint texture_parameter(GLenum name) {
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  return value;
}

GLint level_size(int level, GLenum which) {
  GLint value = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, which, &value);
  return value;
}

GLint bound_texture() {
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

class LoadJpeg : public ::testing::Test {
 protected:
  std::string write_picture(const std::string& name, const TestPicture& picture) {
    write_bytes(dir.file(name), encode_jpeg(picture));
    return dir.file(name);
  }

  TempDir dir;
  GlContext gl{view, view};
};

class LoadJpegWidth : public LoadJpeg, public ::testing::WithParamInterface<int> {};

}  // namespace

// Red marks the top quarter; green left and blue right below it. A sheared upload would bend the
// green/blue edge (and swap channels when rows are off by a byte); an unflipped one puts red at
// the bottom.
TEST_P(LoadJpegWidth, PictureShowsUprightAndUnsheared) {
  ASSERT_TRUE(gl.ok());
  const int width = GetParam();
  const GLuint texture =
      load_jpeg(write_picture("web.jpg", marked_picture(width, 200)).c_str(), false);
  ASSERT_NE(texture, 0u);
  draw_picture(texture);
  const auto pixels = gl.read_pixels();
  const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
  for (const int x : {view / 8, view / 4, 3 * view / 8}) {
    EXPECT_TRUE(shows(gl, pixels, x, view - 10, red));
    EXPECT_TRUE(shows(gl, pixels, view - x, view - 10, red));
    for (const int y : {10, view / 4, view / 2, 5 * view / 8}) {
      EXPECT_TRUE(shows(gl, pixels, x, y, green));
      EXPECT_TRUE(shows(gl, pixels, view - x, y, blue));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, LoadJpegWidth, ::testing::Values(255, 256, 257),
                         [](const auto& info) { return std::to_string(info.param); });

TEST_F(LoadJpeg, RepeatFlagChoosesRepeatingOrClampedEdgesOnBothAxes) {
  ASSERT_TRUE(gl.ok());
  const std::string path = write_picture("smoke.jpg", marked_picture(64, 64));
  load_jpeg(path.c_str(), true);
  EXPECT_EQ(texture_parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(texture_parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
  load_jpeg(path.c_str(), false);
  EXPECT_EQ(texture_parameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
  EXPECT_EQ(texture_parameter(GL_TEXTURE_WRAP_T), GL_CLAMP);
  EXPECT_EQ(texture_parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(texture_parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(LoadJpeg, EachLoadMakesANewTextureAndLeavesItBound) {
  ASSERT_TRUE(gl.ok());
  const std::string path = write_picture("logo.jpg", marked_picture(32, 32));
  const GLuint first = load_jpeg(path.c_str(), false);
  EXPECT_EQ(bound_texture(), static_cast<GLint>(first));
  const GLuint second = load_jpeg(path.c_str(), false);
  EXPECT_NE(first, second);
  EXPECT_EQ(bound_texture(), static_cast<GLint>(second));
  EXPECT_TRUE(glIsTexture(first));
}

TEST_F(LoadJpeg, PictureWithSidesNotPowersOfTwoGetsEveryMipmapLevel) {
  ASSERT_TRUE(gl.ok());
  load_jpeg(write_picture("thanks.jpg", marked_picture(255, 100)).c_str(), false);
  EXPECT_GT(level_size(1, GL_TEXTURE_WIDTH), 0);
  // The chain runs down to 1 x 1; without every level the texture would draw white.
  int last = 0;
  while (last < 16 && level_size(last + 1, GL_TEXTURE_WIDTH) > 0) ++last;
  EXPECT_EQ(level_size(last, GL_TEXTURE_WIDTH), 1);
  EXPECT_EQ(level_size(last, GL_TEXTURE_HEIGHT), 1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LoadJpeg, LargePictureLoadsWithFullMipmapChainAndDrawsScaledDown) {
  ASSERT_TRUE(gl.ok());
  const GLuint texture =
      load_jpeg(write_picture("smoke.jpg", marked_picture(4096, 4096)).c_str(), true);
  EXPECT_EQ(level_size(0, GL_TEXTURE_WIDTH), 4096);
  EXPECT_EQ(level_size(0, GL_TEXTURE_HEIGHT), 4096);
  EXPECT_EQ(level_size(12, GL_TEXTURE_WIDTH), 1);
  draw_picture(texture);
  const auto pixels = gl.read_pixels();
  EXPECT_TRUE(shows(gl, pixels, view / 4, view - 10, {255, 0, 0}));
  EXPECT_TRUE(shows(gl, pixels, view / 4, view / 4, {0, 255, 0}));
  EXPECT_TRUE(shows(gl, pixels, 3 * view / 4, view / 4, {0, 0, 255}));
}

// A picture that cannot be loaded gives no texture; the program then ends with its message
// (tests/hardening runs that on the real program).
class LoadJpegFailure : public ::testing::Test {
 protected:
  void expect_no_texture(const std::string& name, const std::vector<unsigned char>& bytes) {
    write_bytes(dir.file(name), bytes);
    expect_no_texture(name);
  }
  void expect_no_texture(const std::string& name) {
    EXPECT_EQ(load_jpeg(dir.file(name).c_str(), false), 0u) << name;
  }

  TempDir dir;
};

TEST_F(LoadJpegFailure, MissingFileGivesNoTexture) {
  expect_no_texture("texture.jpg");
}

TEST_F(LoadJpegFailure, TruncatedFileGivesNoTextureInsteadOfAHalfGreyPicture) {
  std::vector<unsigned char> bytes = encode_jpeg(marked_picture(64, 64));
  bytes.resize(bytes.size() / 2);
  expect_no_texture("logo2.jpg", bytes);
}

TEST_F(LoadJpegFailure, OversizedHeaderGivesNoTexture) {
  std::vector<unsigned char> bytes = encode_jpeg(marked_picture(16, 16));
  ASSERT_TRUE(claim_jpeg_size(bytes, 9000, 9000));
  expect_no_texture("web.jpg", bytes);
}

TEST_F(LoadJpegFailure, SoundFileInPlaceOfAPictureGivesNoTexture) {
  expect_no_texture("thanks.jpg", test_wav(1000, 0.05));
}
