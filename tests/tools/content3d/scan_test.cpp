// Every 3D file name the game code asks for (string literals ending in .mdl,
// .mat, .lst, .ptx, .xtx or .pal, printf formats included) matches a generated
// asset, so a view never looks up a name the archive lacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "tools/content3d/content3d.h"

namespace {

// The string literals of C++ source, outside comments and character literals.
std::vector<std::string> Literals(const std::string& src) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < src.size(); ++i) {
    if (src.compare(i, 2, "//") == 0) {
      i = src.find('\n', i);
      if (i == std::string::npos) break;
    } else if (src.compare(i, 2, "/*") == 0) {
      i = src.find("*/", i + 2);
      if (i == std::string::npos) break;
      ++i;
    } else if (src[i] == '\'' && (i == 0 || !std::isalnum(static_cast<unsigned char>(src[i - 1])))) {
      while (++i < src.size() && src[i] != '\'') i += src[i] == '\\';
    } else if (src[i] == '"') {
      std::string text;
      while (++i < src.size() && src[i] != '"') {
        if (src[i] == '\\' && i + 1 < src.size()) ++i;
        text += src[i];
      }
      out.push_back(text);
    }
  }
  return out;
}

// A format such as "%ssun\%s.mat" as a pattern over asset paths (which are
// below the 3D data path, the usual leading "%s").
std::regex Pattern(const std::string& name) {
  std::string re = "(^|.*\\\\)";
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '%') {
      std::size_t j = i + 1;
      while (j < name.size() && (std::isdigit(static_cast<unsigned char>(name[j])) || name[j] == '.')) ++j;
      if (j < name.size() && name[j] == 'd') {
        re += name.compare(i, j - i, "%0.02d") == 0 || name.compare(i, j - i, "%02d") == 0 ? "\\d\\d" : "\\d+";
      } else {
        re += ".*";
      }
      i = j;
    } else if (std::isalnum(static_cast<unsigned char>(name[i]))) {
      re += name[i];
    } else {
      re += std::string("\\") + name[i];
    }
  }
  return std::regex(re + "$", std::regex::icase);
}

TEST(Scan3DNames, LiteralsAndFormatsArePickedOut) {
  const auto lits = Literals("// \"a.mdl\"\nx(\"%sBBLarge.mdl\"); char c = '\"'; /* \"b.mat\" */ y(\"%ssun\\\\%s.mat\");");
  EXPECT_EQ(lits, (std::vector<std::string>{"%sBBLarge.mdl", "%ssun\\%s.mat"}));
  EXPECT_TRUE(std::regex_match("sun\\sun0.mat", Pattern("%ssun\\%s.mat")));
  EXPECT_TRUE(std::regex_match("explode\\exp10003.mat", Pattern("%s%0.02d.mat")));
  EXPECT_FALSE(std::regex_match("BBLarge.mdl", Pattern("%sBBHuge.mdl")));
}

TEST(Scan3DNames, EveryNameTheGameCodeUsesIsGenerated) {
  const auto catalog = content3d::MakeCatalog();
  static const std::regex kThreeD(R"(.*\.(mdl|mat|lst|ptx|xtx|pal)$)", std::regex::icase);
  int checked = 0;
  for (const char* dir : {"Game", "media"}) {
    const auto root = std::filesystem::path(QUEN_SOURCE_DIR) / dir;
    if (!std::filesystem::exists(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      const auto ext = entry.path().extension();
      if (ext != ".cpp" && ext != ".h") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      for (const auto& lit : Literals(text.str())) {
        if (!std::regex_match(lit, kThreeD) || lit == ".mat" || lit == ".xtx" || lit == ".ptx") continue;
        const std::regex pattern = Pattern(lit);
        const bool found = std::any_of(catalog.begin(), catalog.end(),
                                       [&](const content3d::Asset& a) { return std::regex_match(a.path, pattern); });
        EXPECT_TRUE(found) << lit << " in " << entry.path();
        ++checked;
      }
    }
  }
  RecordProperty("names", checked);
}

}  // namespace
