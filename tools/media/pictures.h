// The six pictures of the show. Each is drawn for additive blending on black: black adds
// nothing, so everything around the subject is black, and clamped pictures have black edges.
#pragma once

#include "image.h"

// The comet sprite: a soft round glow, white-hot in the middle, black well inside the square.
Picture make_comet_sprite();
// Seamlessly tiling smoke; the show sees only its red channel.
Picture make_smoke();
// "SWIRLBEAM", bold and glowing.
Picture make_logo();
// The outline of the same lettering, grey so that the show's magenta tint shows.
Picture make_logo_outline();
// A radial web of spokes and spiral threads.
Picture make_web();
// "THANKS FOR WATCHING".
Picture make_thanks_picture();
