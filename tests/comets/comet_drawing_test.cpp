#include <GL/gl.h>
#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "comets/comet.h"
#include "comets/recorded_sequence.h"
#include "core/rng.h"
#include "gtest/gtest.h"
#include "support/gl_context.h"

// Every turn about z handed to OpenGL in this program, passed on unchanged.
static std::vector<float> z_turns;
extern "C" void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  using Rotate = void (*)(GLfloat, GLfloat, GLfloat, GLfloat);
  static const auto real = reinterpret_cast<Rotate>(dlsym(RTLD_NEXT, "glRotatef"));
  if (x == 0 && y == 0 && z == 1) z_turns.push_back(angle);
  real(angle, x, y, z);
}

namespace {

constexpr int width = 320;
constexpr int height = 240;
constexpr double pi = 3.14159265358979323846;

Vector3 vec(double x, double y, double z) {
  Vector3 v;
  return v.set(x, y, z);
}

struct Spot {
  int x, y;
};

// Where an eye-space point lands with the fixed 90-degree, 4:3 projection.
Spot project_eye(double x, double y, double eye_z) {
  const double ndc_x = x / (-eye_z * 4.0 / 3.0);
  const double ndc_y = y / -eye_z;
  return {static_cast<int>(std::floor((ndc_x + 1) * 0.5 * width)),
          static_cast<int>(std::floor((ndc_y + 1) * 0.5 * height))};
}

// A point of the unturned scene, whose centre lies 15 units in front of the eye.
Spot project(double x, double y) {
  return project_eye(x, y, -15);
}

const Vector3 off_screen = vec(1000, 0, 0);

// gluPerspective(90, 4/3 as a float, 0.1 as a float, 200), worked out by hand.
std::vector<double> fixed_projection() {
  const double aspect = static_cast<double>(4.0f / 3.0f);
  const double near = static_cast<double>(0.1f), far = 200.0;
  const double f = 1.0 / std::tan(pi / 4.0);
  std::vector<double> m(16, 0.0);
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (far + near) / (near - far);
  m[11] = -1.0;
  m[14] = 2.0 * far * near / (near - far);
  return m;
}

void expect_fixed_projection() {
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  const std::vector<double> expected = fixed_projection();
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-6) << "element " << i;
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

// The comet state the show draws in: additive blending, no depth test, texturing, culling.
class CometDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context.ok());
    set_show_gl_state(true);

    // Plain white, so a sprite shows its colour and alpha with sharp edges.
    const std::vector<std::uint8_t> white(64 * 64 * 3, 255);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, white.data());
    glBindTexture(GL_TEXTURE_2D, 0);

    reset_comets();
    rng_seed(1);
  }

  Comet& add_comet(Vector3 position, const float (&color)[3], float alpha, bool jitter) {
    create_comet(position, vec(0, 0, 0), vec(0, 0, 0), color, texture, jitter);
    Comet& comet = comets[comet_count - 1];
    comet.alpha = alpha;
    return comet;
  }

  // As the frame does: scene centre 15 units ahead, comet space turned about y.
  std::vector<std::uint8_t> render_frame(float scene_angle = 0) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -15);
    glRotatef(scene_angle, 0, 1, 0);
    draw_comets(scene_angle);
    glRotatef(-scene_angle, 0, 1, 0);
    return context.read_pixels();
  }

  Rgb at(const std::vector<std::uint8_t>& pixels, Spot spot) const {
    return context.pixel(pixels, spot.x, spot.y);
  }

  // Length of the lit run through `spot`, walking along x (or y).
  int lit_run(const std::vector<std::uint8_t>& pixels, Spot spot, bool along_x) const {
    int run = 0;
    const int end = along_x ? width : height;
    for (int i = 0; i < end; ++i) {
      const Rgb p = along_x ? context.pixel(pixels, i, spot.y) : context.pixel(pixels, spot.x, i);
      if (p.r > 127) ++run;
    }
    return run;
  }

  GlContext context{width, height};
  GLuint texture = 0;
};

bool all_black(const std::vector<std::uint8_t>& pixels) {
  for (std::uint8_t value : pixels) {
    if (value != 0) return false;
  }
  return true;
}

const float white[3] = {1, 1, 1};

}  // namespace

TEST_F(CometDrawing, TheShowsStateLooksThroughTheFixedFourThirdsProjection) {
  expect_fixed_projection();
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "element " << i;
}

TEST_F(CometDrawing, NoLiveCometsDrawNothingAndDrawNoNumbers) {
  add_comet(vec(0, 0, 0), white, 1.0f, true);
  comet_count = 0;  // slot 0 stays alive but is no longer counted
  glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, 0);
  rng_seed(4242);

  const std::vector<std::uint8_t> pixels = render_frame();

  EXPECT_TRUE(all_black(pixels));
  EXPECT_EQ(rng_state(), 4242u);
  GLfloat color[4];
  glGetFloatv(GL_CURRENT_COLOR, color);
  EXPECT_EQ(color[0], 0.25f);
  EXPECT_EQ(color[2], 0.75f);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
}

TEST_F(CometDrawing, CometsAtAlphaZeroOrBelowAddNothingButStillDrawTheirNumbers) {
  add_comet(vec(0, 0, 0), white, 0.0f, true);
  add_comet(vec(5, 3, 0), white, -0.5f, false);
  rng_seed(77);

  EXPECT_TRUE(all_black(render_frame()));
  EXPECT_EQ(rng_state(), RecordedSequence{77}.after(151 + 1));
}

TEST_F(CometDrawing, DrawsOneNumberPerPlainCometAnd151PerJitteredOne) {
  add_comet(vec(-5, 0, 0), white, 1.0f, true);
  add_comet(vec(0, 0, 0), white, 1.0f, false);
  add_comet(vec(5, 0, 0), white, 1.0f, true);
  rng_seed(9);
  render_frame();
  EXPECT_EQ(rng_state(), RecordedSequence{9}.after(151 + 1 + 151));
}

TEST_F(CometDrawing, HeadShowsDoubledColourAtItsProjectedPositionTrailThePlainColour) {
  const float color[3] = {1.0f, 0.3f, 0.1f};
  Comet& comet = add_comet(vec(-8, 4, 0), color, 1.0f, false);
  for (Vector3& point : comet.trail) point = off_screen;
  comet.trail[0] = vec(8, -5, 0);

  const std::vector<std::uint8_t> pixels = render_frame();

  // The head is doubled and clamped by GL to (1, 0.6, 0.2); the trail keeps (1, 0.3, 0.1).
  const Rgb head = at(pixels, project(-8, 4));
  EXPECT_EQ(head.r, 255);
  EXPECT_NEAR(head.g, 153, 2);
  EXPECT_NEAR(head.b, 51, 2);
  const Rgb trail = at(pixels, project(8, -5));
  EXPECT_EQ(trail.r, 255);
  EXPECT_NEAR(trail.g, 77, 2);
  EXPECT_NEAR(trail.b, 26, 2);
  EXPECT_GT(head.g + head.b, trail.g + trail.b);

  // Whatever its spin, the head covers 4 units around its centre and nothing beyond 4 * sqrt 2.
  EXPECT_NEAR(at(pixels, project(-11.5, 4)).g, 153, 2);
  EXPECT_NEAR(at(pixels, project(-8, 0.5)).g, 153, 2);
  EXPECT_EQ(at(pixels, project(-14, 4)).r, 0);
  EXPECT_EQ(at(pixels, project(-2, 4)).r, 0);
  EXPECT_EQ(at(pixels, project(0, 0)).r, 0);
}

TEST_F(CometDrawing, HeadTurnsByTheFirstNumberDrawnEachFrame) {
  // A square of half-size 4 reaches 5 units along x only when turned near 45 degrees.
  auto spin = [](int roll) { return roll * double(359.0f / 32767); };
  const std::uint32_t diamond = first_seed_where(
      [&](RecordedSequence sequence) { return std::abs(spin(sequence.next()) - 45) < 3; });
  const std::uint32_t upright = first_seed_where(
      [&](RecordedSequence sequence) { return std::abs(spin(sequence.next()) - 90) < 3; });
  Comet& comet = add_comet(vec(0, 0, 0), white, 1.0f, false);
  for (Vector3& point : comet.trail) point = off_screen;

  rng_seed(diamond);
  EXPECT_GT(at(render_frame(), project(5, 0)).r, 200);
  rng_seed(upright);
  EXPECT_EQ(at(render_frame(), project(5, 0)).r, 0);
}

TEST_F(CometDrawing, HeadSpinHoldsItsFactorAsAFloat) {
  // A draw for which a float factor and a double one give angles one float step apart.
  auto with_factor = [](int roll, double factor) { return static_cast<float>(roll * factor); };
  const std::uint32_t seed = first_seed_where([&](RecordedSequence sequence) {
    const int roll = sequence.next();
    return with_factor(roll, double(359.0f / 32767)) != with_factor(roll, 359.0 / 32767);
  });
  const int roll = RecordedSequence{seed}.next();
  add_comet(off_screen, white, 1.0f, false);
  rng_seed(seed);
  z_turns.clear();

  render_frame();

  ASSERT_EQ(z_turns.size(), 1u);
  EXPECT_EQ(z_turns[0], with_factor(roll, double(359.0f / 32767)));
  EXPECT_NE(z_turns[0], with_factor(roll, 359.0 / 32767));
}

TEST_F(CometDrawing, TrailOpacityFallsLinearlyToClearAtTheOldestPoint) {
  Comet& comet = add_comet(off_screen, white, 1.0f, false);
  // One sprite per spot of a 15 x 5 grid, 2.5 units apart so none overlap.
  for (int i = 0; i < trail_length; ++i) {
    comet.trail[i] = vec(-17.5 + 2.5 * (i % 15), 5.0 - 2.5 * (i / 15), 0);
  }

  const std::vector<std::uint8_t> pixels = render_frame();

  for (int i = 0; i < trail_length; ++i) {
    const Rgb p = at(pixels, project(comet.trail[i].x, comet.trail[i].y));
    EXPECT_NEAR(p.r, 255.0 * (1.0 - i / 74.0), 2.0) << "point " << i;
  }
  EXPECT_EQ(at(pixels, project(-17.5 + 1.25, 5)).r, 0);  // between two sprites
}

TEST_F(CometDrawing, PlainTrailSpritesAreTwoUnitsSquare) {
  Comet& comet = add_comet(off_screen, white, 1.0f, false);
  for (Vector3& point : comet.trail) point = off_screen;
  comet.trail[0] = vec(6, -3, 0);

  const std::vector<std::uint8_t> pixels = render_frame();

  // Two units are 16 pixels both ways at this size.
  EXPECT_NEAR(lit_run(pixels, project(6, -3), true), 16, 1);
  EXPECT_NEAR(lit_run(pixels, project(6, -3), false), 16, 1);
}

TEST_F(CometDrawing, JitterStretchesXByTheSecondDrawAndYByTheFirst) {
  auto scale = [](int roll) { return roll * double(0.8f / 32767) - 0.4 + 1.0; };
  // Draws: head spin, then a and b for trail point 0. Pick a narrow y and a wide x.
  const std::uint32_t seed = first_seed_where([&](RecordedSequence sequence) {
    sequence.next();
    const int a = sequence.next();
    const int b = sequence.next();
    return scale(a) < 0.75 && scale(b) > 1.25;
  });
  RecordedSequence draws{seed};
  draws.next();
  const double y_scale = scale(draws.next());
  const double x_scale = scale(draws.next());

  Comet& comet = add_comet(off_screen, white, 1.0f, true);
  for (Vector3& point : comet.trail) point = off_screen;
  comet.trail[0] = vec(6, -3, 0);
  rng_seed(seed);

  const std::vector<std::uint8_t> pixels = render_frame();

  EXPECT_NEAR(lit_run(pixels, project(6, -3), true), 16 * x_scale, 1.5);
  EXPECT_NEAR(lit_run(pixels, project(6, -3), false), 16 * y_scale, 1.5);
}

TEST_F(CometDrawing, SpritesFaceTheViewerAtEverySceneAngle) {
  const float dim[3] = {0.25f, 0.25f, 0.25f};
  add_comet(vec(0, 2, 5), dim, 1.0f, true);

  for (float angle : {0.0f, 90.0f, 180.0f, 270.0f, 45.0f}) {
    const std::vector<std::uint8_t> pixels = render_frame(angle);

    // The comet's position turns with the scene...
    const double turned = angle * pi / 180;
    const double eye_x = 5 * std::sin(turned);
    const double eye_z = -15 + 5 * std::cos(turned);
    // ...while the head stays a square in the screen plane, seen face on.
    for (const auto& offset : {std::pair{0.0, 0.0}, {3.0, 0.0}, {-3.0, 0.0}, {0.0, 3.0}}) {
      const Spot spot = project_eye(eye_x + offset.first, 2 + offset.second, eye_z);
      EXPECT_GE(at(pixels, spot).r, 120)
          << "angle " << angle << " offset " << offset.first << "," << offset.second;
    }
    EXPECT_EQ(at(pixels, project_eye(eye_x + 7, 2, eye_z)).r, 0) << "angle " << angle;
  }
}

TEST_F(CometDrawing, LeavesTheModelviewMatrixAsItFoundIt) {
  add_comet(vec(1, 2, 3), white, 1.0f, true);
  add_comet(vec(-4, 0, 2), white, 0.5f, false);
  glLoadIdentity();
  glTranslatef(0, 0, -15);
  glRotatef(37, 0, 1, 0);
  GLfloat before[16], after[16];
  GLint depth_before = 0, depth_after = 0;
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);

  draw_comets(37);

  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << "element " << i;
  EXPECT_EQ(depth_after, depth_before);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
