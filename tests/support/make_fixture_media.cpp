// Writes the small test media set into a folder: `make_fixture_media DIR`.
#include <cstdio>

#include "support/fixtures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fixture_media DIR\n");
    return 2;
  }
  write_fixture_media(argv[1], true);
  return 0;
}
