#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Game/frontend/SessionList.h"

namespace {

// Texts shown as their ID and number, so a line says which texts it used.
std::string Text(const char* id, int number) { return std::string("[") + id + " " + std::to_string(number) + "]"; }

HvMSession_Struct Session(const char* name, const char* description, const char* password = "") {
  HvMSession_Struct s;
  s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, name);
  s.SetText(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth, description);
  s.SetText(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth, password);
  s.SetU32(HvMSession_Struct::kSessionId, 77);
  return s;
}

TEST(SessionList, ANewGameLineNamesItsLimitChaptersAsteroidsAndVictories) {
  const SessionEntry e =
      MakeSessionEntry(Session("Alpha", NewSessionDescription(120, 4, 150, 0x2 | 0x8 | 0x10).c_str()), Text);
  EXPECT_EQ(e.id, 77u);
  EXPECT_EQ(e.kind, 'n');
  EXPECT_FALSE(e.password);
  EXPECT_EQ(e.text, "Alpha^[SESSION1 2][SESSION3 4][SESSION4 150][SESSION5 0][SESSION7 0][SESSION8 0][SESSION9 0]");
}

TEST(SessionList, TheTurnLimitIsInHoursOnlyAboveAnHourAndWhole) {
  auto limit = [](int minutes) {
    const std::string line = MakeSessionEntry(Session("a", NewSessionDescription(minutes, 8, 1, 0).c_str()), Text).text;
    return line.substr(2, line.find(']') - 1);
  };
  EXPECT_EQ(limit(120), "[SESSION1 2]");
  EXPECT_EQ(limit(60), "[SESSION2 60]");
  EXPECT_EQ(limit(90), "[SESSION2 90]");
}

TEST(SessionList, SavedGamesAndProtectedSessionsAreMarked) {
  const SessionEntry saved = MakeSessionEntry(Session("Old game", "s", "x"), Text);
  EXPECT_EQ(saved.kind, 's');
  EXPECT_TRUE(saved.password);
  EXPECT_EQ(saved.text, "Old game (Password required)^[SESSSAVE 0]");
  EXPECT_STREQ(saved.name, "Old game");
  // A description of another kind shows nothing after the separator.
  EXPECT_EQ(MakeSessionEntry(Session("Odd", "q_1"), Text).text, "Odd^");
  EXPECT_EQ(MakeSessionEntry(Session("Empty", ""), Text).text, "Empty^");
}

TEST(SessionList, BlanksInNamesAndPasswordsBecomeUnderscores) {
  char name[] = "My game\twith\rblanks\f";
  ReplaceBlanks(name);
  EXPECT_STREQ(name, "My_game_with_blanks_");
}

}  // namespace

#include "Game/frontend/CEmailDlg.h"

namespace {

TEST(EmailGame, TheTypedNameBecomesTheGameNameAndTheServersCommandLine) {
  EXPECT_EQ(EmailGameName("My Game"), "My_Game-0");
  EXPECT_EQ(EmailCreateCommand(EmailGameName("My Game")), "-En:My_Game-0 HVSCS");
  EXPECT_EQ(EmailGameName("a  b"), "a__b-0");
}

}  // namespace
