// The two read-only pages of the info panel: the game's set-up and the
// keyboard reference. Neither takes clicks or hover.
#include <cstdio>
#include <string>

#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GSolarSys.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "Game/panels/InfoPageSettings.h"
#include "Game/setup/GameSetup.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr COLORREF kKeyColour = 0xD7FFFF;
// Victory-condition flags of the game data.
constexpr std::uint16_t kCaptureTheFlag = 2, kBiggestIsBest = 4, kImperatorWins = 8, kInterregnum = 16;
// Traits whose level is a number rather than a percentage.
constexpr int kCountTraits[] = {12, 15};

COLORREF Pale() { return GetPaleColor(LocalGuild()); }

// A framed box with its heading in a small shaded box at its top left.
void HeadedBox(int left, int top, int right, int bottom, int headRight, const char* heading) {
  Box(left, top, right, bottom, kBlack, 35, kGreen);
  Box(left + 1, top + 1, headRight, top + 18, kBlack, 35, kGreen);
  Caption(heading, left + 5, top + 3, headRight - left - 5, kWhite);
}

// One setting of the fog-of-war and starting-values boxes.
void Setting(int y, const std::string& text) {
  Write("+ ", 310, y, 270, Pale());
  Write(text, 320, y, 260, Pale(), DT_LEFT | DT_WORDBREAK);
}

const char* Level(std::uint16_t value) { return value == 0 ? "IGP___HI" : value == 1 ? "IGP__AVG" : "IGP__LOW"; }

}  // namespace

void CInfoPanel::DrawGameSetup() {
  ResetHotSpots();
  hotSpotCount = 0;
  HeadedBox(5, 2, 295, 72, 185, "IGPCHTRT");
  HeadedBox(5, 77, 295, 227, 160, "IGPVICCO");
  HeadedBox(5, 232, 295, 365, 150, "IGPOTHER");
  HeadedBox(300, 2, 583, 172, 460, "IGP__FOW");
  HeadedBox(300, 177, 583, 365, 435, "IGPSTVAL");
  if (!g_gameData) return;
  const COLORREF pale = Pale();

  if (const CGChapter* chapter = g_gameData->GetLocalChapter()) {
    int y = 25;
    for (int i = 0; i < kTraitCount; ++i) {
      const int level = chapter->GetTrait(i);
      if (level == 0) continue;
      char id[9];
      std::snprintf(id, sizeof id, "TRAIT%03d", i);
      const bool count = i == kCountTraits[0] || i == kCountTraits[1];
      char line[300];
      std::snprintf(line, sizeof line, count ? "%s:  + %d" : "%s:  + %d%%", Text(id).c_str(), level);
      Write(line, 15, y, 200, pale);
      y += 15;
    }
  }

  const std::uint16_t flags = g_gameData->victoryFlags;
  Caption("IGPLSMAN", 15, 105, 275, pale);
  int y = 120;
  auto line = [&](const std::string& text, int x) {
    Write(text, x, y, 275, pale);
    y += 15;
  };
  if (flags & kCaptureTheFlag) line(Text("IGPCPFLG"), 15);
  if (flags & kBiggestIsBest) {
    line(Text("IGPBGBST"), 15);
    line(Text("IGPGMLEN", static_cast<std::int32_t>(g_gameData->gameLength)), 30);
  }
  if (flags & kImperatorWins) {
    line(Text("IGPIMWIN"), 15);
    line(Text("IGPASTCN", static_cast<std::int32_t>(g_gameData->guildControlPercent)), 30);
    line(Text("IGPVOTCN", static_cast<std::int32_t>(g_gameData->imperatorVotePercent)), 30);
  }
  if (flags & kInterregnum) line(Text("IGPNTRRG"), 15);

  Write(Text("IGPTMLIM", static_cast<std::int32_t>(g_gameData->turnTimeLimit)), 15, 255, 285, pale);
  Write(Text("IGPCPERG", static_cast<std::int32_t>(g_gameData->chaptersPerGuild)), 15, 270, 285, pale);
  Write(Text("IGPNUMAS", static_cast<std::int32_t>(CGSolarDB::GetAsteroidCount())), 15, 285, 285, pale);
  char orbit[9];
  std::snprintf(orbit, sizeof orbit, "IGPORSP%u", std::min<unsigned>(g_gameData->solarDB.orbitMotion, 3));
  Caption(orbit, 15, 300, 285, pale);
  Write(Text("IGPRESPC", static_cast<std::int32_t>(g_gameData->researchSharedPercent)), 15, 315, 285, pale);
  Caption(g_gameData->chaoticOrbits ? "IGPCHSYS" : "IGPCHSNO", 15, 330, 285, pale);

  // Ships in solar space: mode 0 always, 1 in range, 2 never shown; a mode
  // out of the table reads as the strictest.
  const std::uint8_t mode = g_gameData->shipDisplay;
  Setting(25, Text(mode == 0 ? "IGPFW1T_" : mode == 1 ? "IGPFW1X_" : "IGPFW1F_"));
  Setting(55, Text(g_gameData->asteroidsHiddenUntilSeen ? "IGPFW2F_" : "IGPFW2T_"));
  Setting(85, Text(g_gameData->allAsteroidsScanned ? "IGPFW3T_" : "IGPFW3F_"));
  Setting(115, Text(g_gameData->allShipsScanned ? "IGPFW4T_" : "IGPFW4F_"));
  Setting(145, Text(g_gameData->asteroidControlShown ? "IGPFW5T_" : "IGPFW5F_"));

  const GameSettingsPacket settings = CurrentGameSettings();
  Setting(200, Text("IGPECGRD", Text(settings.randomEconomicGrade ? "IGP_RAND" : "IGP_GOOD")));
  Setting(230, Text("IGPASORB", Text(settings.randomOrbits ? "IGP_RAND" : "IGPNOTEL")));
  Setting(260, Text("IGPSTRES", Text(Level(settings.resourceScale))));
  Setting(290, Text("IGPCONPT", Text(Level(settings.forceScale))));
  const char* difficulty = settings.difficulty == DIFFICULTY_EASY      ? "IGP_EASY"
                           : settings.difficulty == DIFFICULTY_AVERAGE ? "IGP__AVG"
                           : settings.difficulty == DIFFICULTY_HARD    ? "IGP_HARD"
                                                                       : "IGP_CUST";
  Setting(320, Text("IGPDIFLV", Text(difficulty)));
}

namespace {

// A key: a text ID, or the key's own letters when it is not one.
struct KeyRow {
  const char* key;
  const char* meaning;
};
struct KeyGroup {
  RECT box;
  const char* heading;
  int headingX, headingY;
  int keyX, meaningX, firstY;
  std::initializer_list<KeyRow> rows;
};

const KeyGroup kKeyGroups[] = {
    {{5, 10, 290, 90},
     "IGHGMKEY",
     13,
     13,
     20,
     110,
     30,
     {{"IGHESCKH", "IGHESCKY"}, {"IGHSAVKH", "IGHSAVKY"}, {"IGHLODKH", "IGHLODKY"}, {"IGHRSTKH", "IGHRSTKY"}}},
    {{5, 95, 290, 265},
     "IGHCMKEY",
     13,
     98,
     20,
     110,
     115,
     {{"IGHARRKH", "IGHARRKY"},
      {"+", "IGHZMIKY"},
      {"-", "IGHZMOKY"},
      {"C", "IGHDEFKY"},
      {"IGHNXUKH", "IGHRSDKY"},
      {"V", "IGHCENKY"},
      {"W", "IGHCSLKY"},
      {"Z", "IGHTOGKY"},
      {"U", "IGHNXUKY"},
      {"SHIFT-U", "IGHPVUKY"}}},
    {{5, 270, 290, 357},
     "IGHVWKEY",
     13,
     273,
     20,
     110,
     290,
     {{"S", "IGHSSVKY"}, {"IGHNXAKH", "IGHNXAKY"}, {"IGHPVAKH", "IGHPVAKY"}, {"F", "IGHSVFKY"}}},
    {{300, 10, 580, 90},
     "IGHFVKEY",
     308,
     13,
     315,
     405,
     30,
     {{"M", "IGHFVTKY"}, {"L", "IGHFVFKY"}, {"K", "IGHFVPKY"}, {"J", "IGHFVBKY"}}},
    {{300, 95, 580, 160},
     "IGHGDKEY",
     308,
     98,
     315,
     405,
     115,
     {{"G", "IGHGDTKY"}, {"B", "IGHGDDKY"}, {"T", "IGHGDUKY"}}},
    {{300, 165, 580, 215}, "IGHMSKEY", 308, 168, 315, 405, 185, {{"N", "IGHS&NKY"}, {"D", "IGHTOGIV"}}},
    {{300, 220, 580, 315},
     "IGHUNKEY",
     308,
     223,
     315,
     405,
     240,
     {{"Y", "IGHSLAKY"}, {"H", "IGHSLNKY"}, {"DELETE", "IGHDLOKY"}, {"SHIFT -", "IGHSELMU"}, {"CTRL -", "IGHAPOTQ"}}},
};

}  // namespace

void CInfoPanel::DrawKeyboardReference() {
  ResetHotSpots();
  hotSpotCount = 0;
  const COLORREF pale = Pale();
  for (const KeyGroup& g : kKeyGroups) {
    Box(g.box.left, g.box.top, g.box.right, g.box.bottom, kBlack, 35, kGreen);
    Caption(g.heading, g.headingX, g.headingY, 200, pale);
    int y = g.firstY;
    for (const KeyRow& row : g.rows) {
      // Eight-letter keys are text IDs; the others are the keys themselves.
      const bool id = std::char_traits<char>::length(row.key) == 8 && row.key[0] == 'I';
      // "&" is a letter here, not a mnemonic mark.
      Write(id ? Text(row.key) : std::string(row.key), g.keyX, y, 200, kKeyColour, DT_NOPREFIX);
      Caption(row.meaning, g.meaningX, y, 200, kKeyColour, DT_NOPREFIX);
      y += 15;
    }
  }
  Box(300, 335, 580, 357, kBlack, 35, kGreen);
  Caption("IGHKBREF", 300, 340, 280, kWhite, DT_CENTER);
}
