#include "support/temp_dir.h"

#include <filesystem>
#include <random>
#include <stdexcept>

// In the system's temporary folder (/tmp, or Windows' own), under a name no other test takes.
TempDir::TempDir() {
  namespace fs = std::filesystem;
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / ("swirlbeam-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      fs::permissions(candidate, fs::perms::owner_all, error);  // as mkdtemp makes it
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}
