// Text and line drawings rendered with cairo into light planes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "image.h"

struct _cairo;

struct TextStyle {
  double width_share;        // widest line spans this share of the picture's width
  double stretch;            // vertical stretch of the letters
  double line_spacing;       // baseline distance in cap heights
  double outline_width = 0;  // 0 fills the letters; otherwise strokes their outlines
};

// Lines of DejaVu Sans Bold, centred; 1 where the letters cover a pixel fully.
Plane lettering(int width, int height, const std::vector<std::string>& lines,
                const TextStyle& style);
// Frees cairo's and fontconfig's caches; call once, after the last drawing.
void release_drawing_caches();
// White antialiased drawing on black, by a function given a cairo context.
Plane line_drawing(int width, int height, const std::function<void(_cairo*)>& draw);
