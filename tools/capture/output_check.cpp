#include "output_check.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "app/media_files.h"
#include "core/settings.h"
#include "video_formats.h"
#include "video_pipe.h"

const std::vector<std::string> show_media_files = [] {
  std::vector<std::string> names = {settings_file_name};
  names.insert(names.end(), std::begin(media_files), std::end(media_files));
  return names;
}();

namespace {

struct Output {
  std::string option;  // "--video"
  std::string path;    // the file itself or one of its side files
};

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

bool same_file(const std::string& a, const std::string& b) {
  return same_file_key(a) == same_file_key(b) || same_inode(a, b);
}

std::vector<Output> outputs_of(const CaptureOptions& o) {
  std::vector<Output> list;
  const auto add = [&](const char* option, const std::string& path) {
    if (!path.empty()) list.push_back({option, path});
  };
  add("--png", o.png_dir);
  add("--audio", o.audio_file);
  add("--trace", o.trace_file);
  add("--contact-sheet", o.contact_sheet_file);
  if (!o.video_file.empty()) {
    add("--video", o.video_file);
    add("--video", partial_path_of(o.video_file));
    if (!o.audio_file.empty()) add("--video", pictures_path_of(o.video_file, publishing_video(1)));
  }
  if (!o.master_file.empty()) {
    add("--master", o.master_file);
    add("--master", partial_path_of(o.master_file));
    add("--master", pictures_path_of(o.master_file, lossless_master()));
    if (o.audio_file.empty()) add("--master", o.master_file + ".sound.wav");
  }
  return list;
}

bool holds_frames(const std::string& dir) {
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

std::string working_folder() {
  char cwd[PATH_MAX];
  return getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
}

}  // namespace

OutputProblem check_outputs(const CaptureOptions& o) {
  const std::vector<Output> outputs = outputs_of(o);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (outputs[i].option != outputs[j].option && same_file(outputs[i].path, outputs[j].path))
        return {2, outputs[i].option + " and " + outputs[j].option + " both write " +
                       outputs[j].path + ": give each its own file"};
    }
  }
  const std::string media = o.media_dir.empty() ? working_folder() : o.media_dir;
  for (const Output& output : outputs) {
    for (const std::string& name : show_media_files) {
      if (same_file(output.path, media + "/" + name))
        return {2, output.option + " " + output.path + " is the show's own " + name +
                       ", which the next run would load: write it elsewhere"};
    }
  }
  for (const Output& output : outputs) {
    const std::string folder = folder_of(output.path);
    if (access(folder.c_str(), W_OK) != 0)
      return {1, output.option + " " + output.path + ": " + folder + ": " + std::strerror(errno)};
  }
  if (!o.png_dir.empty() && holds_frames(o.png_dir))
    return {2, "--png " + o.png_dir +
                   " already holds frame pictures, which would mix with this run's: empty it or "
                   "name another folder"};
  return {};
}
