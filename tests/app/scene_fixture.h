// A hidden OpenGL window with the show's scene set up on the fixture pictures.
#pragma once

#include <unistd.h>

#include <memory>

#include "app/effects.h"
#include "app/scene.h"
#include "comets/comet.h"
#include "core/settings.h"
#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

inline std::uint32_t fixed_seed() {
  return 1234567;
}

class SceneTest : public ::testing::Test {
 protected:
  static constexpr int width = 320;
  static constexpr int height = 240;

  void SetUp() override { set_up(1); }

  void set_up(std::uint8_t dither) {
    write_fixture_media(media_.path(), false);
    ASSERT_EQ(::chdir(media_.path().c_str()), 0);
    context_ = std::make_unique<GlContext>(width, height);
    ASSERT_TRUE(context_->ok());
    settings = Settings{};
    settings.dither = dither;
    effects = EffectState{};
    scene_seed = fixed_seed;
    set_up_scene();
  }

  void TearDown() override { scene_seed = calendar_seed; }

  std::vector<std::uint8_t> pixels() const { return context_->read_pixels(); }
  Rgb pixel(const std::vector<std::uint8_t>& p, int x, int y) const {
    return context_->pixel(p, x, y);
  }

  TempDir media_;
  std::unique_ptr<GlContext> context_;
};
