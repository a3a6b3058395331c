// What the capture asks of the system it runs on, each its own way (host_posix.cpp,
// host_windows.cpp; CMake picks one). Paths are UTF-8, with '/' between folders on both.
#pragma once

#include <string>

// `path` from the working folder, or itself when it is absolute already.
std::string absolute_path(const std::string& path);
std::string working_folder();
// False with why in `error`.
bool change_folder(const std::string& dir, std::string& error);
// Makes `dir` unless it is a folder already; false with why in `error`.
bool make_folder(const std::string& dir, std::string& error);
// One file under both names, however spelt (links, "..", case where names ignore it), whether
// it exists yet or not.
bool same_file(const std::string& a, const std::string& b);
// Empty when files can be made in `folder`; else why not.
std::string folder_refusal(const std::string& folder);
// `dir` holds frame-*.png pictures.
bool holds_frame_pictures(const std::string& dir);
bool stderr_is_terminal();
// Drawing with no display to show it: SDL's offscreen driver (an EGL pbuffer) unless the caller
// chose a driver; where SDL has none (Windows), a window that is never shown.
void use_headless_video();
