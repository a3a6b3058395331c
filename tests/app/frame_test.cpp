// Whole frames of the show, rendered with Mesa's software OpenGL and read back.
#include <GL/gl.h>

#include <algorithm>

#include "app/frame.h"
#include "scene_fixture.h"

namespace {

class Frame : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    reset_comets();  // most cases look at one layer alone
  }

  // Draws a frame of `stage` with the current effect values.
  std::vector<std::uint8_t> draw(int stage) {
    effects.stage = stage;
    draw_frame();
    return pixels();
  }

  static int brightest(const std::vector<std::uint8_t>& p) {
    return *std::max_element(p.begin(), p.end());
  }
};

struct Span {
  int low = 255, high = 0;
};

// The range of one channel over the whole picture.
Span channel_span(const std::vector<std::uint8_t>& p, int channel) {
  Span s;
  for (std::size_t i = channel; i < p.size(); i += 3) {
    s.low = std::min<int>(s.low, p[i]);
    s.high = std::max<int>(s.high, p[i]);
  }
  return s;
}

void expect_gl_state_left_for_the_next_frame() {
  GLfloat texture_matrix[16];
  glGetFloatv(GL_TEXTURE_MATRIX, texture_matrix);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(texture_matrix[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
  GLint src = 0, dst = 0, mode = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

}  // namespace

TEST_F(Frame, StageZeroIsOnlyTheCometsOnBlack) {
  EXPECT_EQ(brightest(draw(0)), 0);  // no comets: nothing at all

  set_up_scene();
  comets[0].alpha = 1.0f;  // the red one fully faded in; green and blue still below zero
  const auto p = draw(0);
  EXPECT_GT(channel_span(p, 0).high, 200);
  for (std::size_t i = 0; i < p.size(); i += 3) {
    ASSERT_GE(p[i], p[i + 1]);
    ASSERT_GE(p[i], p[i + 2]);
  }
}

TEST_F(Frame, BackgroundFromStageTwoShowsOnlyTheSmokesRedAtFortyFivePercent) {
  effects.background_alpha = 1.0f;
  effects.flash_alpha = 0.0f;
  EXPECT_EQ(brightest(draw(1)), 0);  // no background before stage 2

  effects.background_alpha = 0.5f;
  const auto p = draw(2);
  // Two layers, each 0.45 of the smoke's 200 at half weight: 45 each.
  const Span red = channel_span(p, 0);
  EXPECT_GE(red.low, 86);
  EXPECT_LE(red.high, 94);
  EXPECT_EQ(channel_span(p, 1).high, 0);
  EXPECT_EQ(channel_span(p, 2).high, 0);

  effects.background_alpha = 0.0f;
  EXPECT_EQ(brightest(draw(2)), 0);  // drawn, but adds nothing
  expect_gl_state_left_for_the_next_frame();
}

TEST_F(Frame, FlashAddsWhiteByItsAlphaOnlyInFlashStages) {
  effects.flash_alpha = 0.5f;
  for (int stage : {1, 3, 5, 7}) {
    effects.logo_z = 2.0f;  // keep the logo out of the picture
    effects.web_alpha = 0.0f;
    effects.thanks_alpha = 0.0f;
    const auto p = draw(stage);
    for (int channel = 0; channel < 3; ++channel) {
      const Span s = channel_span(p, channel);
      EXPECT_GE(s.low, 127) << stage;
      EXPECT_LE(s.high, 128) << stage;
    }
  }
  effects.logo_z = 2.0f;
  EXPECT_EQ(brightest(draw(2)), 0);
  EXPECT_EQ(brightest(draw(4)), 0);
}

TEST_F(Frame, FullFadeBlacksOutStageEightButNotTheLastFrame) {
  set_up_scene();
  for (int k = 0; k < 3; ++k) comets[k].alpha = 1.0f;
  effects.background_alpha = 1.0f;
  effects.fade_alpha = 1.0f;
  effects.flash_alpha = 1.0f;
  EXPECT_EQ(brightest(draw(8)), 0);
  expect_gl_state_left_for_the_next_frame();
  EXPECT_GT(brightest(draw(9)), 100);
}

TEST_F(Frame, LogoSitsAboveTheCentreUprightWithItsEchoesInFront) {
  effects.echo_alpha = 0.0f;
  effects.flash_alpha = 0.0f;
  const auto p = draw(3);
  // Eye space (0, 2, -5), 8 x 4 units: x 64..256 and y 120..216 of the 320 x 240 frame,
  // counted from the bottom. The test picture is red on top, green left and blue right below.
  const Rgb top = pixel(p, 160, 205);
  const Rgb lower_left = pixel(p, 100, 140);
  const Rgb lower_right = pixel(p, 220, 140);
  EXPECT_GT(top.r, 200);
  EXPECT_LT(top.g, 60);
  EXPECT_GT(lower_left.g, 200);
  EXPECT_LT(lower_left.r, 60);
  EXPECT_GT(lower_right.b, 200);
  EXPECT_LT(lower_right.r, 60);
  for (int y = 0; y < 115; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixel(p, x, y);
      ASSERT_EQ(c.r + c.g + c.b, 0) << x << "," << y;  // nothing below the centre
    }
  }

  const Rgb outside_logo_before = pixel(p, 10, 130);
  effects.echo_alpha = 1.0f;
  const Rgb outside_logo_after = pixel(draw(3), 10, 130);  // only the nearer echoes reach here
  EXPECT_EQ(outside_logo_before.r + outside_logo_before.g + outside_logo_before.b, 0);
  EXPECT_GT(outside_logo_after.r + outside_logo_after.g + outside_logo_after.b, 0);

  effects.logo_z = 1.0f;
  EXPECT_EQ(brightest(draw(3)), 0);  // at 1.0 neither logo nor echoes
}

TEST_F(Frame, ThanksPictureComesFromStageSevenWhileItsAlphaLasts) {
  effects.logo_z = 2.0f;
  effects.web_alpha = 0.0f;
  effects.flash_alpha = 0.0f;
  EXPECT_EQ(brightest(draw(6)), 0);
  EXPECT_GT(brightest(draw(7)), 200);
  effects.thanks_alpha = 0.0f;
  EXPECT_EQ(brightest(draw(7)), 0);
}

TEST_F(Frame, WebTurnsInFrontFromStageFive) {
  effects.logo_z = 2.0f;
  effects.flash_alpha = 0.0f;
  EXPECT_EQ(brightest(draw(4)), 0);
  const auto unturned = draw(5);
  EXPECT_GT(brightest(unturned), 200);
  effects.web_angle = 90.0f;
  EXPECT_NE(draw(5), unturned);
}
