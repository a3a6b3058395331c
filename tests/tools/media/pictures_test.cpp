#include <algorithm>
#include <cmath>

#include "decode_picture.h"
#include "gtest/gtest.h"
#include "media_files.h"

namespace {

struct Expected {
  const char* name;
  int width, height;
};
const Expected pictures[] = {{"texture.jpg", 128, 128}, {"smoke.jpg", 512, 512},
                             {"logo.jpg", 512, 256},    {"logo2.jpg", 512, 256},
                             {"web.jpg", 512, 512},     {"thanks.jpg", 512, 256}};
// Shown with clamped edges: a lit edge pixel would smear across the rest of the quad.
const char* const clamped[] = {"texture.jpg", "logo.jpg", "logo2.jpg", "web.jpg", "thanks.jpg"};
constexpr int black_enough = 8;

DecodedPicture load(const std::string& name) {
  DecodedPicture p = decode_picture(built_media(name));
  EXPECT_TRUE(p.ok) << name;
  return p;
}

int brightest_edge_value(const DecodedPicture& p) {
  int brightest = 0;
  for (int c = 0; c < 3; ++c) {
    for (int x = 0; x < p.width; ++x)
      brightest = std::max({brightest, p.at(x, 0, c), p.at(x, p.height - 1, c)});
    for (int y = 0; y < p.height; ++y)
      brightest = std::max({brightest, p.at(0, y, c), p.at(p.width - 1, y, c)});
  }
  return brightest;
}

// Share of pixels whose channel `c` is above `level`.
double lit_share(const DecodedPicture& p, int c, int level) {
  int lit = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) lit += p.at(x, y, c) > level;
  return double(lit) / (p.width * p.height);
}

bool power_of_two(int n) {
  return n > 0 && (n & (n - 1)) == 0;
}

TEST(Pictures, EachDecodesAtItsSizeInPowersOfTwo) {
  for (const Expected& e : pictures) {
    SCOPED_TRACE(e.name);
    const DecodedPicture p = load(e.name);
    EXPECT_EQ(p.width, e.width);
    EXPECT_EQ(p.height, e.height);
    EXPECT_TRUE(power_of_two(p.width) && power_of_two(p.height) && p.width % 4 == 0);
  }
}

TEST(Pictures, ClampedPicturesHaveBlackEdges) {
  for (const char* name : clamped) {
    SCOPED_TRACE(name);
    EXPECT_LT(brightest_edge_value(load(name)), black_enough);
  }
}

TEST(Pictures, CometSpriteIsWhiteHotInTheMiddleAndBlackWellInsideTheSquare) {
  const DecodedPicture p = load("texture.jpg");
  const int half = p.width / 2;
  for (int c = 0; c < 3; ++c) EXPECT_GT(p.at(half, half, c), 240);
  // Black already on the circle that touches the edges, so no square corner can show.
  for (int a = 0; a < 360; a += 5) {
    const double r = 0.95 * half, angle = a * 3.14159265358979 / 180;
    const int x = half + int(r * std::cos(angle)), y = half + int(r * std::sin(angle));
    EXPECT_LT(p.at(x, y, 0), black_enough) << "at " << a << " degrees";
  }
  // Halfway out, the glow is still clearly there.
  EXPECT_GT(p.at(half + half / 2, half, 1), 24);
}

// Mean absolute red difference between column (or row) a and b.
double red_step(const DecodedPicture& p, int a, int b, bool columns) {
  double sum = 0;
  const int n = columns ? p.height : p.width;
  for (int i = 0; i < n; ++i)
    sum +=
        columns ? std::abs(p.at(a, i, 0) - p.at(b, i, 0)) : std::abs(p.at(i, a, 0) - p.at(i, b, 0));
  return sum / n;
}

TEST(Pictures, SmokeTilesWithoutASeam) {
  // The wrap edge is also an edge of JPEG's 8 × 8 blocks, so it is measured against the other
  // block edges inside the picture, which carry the same small coding steps.
  const DecodedPicture p = load("smoke.jpg");
  for (bool columns : {true, false}) {
    SCOPED_TRACE(columns ? "left and right edges" : "top and bottom edges");
    const int n = columns ? p.width : p.height;
    double inside = 0;
    int edges = 0;
    for (int i = 7; i + 1 < n; i += 8, ++edges) inside += red_step(p, i, i + 1, columns);
    inside /= edges;
    EXPECT_LE(red_step(p, n - 1, 0, columns), inside * 1.2 + 0.3);
  }
}

TEST(Pictures, SmokeRedChannelCarriesTheClouds) {
  const DecodedPicture p = load("smoke.jpg");
  double sum = 0, squares = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      sum += p.at(x, y, 0);
      squares += double(p.at(x, y, 0)) * p.at(x, y, 0);
    }
  }
  const double n = double(p.width) * p.height, mean = sum / n;
  EXPECT_GT(mean, 40);
  EXPECT_GT(std::sqrt(squares / n - mean * mean), 25) << "too flat to look like smoke";
}

TEST(Pictures, LetteringAndWebAreLitOnMostlyBlack) {
  for (const char* name : {"logo.jpg", "logo2.jpg", "web.jpg", "thanks.jpg"}) {
    SCOPED_TRACE(name);
    const DecodedPicture p = load(name);
    EXPECT_GT(lit_share(p, 0, 160), 0.02);
    EXPECT_LT(lit_share(p, 0, 24), 0.7);
  }
}

TEST(Pictures, EchoOutlineStaysVisibleUnderTheMagentaTint) {
  // The echo layers are drawn with green cut to a tenth: the outline must not rely on green.
  const DecodedPicture p = load("logo2.jpg");
  EXPECT_GT(lit_share(p, 0, 160), 0.02);
  EXPECT_GT(lit_share(p, 2, 160), 0.02);
}

}  // namespace
