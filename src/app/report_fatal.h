#pragma once

// Shuts everything down, then shows the message. The caller ends the program with code -1.
void report_fatal(const char* text, const char* caption);

constexpr int fatal_exit_code = -1;
