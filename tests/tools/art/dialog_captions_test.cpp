// The caption table of the game's dialog panels: every screen it names is a
// template of the in-game dialogs and a panel of the shared image module,
// and its captions lie on that panel, clear of each other, in lettering of
// at least 11 pixels.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "paths.h"
#include "tools/art/captions.h"

namespace {

std::string ReadSource(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  EXPECT_TRUE(in) << p;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TEST(DialogCaptions, LieOnTheirPanelClearOfEachOther) {
  const art::Templates templates = art::ReadTemplates(ReadSource(SourceDir() / "data" / "dialogs.rc"));
  const auto screens =
      art::ReadCaptionTable(ReadSource(SourceDir() / "data" / "assets" / "dialog_captions.tab"),
                            art::ReadStringNames(ReadSource(SourceDir() / "data" / "strings" / "strings.txt")));
  const art::Container* module = ProjectInventory().FindContainer("ART/ima.dll");
  ASSERT_NE(module, nullptr);
  int checked = 0;
  for (const auto& s : screens) {
    const art::Asset* panel = nullptr;
    for (const art::Asset& a : module->assets)
      if (Lower(a.name) == Lower(s.backdrop)) panel = &a;
    ASSERT_NE(panel, nullptr) << s.backdrop << " is no picture of the shared module";
    const auto placed = art::LayOutCaptions(s, templates);
    for (std::size_t i = 0; i < placed.size(); ++i) {
      const art::PlacedCaption& c = placed[i];
      EXPECT_GE(c.size, 11) << c.text;
      EXPECT_TRUE(c.box.Inside(panel->width, panel->height)) << s.backdrop << " \"" << c.text << "\"";
      for (std::size_t j = i + 1; j < placed.size(); ++j)
        EXPECT_FALSE(c.box.Overlaps(placed[j].box)) << c.text << " overlaps " << placed[j].text;
      ++checked;
    }
  }
  EXPECT_GE(checked, 9);
}
