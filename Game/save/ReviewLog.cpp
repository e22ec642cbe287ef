#include "Game/save/ReviewLog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/net/ReplayFormat.h"
#include "Game/net/ReplayReader.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "platform/core/random.h"

namespace {

constexpr std::uint8_t kShieldHeld = replay::kShield;
constexpr std::uint8_t kHit = replay::kHit;
constexpr std::uint8_t kKill = replay::kKill;
constexpr std::uint16_t kHullDamage = replay::kHullModule;
constexpr std::uint16_t kLifeSupportDamage = replay::kLifeModule;
// A leech's drain: the replay view shows it, the log tells it in no sentence.
// (A stun names a kind past the module table and reads as one.)
constexpr std::uint16_t kLeechDrain = replay::kLeechModule;
constexpr std::uint16_t kNoModule = 0xFFFF;
constexpr std::uint32_t kMinorDamage = 255;

enum Counter { PRESENT_MINE, PRESENT_ALLIED, PRESENT_ENEMY, HIT_MINE, HIT_ALLIED, HIT_ENEMY };
enum Relation { OWN, ALLIED, ENEMY };

// The text of `id` formatted with `args`, cut to `cut` characters.
template <class... Args>
std::string CutText(std::size_t cut, const char* id, const Args&... args) {
  std::array<char, 257> text{};
  if (g_gameData->textIndex) g_gameData->textIndex->GetText(id, text.data(), std::min(cut + 1, text.size()), args...);
  return text.data();
}

template <class... Args>
std::string Text(const char* id, const Args&... args) {
  return CutText(256, id, args...);
}

std::string Heading(std::uint16_t asteroid) {
  CGAsteroid* rock = g_gameData->solarDB.GetAsteroid(asteroid);
  return Text("MKRRVIEW", rock != nullptr ? rock->GetName() : "");
}

std::string ChapterName(std::uint32_t chapter) {
  const CGChapter* c = g_gameData->guildList->GetChapter(chapter);
  return c != nullptr && c->GetName() != nullptr ? c->GetName() : "";
}

Relation RelationToLocal(std::uint32_t chapter) {
  const std::uint32_t local = g_gameData->localChapterId;
  if (chapter == local) return OWN;
  const CGChapter* c = g_gameData->guildList->GetChapter(chapter);
  const CGChapter* l = g_gameData->guildList->GetChapter(local);
  const bool cRenegade = c != nullptr && c->previousRenegade != 0;
  const bool lRenegade = l != nullptr && l->previousRenegade != 0;
  const bool cCamp = c != nullptr && c->previousCamp != 0;
  const bool lCamp = l != nullptr && l->previousCamp != 0;
  if ((chapter >> 3) != (local >> 3) || cRenegade || lRenegade || cCamp != lCamp) return ENEMY;
  return ALLIED;
}

std::string ModuleName(std::uint32_t index) {
  const ModuleRecord* m = g_gameData->moduleDB ? g_gameData->moduleDB->GetRecord(static_cast<int>(index)) : nullptr;
  return m != nullptr ? std::string(m->name, strnlen(m->name, sizeof m->name)) : std::string("unknown module");
}

// What a shot's results add up to.
struct ShotResult {
  std::uint8_t outcome = 0;
  std::uint16_t a = kNoModule, b = kNoModule;
  std::uint32_t aAmount = kMinorDamage, bAmount = kMinorDamage;
  // Wider than a byte: a ship that takes 300 points of hull damage reads 300.
  std::uint32_t hull = 0, lifeSupport = 0;
};

// Tells the replay's shots as the reader hands them over. The file is read as
// the replay view reads it, to its end and with the same units placed, so that
// the two stop at the same record and refuse the same files.
class ReviewLogBuilder : public replay::ReplaySink {
 public:
  ReviewLogBuilder(plat::FILE* log, std::uint16_t asteroid) : m_log(log), m_row(g_gameData->reviewLog[asteroid]) {}

  // Writes the log; a header that cannot be read or written ends it early.
  // False when the file holds more than a battle does: what was written and
  // counted then stands for nothing.
  bool Build(plat::FILE* file, std::uint16_t asteroid) {
    if (!replay::ReplayFileSizeAllowed(file)) return false;
    if (!Write(Heading(asteroid)) || !Write(Text("MKRCHINV"))) return true;
    replay::ReplayReader reader(file, *this);
    if (!reader.ReadPreamble() || m_headerFailed || !Write("\n")) return true;
    std::uint16_t number = 0;
    if (!reader.ReadAsteroid(number)) return true;
    reader.ReadStartUnits();
    while (reader.ReadMovementPhase()) {
    }
    // The battle section tells nothing, but its joiners and wreck lists have
    // their bounds too.
    reader.ReadBattleSection();
    if (reader.refused()) return false;
    Write(Text(m_eventWritten ? "MKRDONE_" : "MKRPEACE"));
    return true;
  }

  void ChapterRead(std::uint8_t chapter) override {
    if (!m_headerFailed) m_headerFailed = !Write(ChapterName(chapter) + "       ");
  }
  void AddUnit(const replay::UnitRecord& record, bool joined) override {
    m_placed.insert(record.id);
    // A unit joining in the battle section arrived after the fighting.
    if (joined) return;
    if (CGUnit* unit = g_gameData->pieces.FindUnit(record.id, nullptr)) unit->reviewMark = 0;
    if (record.a == 0) Count(RelationToLocal(GetChapterFromId(record.id)), PRESENT_MINE, PRESENT_ALLIED, PRESENT_ENEMY);
  }
  bool HasUnit(std::uint32_t id) override { return m_placed.contains(id); }
  void MoveUnit(std::uint32_t /*id*/, const Location& /*to*/, std::uint32_t /*engine*/) override {}
  std::size_t QueueEvent(const replay::EventRecord& event) override {
    return HasUnit(event.U32(replay::EventRecord::kOwner)) ? 1 : 0;
  }
  void WreckUnit(std::uint32_t /*id*/) override {}
  void ShotRead(std::uint32_t actor, const replay::ShotRecord& record) override {
    ShotResult shot;
    shot.outcome = record.parts.front().code;
    for (const replay::ShotPart& part : record.parts) AddPart(part, shot);
    m_eventWritten = true;
    WriteSentence(actor, record.weapon, record.target, static_cast<std::int16_t>(record.chance & 0xFFFF),
                  record.effective != 0, shot);
  }

 private:
  bool Write(const std::string& text) { return plat::fputs(text.c_str(), m_log) >= 0; }

  void Count(Relation r, Counter mine, Counter allied, Counter enemy) {
    if (r == OWN) ++m_row[mine];
    if (r == OWN || r == ALLIED) ++m_row[allied];
    if (r == ENEMY) ++m_row[enemy];
  }

  static void AddPart(const replay::ShotPart& part, ShotResult& shot) {
    if (part.code == kShieldHeld) {
      shot.b = static_cast<std::uint16_t>(part.value);
      if (shot.a != kNoModule) {
        shot.bAmount = shot.aAmount;
        shot.a = kNoModule;
        shot.aAmount = kMinorDamage;
      }
      shot.outcome = kShieldHeld;
    } else if (part.code == kHit || part.code == kKill) {
      const auto kind = static_cast<std::uint16_t>(part.value);
      if (kind == kHullDamage) {
        shot.hull += part.amount;
      } else if (kind == kLifeSupportDamage) {
        shot.lifeSupport += part.amount;
      } else if (kind != kLeechDrain) {
        shot.b = shot.a;
        shot.bAmount = shot.aAmount;
        shot.a = kind;
        shot.aAmount = part.amount;
      }
      if (part.code == kKill)
        shot.outcome = kKill;
      else if (shot.outcome != kKill)
        shot.outcome = kHit;
    }
  }

  struct Side {
    std::string chapter, hull, name;
    std::uint32_t id = 0;
    CGUnit* unit = nullptr;
  };

  static Side Describe(std::uint32_t id, const char* unknownHull, const char* unknownName) {
    Side s{ChapterName(GetChapterFromId(id)), unknownHull, unknownName, id};
    s.unit = g_gameData->pieces.FindUnit(id, nullptr);
    if (s.unit != nullptr) {
      const CGUnitTemplate* design = s.unit->GetTemplate();
      s.hull = design != nullptr && design->hull != nullptr ? design->hull->name : "";
      s.name = std::string("'") + s.unit->GetName() + "'";
    }
    return s;
  }

  void WriteSentence(std::uint32_t actor, std::uint32_t weapon, std::uint32_t targetId, std::int16_t chance,
                     bool effective, const ShotResult& shot) {
    static const char* const kVerbs[] = {"MKRSHT01", "MKRSHT02", "MKRSHT03"};
    const std::string verb = CutText(20, kVerbs[plat::rand() % 3]);
    const Side attacker = Describe(actor, "loyal", "crew");
    const Side target = Describe(targetId, "unidentified", "ship");
    const std::string first = "    " + attacker.chapter + "'s " + attacker.hull + " " + attacker.name + " " + verb +
                              " a " + ModuleName(weapon) + " (In " + (effective ? "effective range" : "maximum range") +
                              " with a chance to hit of " + std::to_string(chance > 0 ? chance : 0) + "%) at " +
                              target.chapter + "'s " + target.hull + " " + target.name;
    if (!Write(first)) return;
    Write(SecondHalf(shot, target));
  }

  std::string SecondHalf(const ShotResult& shot, const Side& target) {
    const bool aSet = shot.a != kNoModule, bSet = shot.b != kNoModule;
    if (!aSet && !bSet && shot.hull == 0 && shot.lifeSupport == 0) {
      if (shot.outcome == kHit) return " and hits but does minimal damage.\n";
      if (shot.outcome == kShieldHeld) return " and hits but does not penetrate the shields.\n";
      return Text("MKRMISS_");
    }
    if (target.unit != nullptr && target.unit->reviewMark == 0) {
      Count(RelationToLocal(GetChapterFromId(target.id)), HIT_MINE, HIT_ALLIED, HIT_ENEMY);
      target.unit->reviewMark = 1;
    }
    const bool kill = shot.outcome == kKill;
    struct Part {
      std::string text, ending, and_;
    };
    std::vector<Part> parts;
    const std::string moduleEnding = kill ? " destroying the unit.\n" : "\n";
    const std::string shipEnding = kill ? " which destroyed the ship.\n" : "\n";
    const std::string moduleAnd = CutText(8, "MKR_AND_");
    if (aSet) {
      parts.push_back({shot.a < g_gameData->moduleDB->GetCount()
                           ? Text("MKRDAM01", static_cast<std::int32_t>(shot.aAmount), ModuleName(shot.a))
                           : std::string("minimal damage but stuns the ship"),
                       moduleEnding, moduleAnd});
    }
    if (bSet) {
      std::string text = shot.bAmount == kMinorDamage
                             ? std::string("minimal damage")
                             : Text("MKRDAM01", static_cast<std::int32_t>(shot.bAmount), ModuleName(shot.b));
      if (shot.outcome == kShieldHeld) text += " but did not penetrate the shield";
      parts.push_back({text, moduleEnding, moduleAnd});
    }
    if (shot.hull != 0)
      parts.push_back({shot.hull == kMinorDamage ? std::string("minor damage")
                                                 : Text("MKRDAM03", static_cast<std::int32_t>(shot.hull)),
                       shipEnding, " and "});
    if (shot.lifeSupport != 0)
      parts.push_back({shot.lifeSupport == kMinorDamage ? std::string("minor damage")
                                                        : Text("MKRDAM04", static_cast<std::int32_t>(shot.lifeSupport)),
                       shipEnding, " and "});
    std::string text = Text("MKR&DOES");
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const std::size_t after = parts.size() - 1 - i;
      text += parts[i].text + (after == 0 ? parts[i].ending : after == 1 ? parts[i].and_ : std::string(", "));
    }
    return text;
  }

  plat::FILE* m_log;
  std::array<std::uint32_t, 6>& m_row;
  std::unordered_set<std::uint32_t> m_placed;
  bool m_headerFailed = false;
  bool m_eventWritten = false;
};

void WriteRefusal(plat::FILE* log, std::uint16_t asteroid) {
  if (plat::fputs(Heading(asteroid).c_str(), log) >= 0) plat::fputs(Text("ICMRPERR").c_str(), log);
}

std::string SavePathOf(std::uint16_t asteroid, const char* extension) {
  return g_instData.GetSavePath() + std::to_string(asteroid) + extension;
}

}  // namespace

std::uint32_t MakeReviewLog(std::uint16_t asteroid) {
  if (g_gameData == nullptr) return 0;
  const std::string logName = SavePathOf(asteroid, ".tlg");
  plat::FILE* replay = plat::fopen(SavePathOf(asteroid, ".rpl").c_str(), "rb");
  if (replay != nullptr) {
    if (plat::FILE* existing = plat::fopen(logName.c_str(), "r")) {
      plat::fclose(existing);
      plat::fclose(replay);
      return 1;
    }
  }
  const bool inTable = asteroid < kMaxAsteroids;
  if (inTable) g_gameData->reviewLog[asteroid].fill(0);
  if (replay == nullptr) {
    // A log left from an earlier turn would describe another battle.
    plat::remove(logName.c_str());
    return 0;
  }
  plat::FILE* log = plat::fopen(logName.c_str(), "w");
  if (log != nullptr && inTable && asteroid < g_numAsteroids &&
      !ReviewLogBuilder(log, asteroid).Build(replay, asteroid)) {
    // The replay view refuses this file: nothing of it is counted, and the
    // log, kept for the turn like any other, says only that.
    g_gameData->reviewLog[asteroid].fill(0);
    plat::fclose(log);
    log = plat::fopen(logName.c_str(), "w");
    if (log != nullptr) WriteRefusal(log, asteroid);
  }
  if (log != nullptr) plat::fclose(log);
  plat::fclose(replay);
  return 1;
}
