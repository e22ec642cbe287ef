// Every text ID the game code passes to the text functions must be in the
// string table.

#include <gtest/gtest.h>

#include <set>

#include "code_scan.h"
#include "project_paths.h"
#include "tools/strtable/string_source.h"

namespace {

std::vector<std::string> Ids(const std::vector<TextIdUse>& uses) {
  std::vector<std::string> ids;
  for (const auto& u : uses) ids.push_back(u.id + "@" + std::to_string(u.line));
  return ids;
}

}  // namespace

TEST(CodeScan, FindsIdLiteralsPassedToTextFunctions) {
  const auto uses = FindTextIdUses(R"src(
    g_gameData->m_text.GetText("SAVEGAME", buf, sizeof(buf), name);
    char* t = ids.GetTextAlloc(flag ? "VOTE!OW1" : "MKR&DOES");
    CIDString::LoadRawText(
        "ETC??___");
    if (index.Find("GUILD000", &number, &length) < 0) {}
    ShowOkBox(guild, "NOCRTFLE", Name("NOTANID1"));
    AskYesNo("LOADGMYN");
  )src");
  EXPECT_EQ(Ids(uses), (std::vector<std::string>{"SAVEGAME@2", "VOTE!OW1@3", "MKR&DOES@3", "ETC??___@5", "GUILD000@6",
                                                 "NOCRTFLE@7", "LOADGMYN@8"}));
  EXPECT_EQ(uses[0].function, "GetText");
}

TEST(CodeScan, IgnoresWhatIsNoTextIdUse) {
  const auto uses = FindTextIdUses(R"src(
    // GetText("COMMENT1")
    /* GetText("COMMENT2"
       ) */
    RegQueryValue(key, "SAVEPATH");               // not a text function
    GetText("GUILD0%02d", buf, 50);               // a format, not an ID
    GetText("Saving", buf, 50);                   // not ID-shaped
    GetText(id, buf, 50, "ABCDEFGHI", 'x', '"');  // nine characters
    const char* s = "GetText(\"INSTRING\")";
    int n = 1'000'000; GetText(R"x(GetText("INRAWSTR"))x");
    MyFind("SAVEGAME"); FindUnit("SAVEGAME");
  )src");
  EXPECT_TRUE(uses.empty()) << Ids(uses)[0];
}

TEST(CodeScan, EveryIdTheCodeAsksForIsInTheTable) {
  const auto root = ProjectSourceDir();
  std::set<std::string> table;
  for (const auto& e : strtable::ParseStringSource(ReadWholeFile(root / "data" / "strings" / "strings.txt")).entries) {
    table.insert(e.id);
  }
  ASSERT_FALSE(table.empty());
  // Asked for by the code as the game was shipped, and absent from its table
  // (the texts are held as MODIFY__ and UPNOTIMP): those lines stay empty.
  const std::set<std::string> knownAbsent = {"MODIFT__", "URNOTIMP"};

  quentest::ForEachSourceFile(root, {"Game", "media", "sg", "platform"}, {".cpp", ".cc", ".cxx", ".h", ".hpp", ".inl"},
                              [&](const std::filesystem::path& file, const std::string& text) {
                                for (const TextIdUse& use : FindTextIdUses(text)) {
                                  EXPECT_TRUE(table.contains(use.id) || knownAbsent.contains(use.id))
                                      << file.string() << ':' << use.line << ": " << use.function << " asks for \""
                                      << use.id << "\", which the string table does not hold";
                                }
                              });
}
