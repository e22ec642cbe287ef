// Reading the inventory texts: expansion, button states, blocks and refusals.

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "tools/art/inventory.h"

namespace {

art::Inventory Parse(const std::string& text) {
  art::Inventory inv;
  art::ParseInventory(text, "test.txt", inv);
  return inv;
}

std::vector<std::string> Names(const art::Container& c) {
  std::vector<std::string> out;
  for (const auto& a : c.assets) out.push_back(a.name);
  return out;
}

}  // namespace

TEST(Inventory, ExpandsBracesLeftToRight) {
  EXPECT_EQ(art::ExpandBraces("a{x,y}b{1..3}"),
            (std::vector<std::string>{"axb1", "axb2", "axb3", "ayb1", "ayb2", "ayb3"}));
  EXPECT_EQ(art::ExpandBraces("f{08..10}.ima"), (std::vector<std::string>{"f08.ima", "f09.ima", "f10.ima"}));
  EXPECT_EQ(art::ExpandBraces("plain{}.ima"), (std::vector<std::string>{"plain{}.ima"}));
  EXPECT_EQ(art::ExpandBraces("{3..1}"), (std::vector<std::string>{"{3..1}"}));
}

TEST(Inventory, ButtonStatesComeFromNamesOrTheLastGroup) {
  const auto inv = Parse(
      "module ART/GUILD{1..2}/guild.dll\n"
      "button 10x8 up.ima down.ima grey.ima : Go  # a comment\n"
      "choice 10x8 sfx{a,b}{u,d,s,g}.ima\n"
      "module ART/GUILD1/guild.dll ART/ima.dll\n"
      "icon 4x4 up.ima other.ima\n");
  ASSERT_EQ(inv.containers.size(), 3u);
  EXPECT_EQ(inv.containers[2].path, "ART/ima.dll");
  EXPECT_EQ(inv.containers[2].guild, -1);
  EXPECT_EQ(inv.containers[2].Find("up.ima")->kind, "icon");
  const art::Container& g1 = inv.containers[0];
  EXPECT_EQ(g1.guild, 0);
  EXPECT_EQ(inv.containers[1].guild, 1);
  // the repeated block adds to the same module; the repeated name keeps its first entry
  EXPECT_EQ(Names(g1),
            (std::vector<std::string>{"up.ima", "down.ima", "grey.ima", "sfxau.ima", "sfxad.ima", "sfxas.ima",
                                      "sfxag.ima", "sfxbu.ima", "sfxbd.ima", "sfxbs.ima", "sfxbg.ima", "other.ima"}));
  EXPECT_EQ(g1.assets[0].label, "Go");
  EXPECT_EQ(g1.assets[2].state, art::ButtonState::Disabled);
  EXPECT_EQ(std::make_tuple(g1.assets[2].width, g1.assets[5].state, g1.assets[10].state, g1.assets[7].state),
            std::make_tuple(10, art::ButtonState::Lit, art::ButtonState::Disabled, art::ButtonState::Normal));
  EXPECT_EQ(g1.Find("UP.IMA")->kind, "button");
  EXPECT_EQ(inv.containers[1].Find("other.ima"), nullptr);
}

TEST(Inventory, RefusesMalformedLines) {
  for (const char* bad : {"button 10x8 a.ima\n",                       // outside a block
                          "module M.dll\nbutton a.ima\n",              // no size
                          "module M.dll\nbutton 0x8 a.ima\n",          // empty size
                          "module M.dll\nsparkle 4x4 a.ima\n",         // unknown kind
                          "module M.dll\neffect a.wav\n",              // a file in a module
                          "folder SOUND\nicon 4x4 a.ima\n",            // an image in a folder
                          "module M.dll\nicon 4x4\n",                  // no names
                          "module M.dll\nicon 4x4 clear 2 a.ima\n",    // clear on a picture
                          "module M.dll\nbutton 4x4 clear 4 a.ima\n",  // nothing left for the caption
                          "module A\nfolder A\n"}) {                   // both at once
    EXPECT_THROW(Parse(bad), std::runtime_error) << bad;
  }
}

TEST(Inventory, TheProjectInventoryHoldsEveryModuleAndFolder) {
  const art::Inventory inv = art::ReadInventory(std::filesystem::path(QUEN_SOURCE_DIR) / "data" / "assets");
  for (const char* module : {"ART/FRONTEND/frontend.dll", "ART/ANIM/anim.dll", "ART/ima.dll", "ART/asneex.dll",
                             "ART/GUILD1/guild.dll", "ART/GUILD5/guild.dll"}) {
    const art::Container* c = inv.FindContainer(module);
    ASSERT_NE(c, nullptr) << module;
    EXPECT_TRUE(c->isModule);
  }
  // the initialising animation's three loops, the nebulae, the same set in every guild and the voices
  EXPECT_EQ(inv.FindContainer("ART/ANIM/anim.dll")->assets.size(), 36u + 38u + 36u);
  EXPECT_NE(inv.FindContainer("ART/asneex.dll")->Find("neb23.ima"), nullptr);
  EXPECT_EQ(inv.FindContainer("ART/GUILD3/guild.dll")->assets.size(),
            inv.FindContainer("ART/GUILD1/guild.dll")->assets.size());
  std::size_t voices = 0;
  for (const auto& c : inv.containers) {
    for (const auto& a : c.assets) voices += a.kind == "voice";
  }
  EXPECT_EQ(voices, 5u * 38u);
}
