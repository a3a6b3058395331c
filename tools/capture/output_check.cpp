#include "output_check.h"

#include <iterator>

#include "app/media_files.h"
#include "core/settings.h"
#include "host.h"
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
  // A root keeps its slash: "C:" alone would be the drive's working folder.
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
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
    const std::string refusal = folder_refusal(folder);
    if (!refusal.empty()) return {1, output.option + " " + output.path + ": " + refusal};
  }
  if (!o.png_dir.empty() && holds_frame_pictures(o.png_dir))
    return {2, "--png " + o.png_dir +
                   " already holds frame pictures, which would mix with this run's: empty it or "
                   "name another folder"};
  return {};
}
