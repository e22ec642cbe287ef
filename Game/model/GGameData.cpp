#include "Game/model/GGameData.h"

#include <algorithm>
#include <string>

#include "Game/base/ByteStream.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/GPersist.h"
#include "Game/base/TraceError.h"
#include "Game/model/GChapter.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/model/GViewNotices.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "platform/core/bytes.h"
#include "platform/resource/module.h"

CGameData* g_gameData = nullptr;

namespace {

constexpr const char* kRootFile = "GGameData.cpp";

std::uint16_t U16At(std::span<const std::uint8_t> b, std::size_t off) {
  std::uint16_t v = 0;
  plat::ByteReader(b).ReadAt(off, v);
  return v;
}

}  // namespace

CGameData::CGameData(std::uint16_t localChapter, std::uint8_t perGuild)
    : guildList(std::make_unique<CGuildList>(perGuild)), localChapterId(localChapter) {
  SetChaptersPerGuild(perGuild);
  selection.reserve(10);
  notifications = std::make_unique<CGNotificationList>();
  moduleDB = std::make_unique<CGModuleDB>();
  hullDB = std::make_unique<CGHullDB>();
  textIndex = std::make_unique<CIDString>();
  helpLibrary = ViewNotices().CreateHelpLibrary();
  LoadResourceModules();
  RegisterWorld();
}

CGameData::~CGameData() {
  // A root made before this one went away leaves the new root's links alone.
  UnregisterWorld();
  moduleDB.reset();
  hullDB.reset();
  notifications.reset();
  ClearUnitGroups();
  selection.clear();
  if (helpLibrary) ViewNotices().ReleaseHelpLibrary(helpLibrary);
  helpLibrary = nullptr;
  if (imageModule != nullptr) plat::FreeLibrary(imageModule);
  for (plat::HMODULE& m : guildModules) {
    if (m != nullptr) plat::FreeLibrary(m);
    m = nullptr;
  }
  textIndex.reset();
  if (g_gameData == this) g_gameData = nullptr;
}

void CGameData::LoadResourceModules() {
  char path[260];
  g_instData.BuildPath(path, "ima.dll", INSTPATH_ART);
  imageModule = plat::LoadLibrary(path);
  for (int g = 0; g < kGuildCount; ++g) {
    g_instData.BuildPath(path, "guild.dll", INSTPATH_GUILD_ART, g);
    guildModules[g] = plat::LoadLibrary(path);
  }
}

bool CGameData::RulesLoaded() const { return moduleDB->IsLoaded() && hullDB->IsLoaded(); }

bool CGameData::ResourcesComplete() const {
  return imageModule != nullptr &&
         std::all_of(std::begin(guildModules), std::end(guildModules), [](plat::HMODULE m) { return m != nullptr; });
}

void CGameData::SetChaptersPerGuild(std::uint8_t n) {
  if (n == 0 || n > kMaxChaptersPerGuild) {
    TraceError("Chapters per guild out of range", kRootFile, __LINE__);
    n = kMaxChaptersPerGuild;
  }
  chaptersPerGuild = n;
}

double CGameData::GetGameDate() const { return 3541.0 + static_cast<double>(turn) * static_cast<double>(0.1f); }

void CGameData::AdvanceModelTurn() {
  solarDB.AdvanceTurn();
  if (CGChapter* local = GetLocalChapter()) local->RecordTurnStatistics();
  AdvanceTurn();
}

int CGameData::AddToSelection(std::uint16_t kind, std::uint32_t id, std::uint16_t location) {
  if (location == 0xFFFF && pieces.FindUnit(id, &location) == nullptr) {
    TraceError("Selected unit not found", kRootFile, __LINE__);
    location = 0xFFFF;
  }
  if (selection.size() >= kMaxSelection) {
    ViewNotices().SelectionFull();
    return 0;
  }
  if ((kind == SEL_UNIT && id == 0xFFFFFFFFu) || (kind == SEL_ASTEROID && id > g_numAsteroids))
    TraceError("Odd selection entry", kRootFile, __LINE__);
  selection.push_back({location, kind, id});
  return 1;
}

int CGameData::IsSelected(std::uint16_t kind, std::uint32_t id) const {
  return std::any_of(selection.begin(), selection.end(),
                     [&](const SelectionEntry& e) { return e.kind == kind && e.id == id; })
             ? 1
             : 0;
}

SelectionEntry* CGameData::FindSelectionEntry(std::uint16_t kind, std::uint32_t id) {
  auto it = std::find_if(selection.begin(), selection.end(),
                         [&](const SelectionEntry& e) { return e.kind == kind && e.id == id; });
  return it == selection.end() ? nullptr : &*it;
}

void CGameData::RemoveFromSelection(std::uint16_t kind, std::uint32_t id) {
  if (SelectionEntry* e = FindSelectionEntry(kind, id)) selection.erase(selection.begin() + (e - selection.data()));
}

int CGameData::GetSelectionAt(std::uint32_t index, std::uint16_t* kind, std::uint32_t* id,
                              std::uint16_t* location) const {
  if (index >= selection.size()) return 0;
  *kind = selection[index].kind;
  *id = selection[index].id;
  if (location != nullptr) *location = selection[index].location;
  return 1;
}

template <class F>
std::int32_t CGameData::FirstSelectedValue(F&& value) const {
  for (const SelectionEntry& e : selection) {
    if (e.kind != SEL_UNIT) continue;
    std::uint16_t at = 0;
    if (CGUnit* unit = pieces.FindUnit(e.id, &at)) {
      if (const std::int32_t v = value(*unit); v != 0) return v;
    }
  }
  return 0;
}

std::int32_t CGameData::SelectionCanConstruct() const {
  return FirstSelectedValue([](CGUnit& u) { return u.GetConstructionCapacity(); });
}
std::int32_t CGameData::SelectionCanTransferPower() const {
  return FirstSelectedValue([](CGUnit& u) { return u.GetTransferRate(); });
}
std::int32_t CGameData::SelectionCanSurvey() const {
  return FirstSelectedValue([](CGUnit& u) { return u.GetSurveyRate(); });
}
std::int32_t CGameData::SelectionCanMove() const {
  return FirstSelectedValue([](CGUnit& u) { return u.GetSpeed(); });
}
std::int32_t CGameData::SelectionCanAttack() const {
  return FirstSelectedValue([](CGUnit& u) { return u.GetAttackStrength(); });
}

CGChapter* CGameData::GetLocalChapter() const { return guildList->GetChapter(localChapterId); }
CGuild* CGameData::GetLocalGuild() const { return guildList->GetGuild(GetLocalGuildIndex()); }

int CGameData::StoreUnitGroup(std::uint32_t n) {
  n &= 0xFF;
  if (n >= kUnitGroups) return 0;
  std::vector<std::uint32_t> ids;
  ids.reserve(selection.size());
  // Each node went in front of the list: the group holds the ids newest first.
  for (auto it = selection.rbegin(); it != selection.rend(); ++it) ids.push_back(it->id);
  // A group of nothing is no group: its slot is saved as empty.
  if (ids.empty())
    unitGroups[n].reset();
  else
    unitGroups[n] = std::move(ids);
  return 1;
}

bool CGameData::SelectUnitGroup(std::uint32_t n, std::uint16_t* location) {
  if (n >= kUnitGroups || !unitGroups[n]) return false;
  std::vector<std::uint32_t>& ids = *unitGroups[n];
  std::erase_if(ids, [&](std::uint32_t id) {
    CGUnit* unit = pieces.FindUnit(id, location);
    if (unit == nullptr) return true;
    // The saved selection counts its entries in 16 bits.
    if (selection.size() < kMaxSelection) selection.push_back({*location, SEL_UNIT, id});
    return false;
  });
  if (ids.empty()) unitGroups[n].reset();
  return unitGroups[n].has_value();
}

void CGameData::ClearUnitGroups() {
  for (auto& g : unitGroups) g.reset();
}

std::span<const std::uint32_t> CGameData::GetUnitGroup(int n) const {
  if (n < 0 || n >= kUnitGroups || !unitGroups[n]) return {};
  return *unitGroups[n];
}

bool CGameData::SetResourceMix(std::uint8_t type, const std::uint8_t values[4]) {
  if (type >= kResourceMixTypes) return false;
  std::copy_n(values, 4, resourceMix[type]);
  return true;
}

bool CGameData::GetResourceMix(std::uint8_t type, std::uint8_t out[4]) const {
  if (type >= kResourceMixTypes) {
    std::fill_n(out, 4, 0);
    return false;
  }
  std::copy_n(resourceMix[type], 4, out);
  return true;
}

bool CGameData::ApplyGameSetup(std::span<const std::uint8_t> setup, std::uint16_t chapterId,
                               std::span<const std::uint8_t> config) {
  constexpr std::size_t kSetupSize = 68, kConfigSize = 36;
  if (setup.size() < kSetupSize) return false;
  if (CGChapter* chapter = guildList->GetChapter(chapterId)) {
    chapter->SetTraits(setup.data() + 48);
    chapter->difficulty = setup[12];
  }
  shipDisplay = setup[36];
  SetGuildScanVisibility(U16At(setup, 46));
  const std::uint32_t shipsScannedBefore = allShipsScanned;
  allShipsScanned = U16At(setup, 42) == 0 ? 1 : 0;
  // Designs may come before the setting (an e-mail game's first turn gets
  // the start sequence's designs before its settings): they take it too.
  if (allShipsScanned != shipsScannedBefore) ShowOtherChaptersDesigns(allShipsScanned);
  allAsteroidsScanned = U16At(setup, 40) == 0 ? 1 : 0;
  if (config.size() >= kConfigSize) {
    turnTimeLimit = U16At(config, 18);
    victoryFlags = U16At(config, 20);
    gameLength = U16At(config, 22);
    guildControlPercent = U16At(config, 24);
    imperatorVotePercent = U16At(config, 26);
    randomEvents = U16At(config, 28);
    researchSharedPercent = config[32];
    chaoticOrbits = U16At(config, 34) != 0 ? 1 : 0;
  }
  asteroidControlShown = U16At(setup, 44) == 0 ? 1 : 0;
  return true;
}

void CGameData::ShowOtherChaptersDesigns(std::uint32_t visible) {
  const auto mark = [&](CGUnitTemplate* design) {
    if (design != nullptr && design->chapter != localChapterId) design->visible = visible;
  };
  for (int chapter = 0; chapter < kTemplateChapters; ++chapter) {
    for (CGUnitTemplate* design : templates.fixed[chapter]) mark(design);
    for (std::uint16_t i = 0; i < templates.extra[chapter].count; ++i) mark(templates.extra[chapter].GetAt(i));
  }
}

bool CGameData::StoreTurnStandings(std::span<const std::uint8_t> message) {
  if (message.size() < kStandingsPacketSize) return false;
  auto storeRow = [&](int row) {
    plat::ByteReader r(message.subspan(8));
    for (ChapterStanding& c : standings[row]) {
      c.asteroids = r.U8();
      c.presence = r.U8();
      c.votes = r.U8();
      c.reserved = r.U8();
      c.ships = r.U16();
      c.scienceBonusLimit = r.U16();
    }
  };
  storeRow(static_cast<int>(turn % kStandingRows));
  if (emailGame && turn > 0) storeRow(static_cast<int>((turn - 1) % kStandingRows));
  if (turn == 0) return true;
  const std::uint16_t limit = standings[turn % kStandingRows][localChapterId % kMaxChapters].scienceBonusLimit;
  moduleDB->ReclaimScienceBonus(limit);
  hullDB->ReclaimScienceBonus(limit);
  if (moduleDB->freeSciencePool < limit && !emailGame)
    notifications->Add(localChapterId, notify::kGameEvent, notify::kResearchUnspent, nullptr, nullptr, 0,
                       limit - moduleDB->freeSciencePool, 0xFFFFFFFFu);
  for (std::uint16_t a = 0; a < g_numAsteroids; ++a)
    if (CGAsteroid* asteroid = solarDB.GetAsteroid(a)) asteroid->ExpireEvents();
  return true;
}

bool CGameData::GetChapterStanding(int row, int chapter, ChapterStanding* out) const {
  if (row < 0 || row >= kStandingRows || chapter < 0 || chapter >= kMaxChapters) return false;
  *out = standings[row][chapter];
  return true;
}

void CGameData::SetGuildScanVisibility(std::uint32_t flag) {
  for (std::uint16_t a = 0; a < g_numAsteroids; ++a) {
    CGAsteroid* asteroid = solarDB.GetAsteroid(a);
    if (asteroid == nullptr) continue;
    asteroid->detected =
        flag == 0 || (asteroid->owner != kNoChapter && (asteroid->owner >> 3) == GetLocalGuildIndex()) ? 1 : 0;
  }
  asteroidsHiddenUntilSeen = flag;
}
