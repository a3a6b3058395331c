// A trace line: the show's state after a frame, each float as its 32 bits round-trip.
#include "replay/trace_writer.h"
#include "app/effects.h"
#include "comets/comet.h"
#include "core/rng.h"
#include "gtest/gtest.h"

TEST(TraceLines, HoldTheStateExactlyInTheDocumentedShape) {
  effects = EffectState{};
  effects.stage = 3;
  effects.flash_alpha = 0.1f;
  effects.background_angle = 359.95f;
  effects.logo_z = -4.95f;
  rng_seed(4000000000u);
  reset_comets();
  comet_count = 2;
  comets[0].position.set(1.5, -2.25, 1e-7);
  comets[0].velocity.set(0.1, 0, -1);
  comets[0].alpha = -1.0f;
  comets[0].target_index = 0;
  comets[1].position.set(0, 0, 0);
  comets[1].velocity.set(0, 0, 0);
  comets[1].alpha = 1.0f;
  comets[1].target_index = 1;
  EXPECT_EQ(trace_line(9000),
            "{\"frame\":9000,\"stage\":3,\"rng\":4000000000,\"effects\":{"
            "\"flash_alpha\":0.100000001,\"echo_alpha\":1,\"logo_z\":-4.94999981,"
            "\"web_alpha\":1,\"thanks_alpha\":1,\"background_angle\":359.950012,"
            "\"background_alpha\":0,\"smoke_scroll\":0,\"web_angle\":0,\"scene_angle\":0,"
            "\"fade_alpha\":0},\"comets\":["
            "{\"slot\":0,\"position\":[1.5,-2.25,1.00000001e-07],\"velocity\":[0.100000001,0,-1],"
            "\"alpha\":-1,\"target_index\":0},"
            "{\"slot\":1,\"position\":[0,0,0],\"velocity\":[0,0,0],\"alpha\":1,"
            "\"target_index\":1}]}");
  EXPECT_EQ(trace_line(5400, 9000).rfind("{\"frame\":5400,\"step\":9000,\"stage\":3,", 0), 0u);
}
