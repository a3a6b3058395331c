// One complete picture of the show, drawn into the back buffer.
#pragma once

void draw_frame();
