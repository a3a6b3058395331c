// The GL-free mipmap builder against Mesa's own gluBuild2DMipmaps on llvmpipe, byte for byte.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/mipmaps.h"
#include "support/gl_context.h"

namespace {

// Noise, so that any difference in weights or rounding shows in some byte.
std::vector<std::uint8_t> noise(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (auto& byte : rgb) byte = static_cast<std::uint8_t>(random() >> 24);
  return rgb;
}

// Sizes and bytes of every level of the texture bound to GL_TEXTURE_2D, down to the first 1 x 1
// (asking past the GL's last level is an error).
std::vector<std::string> levels_in_gl() {
  std::vector<std::string> levels;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (GLint level = 0, width = 2, height = 2; width * height > 1; ++level) {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    std::string rgb(static_cast<std::size_t>(width) * height * 3, '\0');
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    levels.push_back(std::to_string(width) + " x " + std::to_string(height) + ": " + rgb);
  }
  return levels;
}

std::vector<std::string> described(const std::vector<MipmapLevel>& levels) {
  std::vector<std::string> out;
  for (const MipmapLevel& l : levels) {
    out.push_back(std::to_string(l.width) + " x " + std::to_string(l.height) + ": " +
                  std::string(l.rgb.begin(), l.rgb.end()));
  }
  return out;
}

}  // namespace

TEST(Mipmaps, EqualMesaGluAndUploadIntact) {
  GlContext gl{64, 64};
  ASSERT_TRUE(gl.ok());
  GLint max_side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_side);
  // Widths and heights: powers of two; other sides (both top bits set round up: 200, 384); single
  // rows and columns; a power-of-two height under another width (GLU blackens the last row, and
  // all of a single row); the default media; and sides past the GL's limit, halved to fit, then
  // boxed over 1.5 x 1.5 and 4 x 3 pixels.
  const int past = max_side * 3 / 2;
  const int sizes[] = {64,  64,  128, 32,  300, 200, 257, 129, 1,    37,  45,  1,
                       1,   1,   3,   3,   13,  7,   99,  61,  200,  384, 300, 256,
                       256, 300, 128, 128, 512, 512, 512, 256, past, 3,   4,   2 * past};
  for (std::size_t i = 0; i < std::size(sizes); i += 2) {
    const int width = sizes[i], height = sizes[i + 1];
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const std::vector<std::uint8_t> picture = noise(width, height, i);
    GLuint textures[2];
    glGenTextures(2, textures);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, width, height, GL_RGB, GL_UNSIGNED_BYTE,
                                picture.data()),
              0);
    const auto ours = described(build_mipmaps(picture.data(), width, height, max_side));
    // Element by element, so that a failure names the level rather than printing every byte.
    const auto glu = levels_in_gl();
    ASSERT_EQ(ours.size(), glu.size());
    for (std::size_t l = 0; l < ours.size(); ++l) EXPECT_TRUE(ours[l] == glu[l]) << "level " << l;
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    upload_mipmaps(build_mipmaps(picture.data(), width, height, max_side));
    EXPECT_TRUE(levels_in_gl() == ours);
    glDeleteTextures(2, textures);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST(Mipmaps, SmallerLimitHalvesBothSidesUntilTheyFit) {
  const std::vector<std::uint8_t> picture = noise(256, 256, 7);
  const auto wide = build_mipmaps(picture.data(), 1024, 16, 256);
  ASSERT_EQ(wide.size(), 9u);
  EXPECT_EQ(described(wide)[0].substr(0, 9), "256 x 4: ");
  EXPECT_EQ(build_mipmaps(picture.data(), 300, 200, 64)[0].width, 64);
  // A power-of-two square one step too large starts at what would have been its level 1.
  auto full = described(build_mipmaps(picture.data(), 256, 256, 256));
  full.erase(full.begin());
  EXPECT_TRUE(described(build_mipmaps(picture.data(), 256, 256, 128)) == full);
  EXPECT_TRUE(build_mipmaps(picture.data(), 0, 16, 256).empty());
  EXPECT_TRUE(build_mipmaps(picture.data(), 16, 16, 0).empty());
}
