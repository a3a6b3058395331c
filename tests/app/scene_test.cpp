#include <GL/gl.h>

#include "core/rng.h"
#include "scene_fixture.h"

namespace {

std::uint32_t after_draws(std::uint32_t state, int draws) {
  for (int i = 0; i < draws; ++i) state = state * 214013u + 2531011u;
  return state;
}

GLint wrap_of(std::uint32_t texture, GLenum axis) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint mode = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, axis, &mode);
  return mode;
}

}  // namespace

TEST_F(SceneTest, CreatesTheRedGreenAndBlueCometsFadingInOneAfterAnother) {
  ASSERT_EQ(comet_count, 3);
  const float colors[3][3] = {{1.0f, 0.1f, 0.1f}, {0.1f, 1.0f, 0.1f}, {0.1f, 0.1f, 1.0f}};
  const float alphas[3] = {0.0f, -1.0f, -2.0f};
  for (int k = 0; k < 3; ++k) {
    const Comet& c = comets[k];
    EXPECT_TRUE(c.alive);
    EXPECT_TRUE(c.jitter);
    EXPECT_EQ(c.alpha, alphas[k]);
    EXPECT_EQ(c.texture, comet_texture);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.color[i], colors[k][i]) << k;
    EXPECT_GE(c.target_index, 0);
    EXPECT_LE(c.target_index, k);
    for (float v : {c.position.x, c.position.y, c.position.z}) {
      EXPECT_GE(v, -10.0f);
      EXPECT_LE(v, 10.0f);
    }
    for (float v : {c.velocity.x, c.velocity.y, c.velocity.z}) {
      EXPECT_GE(v, -1.0f);
      EXPECT_LE(v, 1.0f);
    }
    for (const Vector3& point : c.trail) {
      ASSERT_EQ(point.x, c.position.x);
      ASSERT_EQ(point.z, c.position.z);
    }
  }
  EXPECT_EQ(comets[0].target_index, 0);  // the first chases itself
  for (int k = 3; k < comet_slots; ++k) EXPECT_FALSE(comets[k].alive);
  EXPECT_EQ(effects.scene_angle, 0.0f);
}

TEST_F(SceneTest, DrawsTwentyOneNumbersFromTheSeed) {
  EXPECT_EQ(rng_state(), after_draws(fixed_seed(), 21));
}

TEST_F(SceneTest, FirstCometPositionAndVelocityComeFromTheFirstSixDraws) {
  std::uint32_t state = fixed_seed();
  auto draw = [&] {
    state = state * 214013u + 2531011u;
    return static_cast<double>((state >> 16) & 0x7FFF);
  };
  const auto p_factor = static_cast<double>(static_cast<float>(10.0 / 32767));
  const auto v_factor = static_cast<double>(static_cast<float>(2.0 / 32767));
  const float px = static_cast<float>(draw() * p_factor - 5.0);
  const float py = static_cast<float>(draw() * p_factor - 5.0);
  const float pz = static_cast<float>(draw() * p_factor - 5.0);
  const float vx = static_cast<float>(draw() * v_factor - 1.0);
  EXPECT_EQ(comets[0].position.x, static_cast<float>(2.0 * px));
  EXPECT_EQ(comets[0].position.y, static_cast<float>(2.0 * py));
  EXPECT_EQ(comets[0].position.z, static_cast<float>(2.0 * pz));
  EXPECT_EQ(comets[0].velocity.x, vx);
}

TEST_F(SceneTest, TheSameSecondGivesTheSameComets) {
  const Comet first = comets[2];
  set_up_scene();
  EXPECT_EQ(comets[2].position.x, first.position.x);
  EXPECT_EQ(comets[2].velocity.y, first.velocity.y);
  EXPECT_EQ(comets[2].target_index, first.target_index);
}

TEST_F(SceneTest, OnlyTheSmokeRepeatsAndThePicturesClamp) {
  EXPECT_EQ(wrap_of(smoke_texture, GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(wrap_of(smoke_texture, GL_TEXTURE_WRAP_T), GL_REPEAT);
  for (std::uint32_t texture :
       {comet_texture, logo_texture, logo2_texture, web_texture, thanks_texture}) {
    EXPECT_EQ(wrap_of(texture, GL_TEXTURE_WRAP_S), GL_CLAMP) << texture;
    EXPECT_EQ(wrap_of(texture, GL_TEXTURE_WRAP_T), GL_CLAMP) << texture;
  }
  const std::uint32_t all[] = {comet_texture, smoke_texture, logo_texture,
                               logo2_texture, web_texture,   thanks_texture};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NE(all[i], 0u);
    for (int j = 0; j < i; ++j) EXPECT_NE(all[i], all[j]);
  }
}

TEST_F(SceneTest, SetsTheShowsFixedOpenGlState) {
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  GLint src = 0, dst = 0, front = 0, cull = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetIntegerv(GL_FRONT_FACE, &front);
  glGetIntegerv(GL_CULL_FACE_MODE, &cull);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE);
  EXPECT_EQ(front, GL_CCW);
  EXPECT_EQ(cull, GL_BACK);
  EXPECT_TRUE(glIsEnabled(GL_DITHER));  // settings.dither is 1 here
}

TEST_F(SceneTest, DitheringIsOffOnlyWhenTheSettingIsZero) {
  for (const std::uint8_t dither : {0, 2}) {
    context_.reset();
    set_up(dither);
    EXPECT_EQ(glIsEnabled(GL_DITHER) == GL_TRUE, dither != 0) << int(dither);
  }
}

// A page's WebGL can lose every texture and all state; the scene is made again without a draw of
// the random numbers and under the texture names the comets and the frame already hold.
TEST_F(SceneTest, RestoringTheGlStateReloadsThePicturesUnderTheirNamesAndDrawsNoNumber) {
  auto width_of = [](std::uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
  };
  const std::uint32_t names[] = {comet_texture, smoke_texture, logo_texture,
                                 logo2_texture, web_texture,   thanks_texture};
  const GLint comet_width = width_of(comet_texture);
  const std::uint32_t state = rng_state();
  const unsigned char black[4] = {0, 0, 0, 0};
  for (std::uint32_t texture : names) {  // as lost: other contents, other edges
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  }
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);

  ASSERT_TRUE(restore_scene_gl());
  const std::uint32_t after[] = {comet_texture, smoke_texture, logo_texture,
                                 logo2_texture, web_texture,   thanks_texture};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(after[i], names[i]);
  EXPECT_EQ(rng_state(), state);
  EXPECT_GT(comet_width, 1);
  EXPECT_EQ(width_of(comet_texture), comet_width);
  EXPECT_EQ(wrap_of(logo_texture, GL_TEXTURE_WRAP_S), GL_CLAMP);
  EXPECT_EQ(wrap_of(smoke_texture, GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_CULL_FACE));
}
