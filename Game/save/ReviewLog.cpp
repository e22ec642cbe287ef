#include "Game/save/ReviewLog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/net/ReplayFormat.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "platform/core/random.h"

namespace {

using replay::kMarker;
constexpr std::uint8_t kEndOfReplay = replay::kPhasesEnd;
constexpr std::uint8_t kDroppedShot = replay::kStepEnd;
constexpr std::uint8_t kShot = replay::kShot;
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
// Shots nested in shots: a replay nests one in another only for a unit that
// fires several weapons at once; a file that nests deeper is not a replay.
constexpr int kMaxNestedShots = 64;
constexpr const char* kLogFile = "ReviewLog.cpp";

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

class ReviewLogBuilder {
 public:
  ReviewLogBuilder(plat::FILE* replay, plat::FILE* log, std::uint16_t asteroid)
      : m_in(replay), m_log(log), m_row(g_gameData->reviewLog[asteroid]) {}

  // Writes the log; a header that cannot be read or written ends it early.
  void Build(std::uint16_t asteroid) {
    CGAsteroid* rock = g_gameData->solarDB.GetAsteroid(asteroid);
    if (!Write(Text("MKRRVIEW", rock != nullptr ? rock->GetName() : "")) || !Write(Text("MKRCHINV"))) return;
    for (;;) {
      const std::uint8_t chapter = m_in.U8();
      if (!m_in.Ok()) return;
      if (chapter == replay::kPreambleEnd) break;
      if (!Write(ChapterName(chapter) + "       ")) return;
    }
    if (!Write("\n")) return;
    m_in.U16();
    if (!m_in.Ok()) return;
    ReadUnits();
    ReadEntries();
    Write(Text(m_eventWritten ? "MKRDONE_" : "MKRPEACE"));
  }

 private:
  bool Write(const std::string& text) { return plat::fputs(text.c_str(), m_log) >= 0; }

  void Count(Relation r, Counter mine, Counter allied, Counter enemy) {
    if (r == OWN) ++m_row[mine];
    if (r == OWN || r == ALLIED) ++m_row[allied];
    if (r == ENEMY) ++m_row[enemy];
  }

  void ReadUnits() {
    for (;;) {
      replay::UnitRecord record;
      switch (replay::ReadUnitRecord(m_in, record)) {
        case replay::UnitRead::kRecord:
          break;
        case replay::UnitRead::kEnd:
          return;
        case replay::UnitRead::kTooLong:
          TraceError("A replay's unit record is malformed", kLogFile, __LINE__);
          return;
        case replay::UnitRead::kCutShort:
          TraceError("A replay's unit record is cut short", kLogFile, __LINE__);
          return;
      }
      if (CGUnit* unit = g_gameData->pieces.FindUnit(record.id, nullptr)) unit->reviewMark = 0;
      if (record.a == 0)
        Count(RelationToLocal(GetChapterFromId(record.id)), PRESENT_MINE, PRESENT_ALLIED, PRESENT_ENEMY);
    }
  }

  // A marker and a code; false when the file ends or the marker is missing.
  bool ReadCode(std::uint8_t& code) {
    const std::uint32_t marker = m_in.U32();
    code = m_in.U8();
    if (!m_in.Ok()) return false;
    if (marker != kMarker) {
      TraceError("A replay entry lacks its marker", kLogFile, __LINE__);
      return false;
    }
    return true;
  }

  void ReadEntries() {
    for (;;) {
      const std::uint32_t actor = m_in.U32();
      if (!m_in.Ok()) return;
      std::uint8_t code = 0;
      if (actor == kMarker) {
        code = m_in.U8();
        if (!m_in.Ok()) return;
      } else {
        std::array<std::uint8_t, replay::kMoveBytes - 4> place{};  // the move's location and engine
        m_in.ReadBytes(place);
        if (!ReadCode(code)) return;
        if (code == kShot && !ReadShot(actor, code, 0)) return;
      }
      if (code == kEndOfReplay) return;
    }
  }

  // One shot after its event code; `code` receives the code that ends it.
  // False when the file ends or turns out malformed.
  bool ReadShot(std::uint32_t actor, std::uint8_t& code, int depth) {
    if (depth >= kMaxNestedShots) {
      TraceError("A replay nests its shots too deep", kLogFile, __LINE__);
      return false;
    }
    const std::uint32_t weapon = m_in.U32();
    if (!m_in.Ok()) return false;
    if (weapon == kMarker) {
      code = m_in.U8();
      return m_in.Ok();
    }
    const std::uint32_t target = m_in.U32();
    const auto chance = static_cast<std::int16_t>(m_in.U32() & 0xFFFF);
    const bool effective = m_in.U8() != 0;
    if (!m_in.Ok() || !ReadCode(code)) return false;
    if (code == kDroppedShot) return true;

    ShotResult shot;
    shot.outcome = code;
    for (;;) {
      if (!ReadPart(code, shot)) return false;
      if (!ReadCode(code)) return false;
      if (code == kShot) {
        if (!ReadShot(actor, code, depth + 1)) return false;
        break;
      }
      if (code <= 100) break;
    }
    m_eventWritten = true;
    WriteSentence(actor, weapon, target, chance, effective, shot);
    return true;
  }

  bool ReadPart(std::uint8_t code, ShotResult& shot) {
    if (code == kShieldHeld) {
      const std::uint32_t shield = m_in.U32();
      shot.b = static_cast<std::uint16_t>(shield);
      if (shot.a != kNoModule) {
        shot.bAmount = shot.aAmount;
        shot.a = kNoModule;
        shot.aAmount = kMinorDamage;
      }
      shot.outcome = kShieldHeld;
    } else if (code == kHit || code == kKill) {
      const std::uint16_t kind = m_in.U16();
      const std::uint16_t amount = m_in.U16();
      if (kind == kHullDamage) {
        shot.hull += amount;
      } else if (kind == kLifeSupportDamage) {
        shot.lifeSupport += amount;
      } else if (kind != kLeechDrain) {
        shot.b = shot.a;
        shot.bAmount = shot.aAmount;
        shot.a = kind;
        shot.aAmount = amount;
      }
      if (code == kKill)
        shot.outcome = kKill;
      else if (shot.outcome != kKill)
        shot.outcome = kHit;
    }
    return m_in.Ok();
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

  FileReader m_in;
  plat::FILE* m_log;
  std::array<std::uint32_t, 6>& m_row;
  bool m_eventWritten = false;
};

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
  if (log != nullptr && inTable && asteroid < g_numAsteroids) ReviewLogBuilder(replay, log, asteroid).Build(asteroid);
  if (log != nullptr) plat::fclose(log);
  plat::fclose(replay);
  return 1;
}
