#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host.h"
#include "replay/show_session.h"

namespace {

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// One spelling for one file: its folder resolved (links, "..") and its own name; a file that is
// a link is followed.
std::string same_file_key(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  const std::string folder = folder_of(path);
  const std::string name = path.substr(path.rfind('/') + 1);
  if (realpath(folder.c_str(), resolved) == nullptr) return path;
  return std::string(resolved) + "/" + name;
}

// Hard links are one file under two names.
bool same_inode(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

std::string absolute_path(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::vector<char> cwd(4096);
  if (getcwd(cwd.data(), cwd.size()) == nullptr) return path;
  return std::string(cwd.data()) + "/" + path;
}

std::string working_folder() {
  char cwd[PATH_MAX];
  return getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
}

bool change_folder(const std::string& dir, std::string& error) {
  if (chdir(dir.c_str()) == 0) return true;
  error = dir + ": " + std::strerror(errno);
  return false;
}

bool make_folder(const std::string& dir, std::string& error) {
  if (mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST) {
    struct stat info {};
    if (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
  }
  error = dir + ": " + std::strerror(errno);
  return false;
}

bool same_file(const std::string& a, const std::string& b) {
  return same_file_key(a) == same_file_key(b) || same_inode(a, b);
}

std::string folder_refusal(const std::string& folder) {
  if (access(folder.c_str(), W_OK) == 0) return {};
  return folder + ": " + std::strerror(errno);
}

bool holds_frame_pictures(const std::string& dir) {
  DIR* folder = opendir(dir.c_str());
  if (folder == nullptr) return false;
  bool found = false;
  while (dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.rfind("frame-", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".png")
      found = true;
  }
  closedir(folder);
  return found;
}

bool stderr_is_terminal() {
  return isatty(STDERR_FILENO) == 1;
}

void use_headless_video() {
  use_offscreen_video();
}
