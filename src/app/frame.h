// One complete picture of the show, drawn into the back buffer.
#pragma once

// Always true.
bool draw_frame();
