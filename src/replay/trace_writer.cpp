#include "replay/trace_writer.h"

#include <cerrno>
#include <cstring>

#include "app/effects.h"
#include "comets/comet.h"
#include "core/rng.h"

namespace {

void append_float(std::string& out, float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  out += text;
}

void append_field(std::string& out, const char* name, float value, bool first = false) {
  if (!first) out += ',';
  out += '"';
  out += name;
  out += "\":";
  append_float(out, value);
}

void append_vector(std::string& out, const char* name, const Vector3& v) {
  out += ",\"";
  out += name;
  out += "\":[";
  append_float(out, v.x);
  out += ',';
  append_float(out, v.y);
  out += ',';
  append_float(out, v.z);
  out += ']';
}

void append_effects(std::string& out) {
  const EffectState& e = effects;
  out += "\"effects\":{";
  append_field(out, "flash_alpha", e.flash_alpha, true);
  append_field(out, "echo_alpha", e.echo_alpha);
  append_field(out, "logo_z", e.logo_z);
  append_field(out, "web_alpha", e.web_alpha);
  append_field(out, "thanks_alpha", e.thanks_alpha);
  append_field(out, "background_angle", e.background_angle);
  append_field(out, "background_alpha", e.background_alpha);
  append_field(out, "smoke_scroll", e.smoke_scroll);
  append_field(out, "web_angle", e.web_angle);
  append_field(out, "scene_angle", e.scene_angle);
  append_field(out, "fade_alpha", e.fade_alpha);
  out += '}';
}

void append_comets(std::string& out) {
  out += "\"comets\":[";
  for (int slot = 0; slot < comet_count; ++slot) {
    const Comet& c = comets[slot];
    if (slot > 0) out += ',';
    out += "{\"slot\":" + std::to_string(slot);
    append_vector(out, "position", c.position);
    append_vector(out, "velocity", c.velocity);
    append_field(out, "alpha", c.alpha);
    out += ",\"target_index\":" + std::to_string(c.target_index) + '}';
  }
  out += ']';
}

}  // namespace

std::string trace_line(int frame, int step) {
  std::string out;
  out.reserve(1024);
  out += "{\"frame\":" + std::to_string(frame);
  if (step >= 0) out += ",\"step\":" + std::to_string(step);
  out += ",\"stage\":" + std::to_string(effects.stage);
  out += ",\"rng\":" + std::to_string(rng_state()) + ',';
  append_effects(out);
  out += ',';
  append_comets(out);
  out += '}';
  return out;
}

TraceWriter::~TraceWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool TraceWriter::open(const std::string& path, std::string& error) {
  path_ = path;
  // Binary: the same bytes on every system, without Windows' CR before each line's end.
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) error = path + ": " + std::strerror(errno);
  return file_ != nullptr;
}

bool TraceWriter::write(int frame, int step) {
  const std::string line = trace_line(frame, step) + '\n';
  return std::fwrite(line.data(), 1, line.size(), file_) == line.size();
}

bool TraceWriter::close(std::string& error) {
  if (file_ == nullptr) return true;
  const bool ok = std::ferror(file_) == 0 && std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok) error = path_ + ": " + std::strerror(errno);
  return ok;
}
