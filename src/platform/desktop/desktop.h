// SIGINT, SIGTERM and SIGHUP end the show the way closing its window does.
#pragma once

void install_quit_signals();
bool quit_signalled();
