// Every 3D file name the game code asks for (string literals ending in .mdl,
// .mat, .lst, .ptx, .xtx or .pal, printf formats included) matches a generated
// asset, so a view never looks up a name the archive lacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
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

// Whether `text` (from `t`) matches the printf format `f` (from `i`): "%s" any
// text, "%02d" and "%0.02d" two digits, "%d" one digit or more, other
// characters themselves in any case.
bool Matches(const std::string& f, std::size_t i, const std::string& text, std::size_t t) {
  if (i == f.size()) return t == text.size();
  if (f[i] == '%') {
    std::size_t j = i + 1;
    while (j < f.size() && (std::isdigit(static_cast<unsigned char>(f[j])) || f[j] == '.')) ++j;
    if (j == f.size()) return false;
    if (f[j] == 'd') {
      const bool two = f.compare(i, j - i, "%02") == 0 || f.compare(i, j - i, "%0.02") == 0;
      for (std::size_t n = 1; t + n <= text.size() && std::isdigit(static_cast<unsigned char>(text[t + n - 1])); ++n) {
        if ((!two || n == 2) && Matches(f, j + 1, text, t + n)) return true;
        if (two && n == 2) break;
      }
      return false;
    }
    for (std::size_t n = t; n <= text.size(); ++n)
      if (Matches(f, j + 1, text, n)) return true;
    return false;
  }
  return t < text.size() && std::tolower(static_cast<unsigned char>(f[i])) == std::tolower(static_cast<unsigned char>(text[t])) &&
         Matches(f, i + 1, text, t + 1);
}

// An asset path (below the 3D data path) matches a name the code forms when
// the name matches the path or the path after one of its directories.
bool Names(const std::string& format, const std::string& path) {
  std::size_t at = 0;
  for (;;) {
    if (Matches(format, 0, path, at)) return true;
    at = path.find('\\', at);
    if (at == std::string::npos) return false;
    ++at;
  }
}

bool IsThreeD(const std::string& lit) {
  const auto dot = lit.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string ext = lit.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "mdl" || ext == "mat" || ext == "lst" || ext == "ptx" || ext == "xtx" || ext == "pal";
}

TEST(Scan3DNames, LiteralsAndFormatsArePickedOut) {
  const auto lits = Literals("// \"a.mdl\"\nx(\"%sBBLarge.mdl\"); char c = '\"'; /* \"b.mat\" */ y(\"%ssun\\\\%s.mat\");");
  EXPECT_EQ(lits, (std::vector<std::string>{"%sBBLarge.mdl", "%ssun\\%s.mat"}));
  EXPECT_TRUE(Names("%ssun\\%s.mat", "sun\\sun0.mat"));
  EXPECT_TRUE(Names("%s%0.02d.mat", "explode\\exp10003.mat"));
  EXPECT_TRUE(Names("aster%d.mdl", "asteroid\\3dAst\\aster12.mdl"));
  EXPECT_FALSE(Names("%s%0.02d.mat", "explode\\exp1003x.mat"));
  EXPECT_FALSE(Names("%sBBHuge.mdl", "BBLarge.mdl"));
}

TEST(Scan3DNames, EveryNameTheGameCodeUsesIsGenerated) {
  const auto catalog = content3d::MakeCatalog(content3d::PlaceholderPicture);
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
        if (!IsThreeD(lit)) continue;
        const bool found = std::any_of(catalog.begin(), catalog.end(),
                                       [&](const content3d::Asset& a) { return Names(lit, a.path); });
        EXPECT_TRUE(found) << lit << " in " << entry.path();
        ++checked;
      }
    }
  }
  RecordProperty("names", checked);
}

}  // namespace
