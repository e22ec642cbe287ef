// The caption table against the screens it captions: every control a player
// types into or picks from has a caption, and every caption lies on the
// backdrop, clear of the template's controls, of the buttons the screens place
// in code, of the name banner and of the other captions, in lettering of at
// least 11 pixels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "media/ImaImage.h"
#include "paths.h"
#include "platform/display/backend.h"
#include "platform/resource/module.h"
#include "tools/art/canvas.h"
#include "tools/art/captions.h"

namespace {

// The captions are measured with the font library, whose caches live for the
// process: they are let go when the tests end, so the leak check sees none.
class ReleaseFontCaches : public ::testing::Environment {
 public:
  void TearDown() override { art::ReleaseDrawingCaches(); }
};
[[maybe_unused]] ::testing::Environment* const kReleaseFontCaches =
    ::testing::AddGlobalTestEnvironment(new ReleaseFontCaches);

std::string Read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  EXPECT_TRUE(in) << p;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct Project {
  art::Templates templates = art::ReadTemplates(Read(SourceDir() / "data" / "frontend.rc"));
  std::vector<art::ScreenCaptions> screens =
      art::ReadCaptionTable(Read(SourceDir() / "data" / "assets" / "captions.tab"),
                            art::ReadStringNames(Read(SourceDir() / "data" / "strings" / "strings.txt")));
};

const Project& TheProject() {
  static const Project project;
  return project;
}

// The buttons each screen's code places, by its backdrop: the screen's source
// names its backdrop and lists its buttons as {id, x, y, width, height, "image", ...}.
std::map<std::string, std::vector<art::Box>> CodeButtons() {
  std::map<std::string, std::vector<art::Box>> out;
  constexpr std::string_view kBackdrop = "Screen(app, \"";
  for (const auto& entry : std::filesystem::directory_iterator(SourceDir() / "Game" / "frontend")) {
    if (entry.path().extension() != ".cpp") continue;
    const std::string code = Read(entry.path());
    const std::size_t named = code.find(kBackdrop);
    if (named == std::string::npos) continue;
    const std::size_t start = named + kBackdrop.size();
    const std::string backdrop = code.substr(start, code.find('"', start) - start);
    if (backdrop.size() < 5 || backdrop.compare(backdrop.size() - 4, 4, ".ima") != 0) continue;
    auto& boxes = out[Lower(backdrop)];
    for (std::size_t at = code.find('{'); at != std::string::npos; at = code.find('{', at + 1)) {
      int id = 0, x = 0, y = 0, w = 0, h = 0, used = 0;
      char image[64] = {};
      if (std::sscanf(code.c_str() + at, "{%d, %d, %d, %d, %d, \"%63[a-z0-9.]\"%n", &id, &x, &y, &w, &h, image, &used) <
              6 ||
          used == 0)
        continue;
      const std::string_view name(image);
      if (name.size() > 4 && name.substr(name.size() - 4) == ".ima")
        boxes.push_back({double(x), double(y), double(w), double(h)});
    }
  }
  return out;
}

std::string Where(const art::ScreenCaptions& s, const art::PlacedCaption& c) {
  return s.backdrop + " \"" + c.text + "\" at " + std::to_string(c.box.x) + "," + std::to_string(c.box.y);
}

}  // namespace

TEST(Captions, EveryTypedOrPickedControlOfTheFrontEndScreensHasACaption) {
  const Project& p = TheProject();
  std::set<std::string> captioned;
  for (const auto& s : p.screens) {
    for (const auto& line : s.lines) {
      if (line.control.empty()) continue;
      captioned.insert(line.control);
      // an up-down's caption names the number of the edit it sits beside
      constexpr std::string_view kSpin = "_SPIN";
      if (line.control.ends_with(kSpin)) captioned.insert(line.control.substr(0, line.control.size() - kSpin.size()));
    }
  }
  int fields = 0;
  for (const auto& [dialog, controls] : p.templates) {
    for (const auto& c : controls) {
      if (c.kind == "CONTROL") continue;  // up-downs and buttons label themselves or sit beside an edit
      EXPECT_TRUE(captioned.count(c.name)) << dialog << " " << c.name << " has no caption";
      ++fields;
    }
  }
  EXPECT_GE(fields, 19);
}

TEST(Captions, LieOnTheBackdropClearOfControlsBannerAndEachOther) {
  const Project& p = TheProject();
  const auto buttons = CodeButtons();
  std::size_t read = 0;
  for (const auto& [backdrop, boxes] : buttons) read += boxes.size();
  ASSERT_GT(read, 100u) << "the screens' own buttons were not read from their code";
  int checked = 0;
  for (const auto& s : p.screens) {
    const auto placed = art::LayOutCaptions(s, p.templates);
    const art::Box banner = art::BannerBox(s);
    const auto code = buttons.find(Lower(s.backdrop));
    // A panel over a screen (the login box) is captioned in its own pixels.
    std::pair<int, int> size{0, 0};
    for (const auto& container : ProjectInventory().containers)
      if (const art::Asset* a = container.Find(s.backdrop); a && size.first == 0) size = {a->width, a->height};
    ASSERT_GT(size.first, 0) << s.backdrop << " is no picture of the inventory";
    for (std::size_t i = 0; i < placed.size(); ++i) {
      const art::PlacedCaption& c = placed[i];
      EXPECT_GE(c.size, 11) << Where(s, c);
      EXPECT_TRUE(c.box.Inside(size.first, size.second)) << Where(s, c);
      if (s.backdrop != "main.ima") {
        EXPECT_FALSE(c.box.Overlaps(banner)) << Where(s, c) << " is under the banner";
      }
      for (const auto& t : p.templates.at(s.dialog)) {
        EXPECT_FALSE(c.box.Overlaps(t.place)) << Where(s, c) << " covers " << t.name;
      }
      if (code != buttons.end()) {
        for (const art::Box& b : code->second) {
          EXPECT_FALSE(c.box.Overlaps(b)) << Where(s, c) << " covers a button at " << b.x << "," << b.y;
        }
      }
      for (std::size_t j = i + 1; j < placed.size(); ++j) {
        EXPECT_FALSE(c.box.Overlaps(placed[j].box)) << Where(s, c) << " overlaps \"" << placed[j].text << "\"";
      }
      ++checked;
    }
    // The banner itself must not lie under the screen's buttons.
    if (code != buttons.end() && s.backdrop != "main.ima") {
      for (const art::Box& b : code->second) {
        EXPECT_FALSE(banner.Overlaps(b)) << s.backdrop << " banner under a button at " << b.x << "," << b.y;
      }
    }
  }
  EXPECT_GT(checked, 60);
}

TEST(Captions, EveryScreenWithButtonsInCodeIsFoundByTheButtonReader) {
  // Guards the reader above: were it to find nothing, the overlap checks would pass vacuously.
  const auto buttons = CodeButtons();
  for (const char* backdrop : {"main.ima", "bkgnd.ima", "bkgnd4.ima", "bkgnd9.ima", "bkgnd11.ima", "bkgnd15.ima"}) {
    const auto it = buttons.find(backdrop);
    ASSERT_NE(it, buttons.end()) << backdrop;
    EXPECT_GE(it->second.size(), 3u) << backdrop;
  }
}

TEST(Captions, TableAndTemplateErrorsNameTheirLine) {
  const std::map<std::string, std::string> strings{{"A", "alpha"}};
  EXPECT_THROW(art::ReadCaptionTable("IDC_X left Name\n", strings), std::runtime_error);  // before a screen
  EXPECT_THROW(art::ReadCaptionTable("screen a.ima IDD_A\n IDC_X sideways Name\n", strings), std::runtime_error);
  EXPECT_THROW(art::ReadCaptionTable("screen a.ima IDD_A\n at 1 2 $B\n", strings), std::runtime_error);
  EXPECT_THROW(art::ReadCaptionTable("screen a.ima IDD_A\n at 1\n", strings), std::runtime_error);
  const auto ok = art::ReadCaptionTable("screen a.ima IDD_A banner 400\n at 1 2 $A\n", strings);
  ASSERT_EQ(ok.size(), 1u);
  EXPECT_EQ(ok[0].bannerY, 400);
  EXPECT_EQ(ok[0].lines.at(0).text, "alpha");
  EXPECT_TRUE(ok[0].module.empty());
  // A backdrop whose name another module's picture shares is captioned in its own module only.
  const auto scoped = art::ReadCaptionTable("screen a.ima IDD_A in ART/ima.dll\n at 1 2 $A\n", strings);
  ASSERT_EQ(scoped.size(), 1u);
  EXPECT_EQ(scoped[0].module, "ART/ima.dll");
  EXPECT_EQ(art::ReadCaptionTable("screen a.ima IDD_A banner 9 in ART/x.dll\n", strings).at(0).bannerY, 9);
  EXPECT_THROW(art::ReadCaptionTable("screen a.ima IDD_A in\n", strings), std::runtime_error);
  EXPECT_THROW(art::ReadCaptionTable("screen a.ima IDD_A sideways 3\n", strings), std::runtime_error);
  EXPECT_THROW(art::ReadTemplates("IDD_A DIALOG 0, 0, 10, 10\nBEGIN\n EDITTEXT IDC_A, 1, 2\nEND\n"),
               std::runtime_error);
  // A caption of a control its template lacks is an error, not a caption at 0, 0.
  const art::Templates t =
      art::ReadTemplates("IDD_A DIALOG 0, 0, 10, 10\nBEGIN\n EDITTEXT IDC_A, 10, 20, 30, 13\nEND\n");
  EXPECT_THROW(art::LayOutCaptions(art::ReadCaptionTable("screen a.ima IDD_A\n IDC_B left B\n", strings)[0], t),
               std::runtime_error);
  const auto placed = art::LayOutCaptions(art::ReadCaptionTable("screen a.ima IDD_A\n IDC_A below B\n", strings)[0], t);
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_GE(placed[0].box.y, t.at("IDD_A")[0].place.y + t.at("IDD_A")[0].place.h);
}

// The login panel as the data build drew it: each of its edits' captions
// shows lettering, brighter than the dark inset it sits on, left of its edit;
// the panel is written for review (build/<preset>/contact/login.png).
TEST(Captions, TheBuiltLoginPanelShowsItsFieldCaptions) {
  const Project& p = TheProject();
  const auto screen =
      std::find_if(p.screens.begin(), p.screens.end(), [](const auto& s) { return s.dialog == "IDD_LOGIN"; });
  ASSERT_NE(screen, p.screens.end());
  const auto placed = art::LayOutCaptions(*screen, p.templates);
  ASSERT_EQ(placed.size(), 2u);
  const art::Container* frontEnd = nullptr;
  for (const auto& c : ProjectInventory().containers)
    if (c.isModule && c.Find("login.ima")) frontEnd = &c;
  ASSERT_NE(frontEnd, nullptr);
  plat::HMODULE module = plat::LoadLibrary(HostPath(*frontEnd).string().c_str());
  ASSERT_NE(module, nullptr) << HostPath(*frontEnd);
  // The bytes live in the module: copied before it is let go.
  const auto view = plat::ResourceBytes(module, plat::ResName("login.ima"), plat::ResName("IMA"));
  const std::vector<std::uint8_t> bytes(view.begin(), view.end());
  plat::FreeLibrary(module);
  const auto layout = ReadImaHeader(bytes);
  ASSERT_TRUE(layout && HoldsAllPixels(*layout, bytes.size()));
  plat::Image panel;
  panel.width = static_cast<int>(layout->width);
  panel.height = static_cast<int>(layout->height);
  panel.rgb.resize(static_cast<std::size_t>(panel.width) * panel.height);
  for (int y = 0; y < panel.height; ++y)
    for (int x = 0; x < panel.width; ++x) {
      // Bottom row first, 5-6-5.
      const std::size_t at =
          layout->pixelOffset + 2 * (static_cast<std::size_t>(panel.height - 1 - y) * panel.width + x);
      const std::uint32_t px = bytes[at] | (std::uint32_t{bytes[at + 1]} << 8);
      const std::uint32_t r = (px >> 11) << 3, g = ((px >> 5) & 63) << 2, b = (px & 31) << 3;
      panel.rgb[static_cast<std::size_t>(y) * panel.width + x] = (r << 16) | (g << 8) | b;
    }
  auto bright = [&](const art::Box& box) {
    int count = 0;
    for (int y = static_cast<int>(box.y); y < static_cast<int>(box.y + box.h); ++y)
      for (int x = static_cast<int>(box.x); x < static_cast<int>(box.x + box.w); ++x) {
        const std::uint32_t c = panel.rgb[static_cast<std::size_t>(y) * panel.width + x];
        count += ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) > 450;
      }
    return count;
  };
  for (const auto& c : placed) {
    ASSERT_TRUE(c.box.Inside(panel.width, panel.height)) << c.text;
    // Lettering 14 pixels high leaves well over a pixel per letter lit.
    EXPECT_GT(bright(c.box), static_cast<int>(c.text.size()) * 3) << c.text;
  }
  // The same place with no caption, below the panel's title: no lettering.
  EXPECT_LT(bright({20, 60, 60, 18}), 3);
  const std::filesystem::path out = std::filesystem::path(QUEN_BUILD_DIR) / "contact" / "login.png";
  std::filesystem::create_directories(out.parent_path());
  EXPECT_TRUE(plat::WritePng(out, panel));
}
