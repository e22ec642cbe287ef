#pragma once
// The client's whole copy of one game: it builds and owns every database of
// the game model (designs, guilds and chapters, game pieces, the solar system,
// pools, modules, hulls, notifications), the text index, the image and guild
// resource modules, the game-wide settings, the standings and scores, and the
// player's selection and unit groups. Exactly one exists while a game runs,
// reached through g_gameData (null in the front end); the application creates
// it when a game starts or is loaded and deletes it when the game ends.
//
// While it exists its world (GameWorld.h) is the game's world the model and
// the rules data see: the constructor registers it and the destructor takes it
// back.
//
// Game thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "Game/model/GGamePieceDB.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GWorldTypes.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GTemplateDB.h"
#include "platform/core/files.h"
#include "platform/core/types.h"

class CGChapter;
class CGHullDB;
class CGModuleDB;
class CIDString;

constexpr int kStandingRows = 50;
constexpr int kUnitGroups = 12;
constexpr int kResourceMixTypes = 20;
constexpr std::size_t kMaxSelection = 65535;
// Size of the standings message (packet 505): header and 40 cells of 8 bytes.
constexpr std::size_t kStandingsPacketSize = 8 + 8 * kMaxChapters;

struct ChapterStanding {
  std::uint8_t asteroids = 1;
  std::uint8_t presence = 1;
  std::uint8_t votes = 1;
  std::uint8_t reserved = 0;
  std::uint16_t ships = 2;
  std::uint16_t scienceBonusLimit = 0;
};

enum SelectionKind : std::uint16_t { SEL_ASTEROID = 0, SEL_UNIT = 2 };

struct SelectionEntry {
  std::uint16_t location = 0;  // asteroid index; the asteroid count for deep space
  std::uint16_t kind = 0;
  std::uint32_t id = 0;
};

class CGameData {
 public:
  // Builds every database ("modules.dat" and "hulls.dat" from the installation
  // directory, "ima.dll" and each guild's "guild.dll" from the art
  // directories), sets the defaults and registers its world. A module
  // or rules file that fails to load leaves its handle null or its database
  // empty: see ResourcesComplete and RulesLoaded.
  CGameData(std::uint16_t localChapterId, std::uint8_t chaptersPerGuild);
  // Releases everything and takes its world back.
  ~CGameData();
  // Registers this game's world again, when another game root made while this
  // one lived has registered its own.
  void RegisterWorld();
  CGameData(const CGameData&) = delete;
  CGameData& operator=(const CGameData&) = delete;

  // Values above 8 (and 0) are reported and stored as 8.
  void SetChaptersPerGuild(std::uint8_t n);
  void AdvanceTurn() { ++turn; }
  // 3541.0 + turn x 0.1 (0.1 at single precision).
  double GetGameDate() const;
  // The model's part of the turn results (message 0x804): the solar system's
  // turn (stars, orbits, detection), the local chapter's turn statistics,
  // then the turn counter.
  void AdvanceModelTurn();

  // Selection. AddToSelection: location 0xFFFF looks the unit up; 0 (with a
  // beep) when 65,535 entries are selected, else 1.
  int AddToSelection(std::uint16_t kind, std::uint32_t id, std::uint16_t location);
  int IsSelected(std::uint16_t kind, std::uint32_t id) const;
  std::uint32_t GetSelectionCount() const { return static_cast<std::uint32_t>(selection.size()); }
  void RemoveFromSelection(std::uint16_t kind, std::uint32_t id);
  // 0 past the end, else 1; `location` may be null.
  int GetSelectionAt(std::uint32_t index, std::uint16_t* kind, std::uint32_t* id, std::uint16_t* location) const;
  SelectionEntry* FindSelectionEntry(std::uint16_t kind, std::uint32_t id);
  void ClearSelection() { selection.clear(); }
  // The first non-zero value of the selected units' capacity; 0 when none.
  std::int32_t SelectionCanConstruct() const;
  std::int32_t SelectionCanTransferPower() const;
  std::int32_t SelectionCanSurvey() const;
  std::int32_t SelectionCanMove() const;
  std::int32_t SelectionCanAttack() const;

  CGChapter* GetLocalChapter() const;
  CGuild* GetLocalGuild() const;
  std::uint8_t GetLocalGuildIndex() const { return static_cast<std::uint8_t>(localChapterId >> 3); }

  // Unit groups 0..11 (the low byte of `n`). Store: 0 outside 0..11, else 1.
  // Select: appends the group's surviving units to the selection and drops
  // the vanished ones; whether the group still holds a unit.
  int StoreUnitGroup(std::uint32_t n);
  bool SelectUnitGroup(std::uint32_t n, std::uint16_t* location);
  void ClearUnitGroups();
  // The ids of group n, in stored order (empty for none).
  std::span<const std::uint32_t> GetUnitGroup(int n) const;

  // Composition types 0..19; false (nothing changed, or all 0 out) for another.
  bool SetResourceMix(std::uint8_t type, const std::uint8_t values[4]);
  bool GetResourceMix(std::uint8_t type, std::uint8_t out[4]) const;

  // The player setup record (laid out as GameSettingsPacket, 68 bytes) for
  // `chapterId`, with the game-configuration block (laid out as packet 52)
  // when the application holds one. A short record is refused (false).
  // Turning "all ships start scanned" on or off shows or hides every other
  // chapter's design held already, as the designs made from then on.
  bool ApplyGameSetup(std::span<const std::uint8_t> setup, std::uint16_t chapterId,
                      std::span<const std::uint8_t> configBlock);
  // Packet 505. False (nothing stored) for a message shorter than its cells.
  bool StoreTurnStandings(std::span<const std::uint8_t> message);
  // False for a row or chapter out of range.
  bool GetChapterStanding(int row, int chapter, ChapterStanding* out) const;
  void SetGuildScanVisibility(std::uint32_t flag);

  // 1 on success, 0 on the first failure; what was read stays.
  int Save(plat::FILE* fp) const;
  int Save(BlockWriter& w) const;
  int Load(plat::FILE* fp);
  int Load(BlockReader& r);

  // Both rules files were read: a game cannot be played without them.
  bool RulesLoaded() const;
  // The image module and all five guild modules were found.
  bool ResourcesComplete() const;
  plat::HMODULE GetImageModule() const { return imageModule; }
  plat::HMODULE GetGuildModule(int guild) const {
    return guild >= 0 && guild < kGuildCount ? guildModules[guild] : nullptr;
  }

  CGTemplateDB templates;
  std::unique_ptr<CGuildList> guildList;
  CGGamePieceDB pieces;
  CGSolarDB solarDB;
  CGPoolDB poolDB;
  std::unique_ptr<CGModuleDB> moduleDB;
  std::unique_ptr<CGHullDB> hullDB;
  std::unique_ptr<CIDString> textIndex;
  std::uint8_t asteroidControlShown = 0;
  std::uint8_t shipDisplay = 1;
  void* helpLibrary = nullptr;  // the view framework's in-game help object
  plat::HMODULE imageModule = nullptr;
  plat::HMODULE guildModules[kGuildCount] = {};
  std::array<std::array<std::uint32_t, 6>, kMaxAsteroids> reviewLog{};
  std::uint32_t turn = 0;
  std::unique_ptr<CGNotificationList> notifications;
  std::uint8_t chaptersPerGuild = 8;
  std::uint8_t resourceMix[kResourceMixTypes][4] = {};
  std::uint8_t resourceMixCount = 0;
  std::uint16_t turnTimeLimit = 0;
  std::uint16_t victoryFlags = 4;
  std::uint16_t reservedWord = 0;
  std::uint16_t gameLength = 3;
  std::uint16_t guildControlPercent = 10;
  std::uint16_t imperatorVotePercent = 10;
  std::uint16_t randomEvents = 0;
  std::uint8_t researchSharedPercent = 0;
  std::uint32_t chaoticOrbits = 0;
  std::uint32_t inGameSwitch = 1;
  ChapterStanding standings[kStandingRows][kMaxChapters];
  std::uint32_t scores[kMaxChapters] = {};
  std::uint16_t localChapterId = 0;
  std::vector<SelectionEntry> selection;
  std::array<std::optional<std::vector<std::uint32_t>>, kUnitGroups> unitGroups;
  std::uint32_t asteroidsHiddenUntilSeen = 1;
  std::uint32_t allShipsScanned = 0;
  std::uint32_t allAsteroidsScanned = 0;
  // The session plays by e-mail (not saved; set by whoever attaches the session).
  bool emailGame = false;

 private:
  // This game's databases and settings as the model sees them.
  std::unique_ptr<GameWorld> world;
  // Unregisters this game's world when it is the registered one.
  void UnregisterWorld();
  template <class F>
  std::int32_t FirstSelectedValue(F&& value) const;
  void LoadResourceModules();
  void ShowOtherChaptersDesigns(std::uint32_t visible);
};

extern CGameData* g_gameData;
