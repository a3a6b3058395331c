// Writing the settings file where there are POSIX files: a new file renamed over the old one.
#include "core/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

std::string folder_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool write_all(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The mode a plain fopen("wb") would have given a new file.
mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// For a folder that takes no new files but holds a writable config.dat, and for a file with other
// names: written where it is, all 15 bytes in one write, as it always could be.
bool overwrite_in_place(const char* path, const SettingsBytes& bytes) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = write_all(fd, bytes.data(), bytes.size()) &&
                       ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
  return ::close(fd) == 0 && written;
}

// Settings kept behind a symbolic link (a dotfile manager's) are written to the link's target, so
// the link stays. A dangling link gives an empty name: there is no file to write.
std::string file_behind(const char* path) {
  struct stat link {};
  if (::lstat(path, &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char* target = ::realpath(path, nullptr);
  if (target == nullptr) return {};
  std::string resolved = target;
  std::free(target);
  return resolved;
}

}  // namespace

bool write_settings_file(const char* link_or_file, const Settings& s) {
  const SettingsBytes bytes = encode_settings(s);
  const std::string file = file_behind(link_or_file);
  if (file.empty()) return false;
  const char* path = file.c_str();
  // An existing file we may not write stays as it is, even though we could replace it by rename.
  mode_t mode = new_file_mode();
  bool exists = false;
  struct stat old {};
  if (::stat(path, &old) == 0) {
    const int probe = ::open(path, O_WRONLY | O_CLOEXEC);
    if (probe < 0) return false;
    ::close(probe);
    mode = old.st_mode & 07777;
    exists = true;
    // A rename would split the file from its other names, which would keep the old settings.
    if (old.st_nlink > 1) return overwrite_in_place(path, bytes);
  }

  const std::string folder = folder_of(path);
  std::string temp = folder + "/.config.dat.XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return exists && overwrite_in_place(path, bytes);

  const bool written =
      ::fchmod(fd, mode) == 0 && write_all(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), path) != 0) {
    ::unlink(temp.c_str());
    return false;
  }

  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);  // make the rename itself survive a power cut
    ::close(dir);
  }
  return true;
}
