// What the outputs can be, checked before the first frame: no two on one file, none on a file the
// show reads, each in a folder that takes files, and no earlier frames in a --png folder.
#pragma once

#include <string>
#include <vector>

#include "options.h"

struct OutputProblem {
  int status = 0;  // 0: none; 2: outputs that must not be taken; 1: a folder that cannot be written
  std::string message;  // one line
};

// The media files the show reads from its folder.
extern const std::vector<std::string> show_media_files;

// Paths absolute, as the run takes them.
OutputProblem check_outputs(const CaptureOptions& options);
