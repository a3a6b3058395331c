// What the page keeps in its own languages of the program's lists and texts: the form's
// resolutions and depths by index, the dialog's labels, the media's names and the messages for a
// file the show cannot use. A copy that drifts fails here, not on a player's page.
#include <dirent.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/media_files.h"
#include "app/scene.h"
#include "app/startup.h"
#include "gtest/gtest.h"
#include "ui/dialog_model.h"
#include "ui/dialog_template.h"

namespace {

const std::string web = std::string(SWIRLBEAM_SOURCE_DIR) + "/web/";

std::string read_text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every page script, however the page splits its code between them.
std::string all_scripts() {
  std::string text;
  DIR* folder = opendir(web.c_str());
  if (folder == nullptr) return text;
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".js") == 0) {
      text += read_text(web + name);
    }
  }
  closedir(folder);
  return text;
}

std::vector<std::string> matches(const std::string& text, const std::regex& pattern) {
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.push_back((*it)[1]);
  }
  return found;
}

// A C++ text as a JavaScript string literal's inside holds it.
std::string as_js(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return std::regex_replace(text, std::regex("\n"), "\\n");
}

TEST(PageCopies, TheFormHoldsTheDialogsResolutionsDepthsAndLabelsInItsOrder) {
  const std::string page = read_text(web + "index.html");
  std::smatch select;
  ASSERT_TRUE(
      std::regex_search(page, select, std::regex("<select id=\"resolution\"[^]*?</select>")));
  const std::vector<std::string> options =
      matches(select.str(), std::regex("<option>([^<]*)</option>"));
  ASSERT_EQ(options.size(), static_cast<std::size_t>(resolution_count));
  for (int i = 0; i < resolution_count; ++i) EXPECT_EQ(options[i], resolutions[i].text) << i;

  const std::vector<std::string> depths = matches(page, std::regex("id=\"depth(\\d+)\""));
  ASSERT_EQ(depths.size(), static_cast<std::size_t>(depth_count));
  for (int i = 0; i < depth_count; ++i) EXPECT_EQ(depths[i], std::to_string(depth_bits[i])) << i;

  // Each label whole, its access key underlined and its lines broken as the page writes them.
  for (const DialogControl& control : dialog_controls) {
    if (control.caption == nullptr || *control.caption == '\0') continue;
    std::string label = std::regex_replace(control.caption, std::regex("&(.)"), "<u>$1</u>");
    label = std::regex_replace(label, std::regex("\n"), "<br>");
    EXPECT_NE(page.find(">" + label + "<"), std::string::npos) << label;
  }
}

TEST(PageCopies, TheScriptsNameTheShowsMediaAndMessagesAsTheProgramDoes) {
  const std::string scripts = all_scripts();
  std::smatch list;
  ASSERT_TRUE(std::regex_search(scripts, list, std::regex("\\[\\s*'texture\\.jpg'[^\\]]*\\]")));
  const std::vector<std::string> names = matches(list.str(), std::regex("'([^']*)'"));
  ASSERT_EQ(names.size(), static_cast<std::size_t>(media_file_count));
  for (int i = 0; i < media_file_count; ++i) EXPECT_EQ(names[i], media_files[i]) << i;

  for (const char* message :
       {settings_load_failure, music_load_failure, sample_load_failure, texture_load_failure}) {
    EXPECT_NE(scripts.find("'" + as_js(message) + "'"), std::string::npos) << message;
  }
}

}  // namespace
