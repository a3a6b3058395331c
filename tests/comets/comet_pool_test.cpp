#include "comets/comet.h"
#include "comets/recorded_sequence.h"
#include "core/rng.h"
#include "gtest/gtest.h"

namespace {

Vector3 vec(float x, float y, float z) {
  Vector3 v;
  return v.set(x, y, z);
}

void expect_vec(const Vector3& actual, float x, float y, float z) {
  EXPECT_EQ(actual.x, x);
  EXPECT_EQ(actual.y, y);
  EXPECT_EQ(actual.z, z);
}

const float red[3] = {1.0f, 0.1f, 0.1f};

// A comet at `x` on the x axis; enough to tell the slots apart.
void create_at(float x) {
  create_comet(vec(x, 0, 0), vec(0, 0, 0), vec(0, 0, 0), red, 7, false);
}

}  // namespace

TEST(CometPool, NewCometTakesItsArgumentsWithTheTrailFoldedOntoItsHead) {
  reset_comets();
  rng_seed(1);
  const float color[3] = {0.25f, 0.5f, 0.75f};
  create_comet(vec(1.5f, -2.5f, 3.5f), vec(0.1f, 0.2f, -0.3f), vec(4, 5, 6), color, 42, true);

  ASSERT_EQ(comet_count, 1);
  const Comet& comet = comets[0];
  expect_vec(comet.position, 1.5f, -2.5f, 3.5f);
  expect_vec(comet.velocity, 0.1f, 0.2f, -0.3f);
  expect_vec(comet.target, 4, 5, 6);
  for (const Vector3& point : comet.trail) expect_vec(point, 1.5f, -2.5f, 3.5f);
  EXPECT_EQ(comet.color[0], 0.25f);
  EXPECT_EQ(comet.color[1], 0.5f);
  EXPECT_EQ(comet.color[2], 0.75f);
  EXPECT_EQ(comet.alpha, 1.0f);
  EXPECT_EQ(comet.texture, 42u);
  EXPECT_TRUE(comet.alive);
  EXPECT_TRUE(comet.jitter);
}

TEST(CometPool, FirstCometAfterResetChasesItself) {
  for (std::uint32_t seed : {1u, 2u, 977u, 0xDEADBEEFu}) {
    reset_comets();
    rng_seed(seed);
    create_at(1);
    EXPECT_EQ(comets[0].target_index, 0) << "seed " << seed;
  }
}

TEST(CometPool, CreateDrawsExactlyOneNumberForTheTargetModuloTheNewCount) {
  reset_comets();
  rng_seed(2024);
  RecordedSequence expected{2024};
  for (int count = 1; count <= 5; ++count) {
    create_at(float(count));
    EXPECT_EQ(comets[count - 1].target_index, expected.next() % count);
    EXPECT_EQ(rng_state(), expected.state);
  }
}

TEST(CometPool, TenthAndEleventhCreateRefillSlotNineWithoutCountingIt) {
  reset_comets();
  rng_seed(99);
  RecordedSequence expected{99};
  for (int i = 0; i < 9; ++i) {
    create_at(float(i));
    expected.next();
  }
  ASSERT_EQ(comet_count, 9);

  create_at(100);
  EXPECT_EQ(comet_count, 9);
  EXPECT_TRUE(comets[9].alive);
  EXPECT_EQ(comets[9].position.x, 100.0f);
  EXPECT_EQ(comets[9].target_index, expected.next() % 9);

  create_at(200);
  EXPECT_EQ(comet_count, 9);
  EXPECT_EQ(comets[9].position.x, 200.0f);
  EXPECT_EQ(comets[9].trail[74].x, 200.0f);
  const int target = expected.next() % 9;
  EXPECT_EQ(comets[9].target_index, target);
  EXPECT_GE(target, 0);
  EXPECT_LE(target, 8);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(comets[i].position.x, float(i)) << "slot " << i;
}

TEST(CometPool, ResetReturnsEverySlotToWhiteOpaqueAndEmpty) {
  reset_comets();
  rng_seed(5);
  for (int i = 0; i < 11; ++i) {
    create_comet(vec(3, 4, 5), vec(1, 1, 1), vec(7, 8, 9), red, 3, true);
    comets[comet_count - 1].alpha = -2.0f;
  }
  reset_comets();

  EXPECT_EQ(comet_count, 0);
  for (const Comet& comet : comets) {
    expect_vec(comet.position, 0, 0, 0);
    expect_vec(comet.velocity, 0, 0, 0);
    expect_vec(comet.target, 0, 0, 0);
    for (const Vector3& point : comet.trail) expect_vec(point, 0, 0, 0);
    EXPECT_EQ(comet.color[0], 1.0f);
    EXPECT_EQ(comet.color[1], 1.0f);
    EXPECT_EQ(comet.color[2], 1.0f);
    EXPECT_EQ(comet.alpha, 1.0f);
    EXPECT_EQ(comet.texture, 0u);
    EXPECT_EQ(comet.target_index, 0);
    EXPECT_FALSE(comet.alive);
    EXPECT_FALSE(comet.jitter);
  }
}
