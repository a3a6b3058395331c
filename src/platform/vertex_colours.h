#pragma once

// Whether a colour given between glBegin and glEnd draws exactly as one given before glBegin
// (vertex_colours.cpp of each platform).
bool vertex_colours_exact();
