#include "comets/comet.h"

Comet comets[comet_slots];
std::int32_t comet_count;

void Comet::reset() {}
void Comet::update() {}
void Comet::draw() {}
void reset_comets() {}
void create_comet(Vector3, Vector3, Vector3, const float (&)[3], std::uint32_t, bool) {}
void update_comets() {}
void draw_comets() {}
