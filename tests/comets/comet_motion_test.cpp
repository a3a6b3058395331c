#include <cmath>
#include <vector>

#include "comets/comet.h"
#include "comets/recorded_sequence.h"
#include "core/rng.h"
#include "gtest/gtest.h"

namespace {

Vector3 vec(double x, double y, double z) {
  Vector3 v;
  return v.set(x, y, z);
}

const float white[3] = {1, 1, 1};

// One comet in slot 0, then the generator at `seed`.
Comet& lone_comet(Vector3 position, Vector3 velocity, std::uint32_t seed) {
  reset_comets();
  create_comet(position, velocity, vec(0, 0, 0), white, 0, false);
  rng_seed(seed);
  return comets[0];
}

// Draws as update_comets makes them for one comet: the new-target test, the new target when the
// test hits, the kick test, and three kicks when that test hits. Returns how many were drawn.
struct StepDraws {
  bool new_target = false;
  bool kick = false;
  int target_roll = 0;
  int kicks[3] = {0, 0, 0};
  int count = 0;
};

StepDraws recorded_step(RecordedSequence& sequence) {
  StepDraws step;
  step.count = 2;
  if (sequence.next() % 50 == 15) {
    step.new_target = true;
    step.target_roll = sequence.next();
    ++step.count;
  }
  if (sequence.next() % 50 == 25) {
    step.kick = true;
    for (int& kick : step.kicks) kick = sequence.next();
    step.count += 3;
  }
  return step;
}

std::uint32_t seed_for(bool new_target, bool kick) {
  return first_seed_where([&](RecordedSequence sequence) {
    const StepDraws step = recorded_step(sequence);
    return step.new_target == new_target && step.kick == kick;
  });
}

// A seed whose next `steps` steps of one comet draw neither a new target nor a kick.
std::uint32_t quiet_seed(int steps) {
  return first_seed_where([&](RecordedSequence sequence) {
    for (int i = 0; i < steps; ++i) {
      const StepDraws step = recorded_step(sequence);
      if (step.new_target || step.kick) return false;
    }
    return true;
  });
}

// A seed whose first draw, the kick test of a bare Comet::update, does not hit.
std::uint32_t seed_without_kick() {
  return first_seed_where([](RecordedSequence sequence) { return sequence.next() % 50 != 25; });
}

float kick_size(int roll) {
  return static_cast<float>(roll * double(0.4f / 32767) - 0.2);
}

}  // namespace

TEST(CometMotion, NoLiveCometsMeansNoStepAndNoRandomNumbers) {
  reset_comets();
  rng_seed(1234);
  update_comets();
  EXPECT_EQ(rng_state(), 1234u);
}

TEST(CometMotion, QuietStepDrawsTwoNumbersPerComet) {
  const std::uint32_t seed = seed_for(false, false);
  lone_comet(vec(3, 4, 5), vec(0, 0, 0), seed);
  update_comets();
  EXPECT_EQ(rng_state(), RecordedSequence{seed}.after(2));
}

TEST(CometMotion, NewTargetRollDrawsTheTargetBeforeTheKickTest) {
  // Two comets, so a new target of comet 0 can be either slot.
  const std::uint32_t seed = first_seed_where([](RecordedSequence sequence) {
    const StepDraws first = recorded_step(sequence);
    return first.new_target && !first.kick && first.target_roll % 2 == 1;
  });
  reset_comets();
  create_comet(vec(3, 4, 5), vec(0, 0, 0), vec(0, 0, 0), white, 0, false);
  create_comet(vec(-6, 2, 1), vec(0, 0, 0), vec(0, 0, 0), white, 0, false);
  comets[0].target_index = 0;
  rng_seed(seed);
  RecordedSequence expected{seed};
  recorded_step(expected);
  const std::uint32_t after_comet_0 = expected.state;

  comet_count = 1;  // step comet 0 alone first, to see its draws apart from comet 1's
  update_comets();
  EXPECT_EQ(rng_state(), after_comet_0);
  EXPECT_EQ(comets[0].target_index, 0);  // modulo the live count, which was 1

  // Again with both live: the same roll now picks slot 1.
  comets[0].target_index = 0;
  comet_count = 2;
  rng_seed(seed);
  update_comets();
  EXPECT_EQ(comets[0].target_index, 1);
  EXPECT_EQ(comets[0].target.x, -6.0f);
}

TEST(CometMotion, KickRollDrawsThreeKicksForXThenYThenZ) {
  const std::uint32_t seed = seed_for(false, true);
  RecordedSequence expected{seed};
  const StepDraws step = recorded_step(expected);

  // Chasing itself at (-5, 0, 0): only the origin pull of exactly +0.01 in x joins the kicks.
  Comet& comet = lone_comet(vec(-5, 0, 0), vec(0, 0, 0), seed);
  update_comets();

  EXPECT_EQ(rng_state(), expected.state);
  EXPECT_NEAR(comet.velocity.x, kick_size(step.kicks[0]) + 0.01, 1e-7);
  EXPECT_EQ(comet.velocity.y, kick_size(step.kicks[1]));
  EXPECT_EQ(comet.velocity.z, kick_size(step.kicks[2]));
}

TEST(CometMotion, BothRollsHittingDrawSixNumbersAndCometsDrawInSlotOrder) {
  const std::uint32_t seed = first_seed_where([](RecordedSequence sequence) {
    const StepDraws first = recorded_step(sequence);
    const StepDraws second = recorded_step(sequence);
    return first.new_target && first.kick && !second.new_target && !second.kick;
  });
  reset_comets();
  create_comet(vec(3, 4, 5), vec(0, 0, 0), vec(0, 0, 0), white, 0, false);
  create_comet(vec(-6, 2, 1), vec(0, 0, 0), vec(0, 0, 0), white, 0, false);
  rng_seed(seed);
  update_comets();
  EXPECT_EQ(rng_state(), RecordedSequence{seed}.after(6 + 2));
}

TEST(CometMotion, FirstCometChasingItselfIsPulledOnlyTowardTheOrigin) {
  reset_comets();
  rng_seed(7);
  create_comet(vec(3, 4, 0.5), vec(0.1, 0, 0), vec(0, 0, 0), white, 0, false);
  ASSERT_EQ(comets[0].target_index, 0);
  rng_seed(quiet_seed(1));
  update_comets();

  const double distance = std::sqrt(3.0 * 3.0 + 4.0 * 4.0 + double(0.5f) * 0.5f);
  const Comet& comet = comets[0];
  EXPECT_EQ(comet.target.x, 3.0f);  // its own position before the step
  EXPECT_NEAR(comet.velocity.x, 0.1 - 0.01 * 3 / distance, 1e-7);
  EXPECT_NEAR(comet.velocity.y, -0.01 * 4 / distance, 1e-7);
  EXPECT_NEAR(comet.velocity.z, -0.01 * 0.5 / distance, 1e-7);
}

TEST(CometMotion, TargetSharingOneCoordinateGivesNoTargetPull) {
  const std::uint32_t seed = seed_without_kick();
  Comet& comet = lone_comet(vec(3, 4, 5), vec(0, 0, 0), seed);
  const double distance = std::sqrt(50.0);

  comet.target = vec(-7, 9, 5);  // same z
  comet.update();
  EXPECT_NEAR(comet.velocity.x, -0.03 / distance, 1e-8);
  EXPECT_NEAR(comet.velocity.y, -0.04 / distance, 1e-8);
  EXPECT_NEAR(comet.velocity.z, -0.05 / distance, 1e-8);

  // Differing in every coordinate, the same target does pull: toward -x and +y.
  lone_comet(vec(3, 4, 5), vec(0, 0, 0), seed);
  comet.target = vec(-7, 9, 6);
  comet.update();
  const double to_target = std::sqrt(100.0 + 25.0 + 1.0);
  EXPECT_NEAR(comet.velocity.x, -0.03 / distance - 0.1 / to_target, 1e-7);
  EXPECT_NEAR(comet.velocity.y, -0.04 / distance + 0.05 / to_target, 1e-7);
}

TEST(CometMotion, VelocityOfExactlyTheSpeedLimitIsLeftAlone) {
  // At (-5, 0, 0) chasing itself, the only pull adds +0.01 to x; start just short of 0.4f.
  float start = 0.39f;
  while (static_cast<float>(start + 0.01 * 5 / 5) < 0.4f) start = std::nextafter(start, 1.0f);
  ASSERT_EQ(static_cast<float>(start + 0.01 * 5 / 5), 0.4f);
  const std::uint32_t seed = quiet_seed(1);
  Comet& comet = lone_comet(vec(-5, 0, 0), vec(start, 0, 0), seed);
  update_comets();
  EXPECT_EQ(comet.velocity.x, 0.4f);
  EXPECT_EQ(comet.position.x, static_cast<float>(-5.0 + double(0.4f)));
}

TEST(CometMotion, VelocityJustOverTheSpeedLimitIsCutToItKeepingItsDirection) {
  // After the +0.01 pull in x the velocity is (0.3, 0.2646...), of length about 0.4001.
  const float y = static_cast<float>(std::sqrt(0.4001 * 0.4001 - 0.3 * 0.3));
  const std::uint32_t seed = quiet_seed(1);
  Comet& comet = lone_comet(vec(-5, 0, 0), vec(0.29, y, 0), seed);
  const double pulled_x = static_cast<float>(double(0.29f) + 0.01);
  ASSERT_GT(std::hypot(pulled_x, double(y)), 0.40009);
  update_comets();

  EXPECT_NEAR(comet.velocity.length(), 0.4, 1e-7);
  EXPECT_NEAR(comet.velocity.y / comet.velocity.x, y / pulled_x, 1e-6);
  EXPECT_EQ(comet.velocity.z, 0.0f);
}

TEST(CometMotion, NewCometWithLongVelocityMovesAtMostTheSpeedLimit) {
  const std::uint32_t seed = quiet_seed(1);
  Comet& comet = lone_comet(vec(2, 3, 4), vec(3, -4, 12), seed);
  update_comets();
  EXPECT_NEAR(comet.velocity.length(), 0.4, 1e-7);
  const double moved =
      vec(comet.position.x - 2.0, comet.position.y - 3.0, comet.position.z - 4.0).length();
  EXPECT_NEAR(moved, 0.4, 1e-6);
}

TEST(CometMotion, TrailAfterOneStepStillFoldedOntoTheCreationPoint) {
  const std::uint32_t seed = quiet_seed(1);
  Comet& comet = lone_comet(vec(1, 2, 3), vec(0.05, 0.06, 0.07), seed);
  update_comets();
  for (const Vector3& point : comet.trail) {
    EXPECT_EQ(point.x, 1.0f);
    EXPECT_EQ(point.y, 2.0f);
    EXPECT_EQ(point.z, 3.0f);
  }
  EXPECT_EQ(comet.position.x, static_cast<float>(1.0 + comet.velocity.x));
  EXPECT_EQ(comet.position.y, static_cast<float>(2.0 + comet.velocity.y));
  EXPECT_EQ(comet.position.z, static_cast<float>(3.0 + comet.velocity.z));
}

TEST(CometMotion, TrailAfter75StepsHoldsThePathNewestFirst) {
  Comet& comet = lone_comet(vec(1, 2, 3), vec(0.3, -0.1, 0.2), 31337);
  std::vector<Vector3> path;  // positions before each step
  for (int step = 0; step < 75; ++step) {
    path.push_back(comet.position);
    update_comets();
  }
  for (int i = 0; i < trail_length; ++i) {
    const Vector3& expected = path[path.size() - 1 - i];
    EXPECT_EQ(comet.trail[i].x, expected.x) << "point " << i;
    EXPECT_EQ(comet.trail[i].y, expected.y) << "point " << i;
    EXPECT_EQ(comet.trail[i].z, expected.z) << "point " << i;
  }
  EXPECT_NE(comet.trail[0].x, comet.trail[74].x);  // the comet really moved
}

TEST(CometMotion, LowerSlotTargetHasAlreadyMovedWhenChased) {
  reset_comets();
  create_comet(vec(3, 4, 5), vec(0.2, 0, 0), vec(0, 0, 0), white, 0, false);
  create_comet(vec(-6, 2, 1), vec(0, 0, 0), vec(0, 0, 0), white, 0, false);
  comets[0].target_index = 1;
  comets[1].target_index = 0;
  rng_seed(quiet_seed(2));
  update_comets();
  EXPECT_EQ(comets[0].target.x, -6.0f);                 // slot 1 before its step
  EXPECT_EQ(comets[1].target.x, comets[0].position.x);  // slot 0 after its step
  EXPECT_NE(comets[0].position.x, 3.0f);
}

TEST(CometMotion, FadeInFromMinusTwoTakesAbout2000StepsThen1000MoreToOpaque) {
  Comet& comet = lone_comet(vec(4, -3, 2), vec(0, 0, 0), 1);
  comet.alpha = -2.0f;
  int steps = 0;
  while (comet.alpha <= 0.0f && steps < 5000) {
    update_comets();
    ++steps;
  }
  EXPECT_GE(steps, 1995);
  EXPECT_LE(steps, 2005);

  int more = 0;
  while (comet.alpha < 1.0f && more < 5000) {
    update_comets();
    ++more;
    ASSERT_LE(comet.alpha, 1.0f);
  }
  EXPECT_GE(more, 995);
  EXPECT_LE(more, 1005);
  update_comets();
  EXPECT_EQ(comet.alpha, 1.0f);
}

TEST(CometMotion, OpaqueCometStaysAtAlphaOne) {
  Comet& comet = lone_comet(vec(4, -3, 2), vec(0, 0, 0), 1);
  comet.alpha = 1.0f;
  update_comets();
  EXPECT_EQ(comet.alpha, 1.0f);
  comet.alpha = 0.9995f;
  update_comets();
  EXPECT_EQ(comet.alpha, 1.0f);
}

TEST(CometMotion, CometExactlyAtTheOriginKeepsFiniteValuesAndMoving) {
  Comet& comet = lone_comet(vec(0, 0, 0), vec(0.1, -0.2, 0.05), quiet_seed(1));
  update_comets();
  EXPECT_TRUE(std::isfinite(comet.velocity.x) && std::isfinite(comet.velocity.y) &&
              std::isfinite(comet.velocity.z));
  EXPECT_FLOAT_EQ(comet.position.x, 0.1f);
  EXPECT_FLOAT_EQ(comet.position.y, -0.2f);
  EXPECT_FLOAT_EQ(comet.position.z, 0.05f);
  for (int i = 0; i < 100; ++i) update_comets();
  EXPECT_TRUE(std::isfinite(comet.position.x) && std::isfinite(comet.position.y) &&
              std::isfinite(comet.position.z));
}
