// The save dialog's names: what is listed and the file name a typed name
// becomes.
#include <gtest/gtest.h>

#include <string>

#include "Game/dialogs/CDSaveDlg.h"

namespace {

std::vector<SaveListEntry> Entries(std::initializer_list<const char*> names) {
  std::vector<SaveListEntry> list;
  for (const char* n : names) list.push_back({n, 0, false, {}});
  return list;
}

TEST(SaveDialog, ListDropsTheAutosavesOnlyAndKeepsTheOrder) {
  EXPECT_EQ(SaveListNames(Entries({"b", "autosave", "asavebak", "a"}), "clt"), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(SaveListNames(Entries({"Autosave", "a"}), "clt"), (std::vector<std::string>{"Autosave", "a"}));
  // After two the search stops.
  EXPECT_EQ(SaveListNames(Entries({"autosave", "autosave", "asavebak"}), "clt"),
            (std::vector<std::string>{"asavebak"}));
  // A name that cannot go back with its extension inside the caller's buffer is not offered.
  EXPECT_TRUE(SaveListNames(Entries({std::string(96, 'n').c_str()}), "bpf").empty());
  EXPECT_EQ(SaveListNames(Entries({std::string(95, 'n').c_str()}), "bpf").size(), 1u);
}

TEST(SaveDialog, TypedNamesGetTheirExtensionOnce) {
  struct Case {
    const char* typed;
    const char* extension;
    const char* name;
  };
  const Case cases[] = {
      {"turn5", "bpf", "turn5.bpf"},
      {"turn5.bpf", "bpf", "turn5.bpf"},
      {"turn5.BPF", "bpf", "turn5.BPF.bpf"},
      {"abc", "clt", "abc.clt"},
      {"a", "tpl", "a.tpl"},
      {"game.s01", "s*", "game.s01"},
  };
  for (const Case& c : cases) {
    std::string name;
    ASSERT_TRUE(BuildSaveName(c.typed, c.extension, &name)) << c.typed;
    EXPECT_EQ(name, c.name) << c.typed;
  }
}

TEST(SaveDialog, NamesFitTheCallersBufferAndStayInTheDirectory) {
  std::string name;
  ASSERT_TRUE(BuildSaveName(std::string(99, 'x'), "clt", &name));
  EXPECT_EQ(name.size(), kSaveNameSize - 1);
  EXPECT_EQ(name, std::string(95, 'x') + ".clt");
  ASSERT_TRUE(BuildSaveName(std::string(300, 'y'), "bpf", &name));
  EXPECT_LT(name.size(), kSaveNameSize);
  for (const char* bad : {"", "..\\..\\quenbar", "../x", "C:\\x", "sub\\x", "..", "game.txt"}) {
    std::string out = "kept";
    const bool pattern = std::string(bad) == "game.txt";
    EXPECT_FALSE(BuildSaveName(bad, pattern ? "s*" : "clt", &out)) << bad;
    EXPECT_EQ(out, "kept") << bad;
  }
}

// A save under the autosave's name, or its backup's, would be lost to the
// next turn's autosave; other kinds of file may use those names.
TEST(SaveDialog, OnlyGameSavesUnderTheAutosavesNamesAreRefused) {
  for (const char* name : {"autosave.clt", "asavebak.clt", "AutoSave.clt", "ASAVEBAK.CLT"}) {
    EXPECT_TRUE(IsAutosaveName(SAVE_GAME, name)) << name;
    EXPECT_TRUE(IsAutosaveName(SAVE_GAME_TOO, name)) << name;
    EXPECT_FALSE(IsAutosaveName(SAVE_SCENARIO, name)) << name;
  }
  for (const char* name : {"autosave2.clt", "my autosave.clt", "autosave.clt.clt", ".clt", "autosave"})
    EXPECT_FALSE(IsAutosaveName(SAVE_GAME, name)) << name;
  EXPECT_FALSE(IsAutosaveName(SAVE_BATTLE_PLAN, "autosave.bpf"));
}

}  // namespace
