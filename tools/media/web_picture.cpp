// The web: spokes from a hub and a spiral thread that runs straight from spoke to spoke.
#include <cairo.h>

#include <cmath>
#include <vector>

#include "lettering.h"
#include "pictures.h"
#include "synth.h"

namespace {

constexpr int web_size = 512;
constexpr int spokes = 17;
constexpr double hub_radius = 14;
constexpr double spiral_start = 26;
constexpr double spiral_end = 236;
constexpr double spiral_turns = 13;
constexpr double outer_radius = 252;

struct Point {
  double x, y;
};

// Slightly uneven spoke angles, fixed by a seed, so the web does not look machine-made.
std::vector<double> spoke_angles() {
  Noise noise(0x3EB);
  std::vector<double> angles(spokes);
  for (int k = 0; k < spokes; ++k) angles[k] = 2 * pi * (k + 0.22 * noise.next()) / spokes;
  return angles;
}

Point on_spoke(double angle, double radius) {
  return {web_size / 2.0 + radius * std::cos(angle), web_size / 2.0 + radius * std::sin(angle)};
}

void draw_web(cairo_t* cr) {
  const std::vector<double> angles = spoke_angles();
  cairo_set_line_width(cr, 2.2);
  for (double a : angles) {
    const Point from = on_spoke(a, hub_radius), to = on_spoke(a, outer_radius);
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, to.x, to.y);
  }
  cairo_stroke(cr);

  // Each segment sags a little towards the hub, as threads under tension do.
  cairo_set_line_width(cr, 1.7);
  const int steps = static_cast<int>(spiral_turns * spokes);
  for (int i = 0; i < steps; ++i) {
    const double a0 = angles[i % spokes] + 2 * pi * (i / spokes);
    const double a1 = angles[(i + 1) % spokes] + 2 * pi * ((i + 1) / spokes);
    const double r0 = spiral_start + (spiral_end - spiral_start) * i / steps;
    const double r1 = spiral_start + (spiral_end - spiral_start) * (i + 1) / steps;
    const Point p0 = on_spoke(a0, r0), p1 = on_spoke(a1, r1);
    const Point sag = on_spoke((a0 + a1) / 2, 0.9 * (r0 + r1) / 2);
    if (i == 0) cairo_move_to(cr, p0.x, p0.y);
    cairo_curve_to(cr, (p0.x + 2 * sag.x) / 3, (p0.y + 2 * sag.y) / 3, (p1.x + 2 * sag.x) / 3,
                   (p1.y + 2 * sag.y) / 3, p1.x, p1.y);
  }
  cairo_stroke(cr);

  cairo_set_line_width(cr, 1.5);
  for (double r : {hub_radius, hub_radius * 0.55}) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, web_size / 2.0, web_size / 2.0, r, 0, 2 * pi);
  }
  cairo_stroke(cr);
}

}  // namespace

Picture make_web() {
  Picture web(web_size, web_size);
  const Plane threads = line_drawing(web_size, web_size, draw_web);
  web.add(blur(threads, 5), {0.25, 0.4, 0.8});
  web.add(threads, {0.85, 0.9, 1.0});
  web.multiply(radial_window(web_size, web_size, 150, outer_radius));
  return web;
}
