// Every 3D file name the game code asks for (string literals ending in .mdl,
// .mat, .lst, .ptx, .xtx or .pal, printf formats included) matches a generated
// asset, so a view never looks up a name the archive lacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "tests/support/source_scan.h"
#include "tools/content3d/content3d.h"

namespace {

// The string literals of C++ source, outside comments and character literals.
std::vector<std::string> Literals(const std::string& src) {
  std::vector<std::string> out;
  for (const auto& token : quentest::TokenizeSource(src)) {
    if (token.kind == quentest::SourceToken::kString) out.push_back(token.text);
  }
  return out;
}

// An asset path (below the 3D data path) matches a name the code forms when
// the name matches the path or the path after one of its directories.
bool Names(const std::string& format, const std::string& path) {
  std::size_t at = 0;
  for (;;) {
    if (quentest::FormatMatches(format, std::string_view(path).substr(at))) return true;
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
  const auto lits =
      Literals("// \"a.mdl\"\nx(\"%sBBLarge.mdl\"); char c = '\"'; /* \"b.mat\" */ y(\"%ssun\\\\%s.mat\");");
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
  quentest::ForEachSourceFile(QUEN_SOURCE_DIR, {"Game", "media"}, {".cpp", ".h"},
                              [&](const std::filesystem::path& file, const std::string& text) {
                                for (const auto& lit : Literals(text)) {
                                  if (!IsThreeD(lit)) continue;
                                  const bool found =
                                      std::any_of(catalog.begin(), catalog.end(),
                                                  [&](const content3d::Asset& a) { return Names(lit, a.path); });
                                  EXPECT_TRUE(found) << lit << " in " << file;
                                  ++checked;
                                }
                              });
  RecordProperty("names", checked);
}

}  // namespace
