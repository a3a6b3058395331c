#include <cstdio>
#include <string>

#include "platform/backend.h"

void print_message_line(const char* text, const char* caption) {
  std::string line = std::string("swirlbeam: ") + caption + ": " + text;
  while (!line.empty() && line.back() == '\n') line.pop_back();
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}
