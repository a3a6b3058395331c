#include "lettering.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr const char* font_family = "DejaVu Sans";

// Drawing in an 8-bit coverage mask, read back as a plane.
Plane draw_mask(int width, int height, const std::function<void(cairo_t*)>& draw) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  const cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  Plane plane(width, height);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) plane.at(x, y) = data[y * stride + x] / 255.0;
  }
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string("cairo: ") + cairo_status_to_string(status));
  return plane;
}

// Outline shapes without hinting, so the letters do not depend on the screen's font settings.
void set_font(cairo_t* cr) {
  cairo_select_font_face(cr, font_family, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

}  // namespace

Plane lettering(int width, int height, const std::vector<std::string>& lines,
                const TextStyle& style) {
  return draw_mask(width, height, [&](cairo_t* cr) {
    set_font(cr);
    cairo_set_font_size(cr, 100);
    double widest = 0;
    for (const std::string& line : lines) {
      cairo_text_extents_t e;
      cairo_text_extents(cr, line.c_str(), &e);
      widest = std::max(widest, e.width);
    }
    const double size = 100 * style.width_share * width / widest;
    cairo_set_font_size(cr, size);
    cairo_text_extents_t cap;
    cairo_text_extents(cr, "H", &cap);
    const double cap_height = -cap.y_bearing * style.stretch;
    const double block = cap_height * (1 + style.line_spacing * (lines.size() - 1));
    double baseline = (height - block) / 2 + cap_height;
    for (const std::string& line : lines) {
      cairo_text_extents_t e;
      cairo_text_extents(cr, line.c_str(), &e);
      cairo_save(cr);
      cairo_translate(cr, (width - e.width) / 2 - e.x_bearing, baseline);
      cairo_scale(cr, 1, style.stretch);
      cairo_move_to(cr, 0, 0);
      cairo_text_path(cr, line.c_str());
      cairo_restore(cr);
      baseline += cap_height * style.line_spacing;
    }
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    if (style.outline_width > 0) {
      cairo_set_line_width(cr, style.outline_width);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_stroke(cr);
    } else {
      cairo_fill(cr);
    }
  });
}

Plane line_drawing(int width, int height, const std::function<void(_cairo*)>& draw) {
  return draw_mask(width, height, [&](cairo_t* cr) {
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    draw(cr);
  });
}

void release_drawing_caches() {
  cairo_debug_reset_static_data();
  FcFini();
}
