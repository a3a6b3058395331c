// The music's instruments, each one synthesised 16-bit sample with its envelope.
#pragma once

#include "xm_writer.h"

// Tonal instruments sound in their written pitch: C-4 is middle C.
xm::Instrument make_pad();
xm::Instrument make_bass();
xm::Instrument make_lead();
xm::Instrument make_pluck();
// Drums and effects sound as recorded when played at C-4.
xm::Instrument make_kick();
xm::Instrument make_snare();
xm::Instrument make_hat();
xm::Instrument make_crash();
xm::Instrument make_riser();
