// The replay's events played on the unit objects: the records the reader
// hands over, shots and what they do at their targets, the battle section's
// destructions and departures, the units' sounds, and the goto bar's picture
// of the current event.
//
// Effects are tagged with their firer (the explosion's or projectile's word
// holds the firer's id + 1; 0 is nobody's), so a firer's event runs exactly
// as long as something of its own still plays.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GModuleDB.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/world/CDispModel.h"
#include "Game/views/world/CVDispExp.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"

using namespace plat;
using replay::EventRecord;

namespace {

constexpr std::uint8_t kMiss = replay::kMiss, kShield = replay::kShield, kKill = replay::kKill;
constexpr std::uint32_t kDebrisFrames = 12;     // the debris is bright enough for the flash
constexpr std::uint32_t kDebrisLastFrame = 20;  // the debris is over
constexpr int kGuilds = 5;
constexpr int kTabX[10] = {21, 92, 171, 250, 329, 408, 487, 565, 643, 719};
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kPaleYellow = 0xD7FFFF;
constexpr int kCaptionWidth = 73;
// A goto-bar entry's picture.
constexpr LONG kEntryWidth = 73;
constexpr LONG kEntryHeight = 65;

enum SoundKind { kFireSound, kHitSound, kShieldSound };

std::uint32_t Tag(std::uint32_t firer) { return firer + 1; }
int GuildOfId(std::uint32_t id) { return std::min<int>(static_cast<int>(id >> 29), kGuilds - 1); }

CGModuleDB* Modules() { return g_gameData ? g_gameData->moduleDB.get() : nullptr; }

template <class... Args>
std::string Text(const char* id, const Args&... args) {
  char text[orders::kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, orders::kTextSize, args...);
  return text;
}

// The explosion child (kind 4) of `carrier` tagged `tag`.
bool CarriesExplosionOf(CVDispObj* carrier, std::uint32_t tag) {
  for (CVDispNode* c = carrier->children; c; c = c->next)
    if (c->object->GetType() == DISP_EXPLOSION && static_cast<CVDispExp*>(c->object)->word == tag) return true;
  return false;
}

enum class Fit { kOverlay, kEntry };

// A picture of an entry, at most the entry's size: the module pictures are
// made for the data panel and would spill under the goto bar, where nothing
// draws over them again; a larger one shows its middle. A smaller one (the
// damage and empty-slot icons) sits in the middle of a cleared entry, or the
// empty slot's chapter shield would show around it as if it were the read-out.
void DrawPicture(const std::string& name, HMODULE module, DWORD colourKey, LONG x, LONG y, Fit fit = Fit::kEntry) {
  if (!SharedScreen().viewDDraw || !module) return;
  CSprite sprite(SharedScreen().viewDDraw, colourKey, module, name.c_str(), x, y, 0);
  const LONG width = static_cast<LONG>(sprite.width), height = static_cast<LONG>(sprite.height);
  if (fit == Fit::kEntry && width > 0 && height > 0 && (width < kEntryWidth || height < kEntryHeight)) {
    if (SharedScreen().screenSprite) {
      const RECT entry{x, y, x + kEntryWidth, y + kEntryHeight};
      if (HDC dc = SharedScreen().screenSprite->GetDC()) {
        FillRect(dc, &entry, SharedScreen().blackBrush);
        SharedScreen().screenSprite->ReleaseDC(dc);
      }
      AddDirtyRect(entry);
    }
    if (width < kEntryWidth) x += (kEntryWidth - width) / 2;
    if (height < kEntryHeight) y += (kEntryHeight - height) / 2;
  }
  RECT source{0, 0, width, height};
  if (width > kEntryWidth) {
    source.left = (width - kEntryWidth) / 2;
    source.right = source.left + kEntryWidth;
  }
  if (height > kEntryHeight) {
    source.top = (height - kEntryHeight) / 2;
    source.bottom = source.top + kEntryHeight;
  }
  DrawViewSprite(&sprite, x, y, &source);
}

}  // namespace

// --- unit objects and their state ---

CVDispUnt* CVSReplay::UnitObject(std::uint32_t id) {
  return displayList ? static_cast<CVDispUnt*>(displayList->Find(DISP_UNIT, id)) : nullptr;
}

CVDispObj* CVSReplay::AsteroidObject() {
  return displayList ? displayList->Find(DISP_ASTEROID, battleAsteroid) : nullptr;
}

std::uint8_t CVSReplay::StateOf(const CVDispUnt* unit) { return unit->ordersDone; }

bool CVSReplay::CurrentEvent(const CVDispUnt* unit, EventRecord* out) {
  if (unit->orders.empty()) return false;
  out->bytes = unit->orders.front();
  return true;
}

void CVSReplay::SetState(CVDispUnt* unit, std::uint8_t state) {
  // Only "done" drops the current event.
  if (state == kDone)
    unit->SetOrdersDone(kDone);
  else
    unit->ordersDone = state;
}

// --- the reader's records ---

void CVSReplay::AddUnit(const replay::UnitRecord& record, bool joined) {
  double at[3];
  LocationToWorld(record.location, at);
  CVDispUnt* object = CreateReplayObject(record.id, std::span(record.appearance.data(), record.count), at);
  if (!object) return;
  if (!joined && g_gameData) {
    // A unit still under way faces where its first order leads.
    CGUnit* unit = g_gameData->pieces.FindUnitAt(battleAsteroid, record.id);
    if (unit && unit->GetOrderCount() > 0 && unit->GetSpeed() != 0) FaceOrderTarget(object, unit);
  }
  object->UpdateMaterials(0);
}

bool CVSReplay::HasUnit(std::uint32_t id) { return UnitObject(id) != nullptr; }

void CVSReplay::MoveUnit(std::uint32_t id, const Location& to, std::uint32_t engine) {
  CVDispUnt* unit = UnitObject(id);
  if (!unit) return;
  double target[3], here[3];
  LocationToWorld(to, target);
  unit->GetPosition(here);
  bool same = true;
  for (int k = 0; k < 3; ++k) {
    target[k] = replay::TruncateToHundredths(target[k]);
    same = same && target[k] == replay::TruncateToHundredths(here[k]);
  }
  if (same) {
    if (unit->spareWord != 0xFFFF && g_sndPlay) g_sndPlay->StopEffect(unit->spareWord);
    unit->spareWord = 0xFFFF;
    return;
  }
  if (engine != replay::kNoEngine && unit->spareWord == 0xFFFF && g_sndPlay) {
    // The engine loops at the unit; its slot is kept to follow the unit.
    char path[300];
    if (Modules() && Modules()->GetSoundFileName(static_cast<int>(engine), path, GuildOfId(id)) && g_sgWorld) {
      double camera[3];
      float forward[3], up[3], right[3];
      g_sgWorld->GetCameraPosition(camera);
      g_sgWorld->GetCameraForward(forward);
      g_sgWorld->GetCameraUp(up);
      DispCross(up, forward, right);
      DispNormalise(right);
      const PlacedSound s = PlaceSound(camera, right, here, true, false);
      const int slot = g_sndPlay->PlayEffect(path, s.volume, s.balance, 1);
      if (slot >= 0) unit->spareWord = static_cast<std::uint16_t>(slot);
    }
  }
  unit->MoveTo(target);
  unit->UpdateMaterials(0);
}

std::size_t CVSReplay::QueueEvent(const EventRecord& event) {
  CVDispUnt* unit = UnitObject(event.U32(EventRecord::kOwner));
  if (!unit) return 0;
  unit->QueueOrder(event.bytes.data());
  return unit->orders.size();
}

void CVSReplay::WreckUnit(std::uint32_t id) {
  if (CVDispUnt* unit = UnitObject(id)) {
    unit->SetWrecked(1);
    unit->UpdateMaterials(0);
  }
}

// --- the clock's stage ---

bool CVSReplay::ReadMovementPhase() {
  if (!reader) return false;
  if (!reader->ReadMovementPhase()) {
    if (reader->refused()) SwitchAwayFrom(battleAsteroid);
    return false;
  }
  if (!slowReview) StretchMoves();
  StartNextEvent();
  return true;
}

bool CVSReplay::ReadBattleSection() {
  // A refusal in the movement phases has switched the view away already.
  if (!reader || reader->refused()) return false;
  if (reader->ReadBattleSection()) return true;
  if (reader->refused()) SwitchAwayFrom(battleAsteroid);
  return false;
}

void CVSReplay::StretchMoves() {
  if (!displayList || !reader) return;
  const std::uint32_t most = reader->counters().mostOfOneUnit;
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_UNIT) static_cast<CVDispUnt*>(n->object)->SetMoveTurns(most);
}

void CVSReplay::ResetUnitMoves(bool finish) {
  if (!displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    if (n->object->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(n->object);
    unit->SetSpeed(0.f, finish ? 1 : 0);
    unit->ClearOrders();
  }
}

void CVSReplay::FreezeUnitSounds() { soundsFrozen = true; }

void CVSReplay::FadeSounds() {
  if (g_sndPlay) g_sndPlay->FadeAllSounds();
}

void CVSReplay::StopUnitSounds() {
  if (!displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    if (n->object->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(n->object);
    if (unit->spareWord != 0xFFFF && g_sndPlay) g_sndPlay->StopEffect(unit->spareWord);
    unit->spareWord = 0xFFFF;
  }
}

void CVSReplay::UpdateUnitSound(CVDispUnt* unit) {
  if (!g_sndPlay || !g_sgWorld || unit->spareWord == 0xFFFF) return;
  double camera[3], at[3];
  float forward[3], up[3], right[3];
  g_sgWorld->GetCameraPosition(camera);
  g_sgWorld->GetCameraForward(forward);
  g_sgWorld->GetCameraUp(up);
  DispCross(up, forward, right);
  DispNormalise(right);
  unit->GetPosition(at);
  const double d = std::sqrt((at[0] - camera[0]) * (at[0] - camera[0]) + (at[1] - camera[1]) * (at[1] - camera[1]) +
                             (at[2] - camera[2]) * (at[2] - camera[2]));
  const PlacedSound s = PlaceSound(camera, right, at, true, false);
  g_sndPlay->SetEffectVolumePan(unit->spareWord, static_cast<float>(std::min(d / 70.0, 1.0)), s.balance);
}

void CVSReplay::PlayModuleSound(int which, std::uint32_t module, int guild, const double at[3]) {
  CGModuleDB* db = Modules();
  if (!db) return;
  char path[300] = {};
  const int index = static_cast<int>(module);
  const int found = which == kFireSound  ? db->GetFireSoundFileName(index, path, guild)
                    : which == kHitSound ? db->GetHitSoundFileName(index, path, guild)
                                         : db->GetShieldSoundFileName(index, path, guild);
  if (found) PlaySoundAt(path, at, false, false);
}

CVDispObj* CVSReplay::MakeEffect(const char* name, const char* dir, CVDispObj* on, CVDispObj* owner, CVDispObj* faces) {
  // A shield effect (one that faces the firer) wraps what it shields; an explosion is a picture at it.
  CVDispObj* effect = CreateExplosionObject(0, name, dir, on, faces ? 1 : 0, 0);
  if (!effect) return nullptr;
  static_cast<CVDispExp*>(effect)->word = Tag(owner->key.id);
  double at[3];
  on->GetPosition(at);
  effect->SetPosition(at);
  if (faces) effect->FaceObject(faces);
  return effect;
}

// --- events ---

bool CVSReplay::StartNextEvent() {
  if (!displayList || !reader) return false;
  replay::EventCounters& counters = reader->counters();
  CVDispUnt* firer = nullptr;
  EventRecord event;
  for (CVDispNode* n = displayList->head; n && !firer; n = n->next) {
    if (n->object->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(n->object);
    const std::uint8_t state = StateOf(unit);
    if ((state != kIdle && state != kDone && state != kMissed) || !CurrentEvent(unit, &event)) continue;
    if (event.U16(EventRecord::kNumber) > counters.started) continue;
    // A missed shot's event is over once the unit's next one starts.
    if (state == kMissed) SetState(unit, kDone);
    if (CurrentEvent(unit, &event)) firer = unit;
  }
  if (!firer) return false;
  ++counters.started;
  eventBar = replay::EventBar{};
  const std::uint8_t kind = event.U8(EventRecord::kKind);
  const bool transport = kind == replay::kTransportOut || kind == replay::kTransportIn;
  const int guild = GuildOfId(firer->key.id);
  double from[3];
  firer->GetPosition(from);
  PlayModuleSound(kFireSound, event.U32(EventRecord::kModule), guild, from);
  const std::uint32_t module = transport ? 0xFFFF : event.U32(EventRecord::kModule);
  CDispModel* shot = displayList->CreateModel(static_cast<std::uint32_t>(guild), module,
                                              !transport && kind == kMiss ? 1 : 0, Tag(firer->key.id));
  double to[3] = {from[0], from[1], from[2]};
  CVDispObj* aim =
      kind == replay::kAsteroidFire || transport ? AsteroidObject() : UnitObject(event.U32(EventRecord::kTarget));
  if (aim)
    aim->GetPosition(to);
  else
    TraceError("CVSReplay - a shot without its target", __FILE__, __LINE__);
  if (shot) {
    shot->SetPosition(from);
    shot->Launch(to, overlap);
  }
  firer->SetHeading(to);
  firer->UpdateMaterials(0);
  SetState(firer, kShotFlying);
  if (SharedScreen().replayMode == 3) {
    PauseBySelf();
    return true;
  }
  if (kind != replay::kDeparture) ShowEvent(event);
  return true;
}

bool CVSReplay::IsShotInFlight(CVDispUnt* unit) {
  if (!displayList) return false;
  const std::uint32_t tag = Tag(unit->key.id);
  const std::uint8_t state = StateOf(unit);
  EventRecord event;
  const bool hasEvent = CurrentEvent(unit, &event);
  const std::uint8_t kind = hasEvent ? event.U8(EventRecord::kKind) : 0;
  if (state == kShotFlying && kind == kMiss) {
    // The missed projectile gave way to a free explosion: it is this firer's.
    bool flying = false;
    for (CVDispNode* n = displayList->head; n && !flying; n = n->next)
      flying = n->object->GetType() == DISP_MODEL && static_cast<CDispModel*>(n->object)->word == tag;
    if (!flying) {
      const std::uint32_t id = event.U32(EventRecord::kModule) & 0xFF;
      for (CVDispNode* n = displayList->head; n; n = n->next) {
        auto* e = static_cast<CVDispExp*>(n->object);
        if (n->object->GetType() == DISP_EXPLOSION && e->word == 0 && e->key.id == id) {
          e->word = tag;
          break;
        }
      }
    }
  }
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* o = n->object;
    switch (o->GetType()) {
      case DISP_UNIT:
        if (!CarriesExplosionOf(o, tag)) break;
        if (kind == kKill && !static_cast<CVDispUnt*>(o)->wreck) {
          if (CVDispUnt* target = UnitObject(event.U32(EventRecord::kTarget))) {
            WreckUnit(target->key.id);
            if (AllOwnUnitsWrecked()) ticker.Complete();
          } else {
            TraceError("CVSReplay - a kill without its target", __FILE__, __LINE__);
          }
        }
        return true;
      case DISP_MODEL:
        if (static_cast<CDispModel*>(o)->word == tag) return true;
        break;
      case DISP_EXPLOSION:
        if (static_cast<CVDispExp*>(o)->word != tag) break;
        if (state == kExploding || state == kShieldFlash || state == kMissed) return true;
        if (state == kShotFlying && kind == kMiss) {
          SetState(unit, kMissed);
          double at[3];
          o->GetPosition(at);
          PlayModuleSound(kHitSound, event.U32(EventRecord::kModule), GuildOfId(unit->key.id), at);
          return true;
        }
        break;
      case DISP_ASTEROID:
        if (CarriesExplosionOf(o, tag)) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

bool CVSReplay::AnimateShot(CVDispUnt* unit) {
  if (IsShotInFlight(unit)) return true;
  EventRecord event;
  if (!CurrentEvent(unit, &event)) {
    unit->ordersDone = kDone;
    return false;
  }
  const std::uint8_t kind = event.U8(EventRecord::kKind);
  CVDispUnt* target = UnitObject(event.U32(EventRecord::kTarget));
  const int guild = GuildOfId(unit->key.id);
  const std::uint32_t module = event.U32(EventRecord::kModule);
  if (StateOf(unit) == kShotFlying) {
    if (!target) {
      TraceError("CVSReplay - a shot's target has no object", __FILE__, __LINE__);
      SetState(unit, kDone);
      return false;
    }
    double at[3];
    target->GetPosition(at);
    char shieldDir[300];
    std::snprintf(shieldDir, sizeof shieldDir, "%sg%d\\shieldfx\\", g_instData.Get3DPath(),
                  GuildOfId(target->key.id) + 1);
    if (kind == kMiss) {
      PlayModuleSound(kHitSound, module, guild, at);
      SetState(unit, kDone);
      return false;
    }
    if (kind == kShield) {
      const std::uint16_t shield = event.U16(EventRecord::kSecondModule);
      const std::string name = std::string(Modules() ? Modules()->GetSoundName(shield) : "") + "00";
      MakeEffect(name.c_str(), shieldDir, target, unit, unit);
      SetState(unit, kShieldFlash);
      PlayModuleSound(kShieldSound, shield, GuildOfId(target->key.id), at);
      return true;
    }
    if (event.U16(EventRecord::kLeech) != 0) {
      MakeEffect("rshd00", shieldDir, target, unit, unit);
      SetState(unit, kShieldFlash);
      PlayModuleSound(kShieldSound, module, guild, at);
    } else {
      char dir[300];
      std::snprintf(dir, sizeof dir, "%sexplode\\", g_instData.Get3DPath());
      const char* name = Modules() ? Modules()->GetExplosionName(static_cast<int>(module)) : "exp100";
      MakeEffect(name, dir, target, unit, nullptr);
      SetState(unit, kExploding);
      PlayModuleSound(kHitSound, module, guild, at);
      return true;
    }
  }
  const std::uint8_t state = StateOf(unit);
  if ((state == kExploding || state == kShieldFlash) && kind == kKill && target && !target->wreck)
    WreckUnit(target->key.id);
  SetState(unit, kDone);
  return false;
}

bool CVSReplay::AllOwnUnitsWrecked() {
  if (!displayList) return false;
  const std::uint32_t local = LocalChapterId();
  bool any = false;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    if (n->object->GetType() != DISP_UNIT || GetChapterFromId(n->object->key.id) != local) continue;
    if (!static_cast<CVDispUnt*>(n->object)->wreck) return false;
    any = true;
  }
  return any;
}

bool CVSReplay::AnimateMovementPhase() {
  if (!displayList) return false;
  bool busy = false;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    if (n->object->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(n->object);
    const std::uint8_t state = StateOf(unit);
    if (state != kIdle && state != kDone) {
      if (!AnimateShot(unit)) {
        if (!busy && StartNextEvent()) busy = true;
      } else {
        busy = true;
        // In fast review another shot may start while this one plays.
        if (!slowReview && (overlap() & 7) == 0) StartNextEvent();
      }
      if (ticker.complete()) return busy;
    }
    if (unit->spareWord != 0xFFFF && !soundsFrozen) UpdateUnitSound(unit);
  }
  return busy;
}

bool CVSReplay::AnimateBattleSection() {
  if (!displayList || !reader) return false;
  bool busy = false;
  for (CVDispNode* n = displayList->head; n;) {
    CVDispObj* o = n->object;
    n = n->next;
    if (o->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(o);
    EventRecord event;
    if (!CurrentEvent(unit, &event)) continue;
    switch (StateOf(unit)) {
      case kIdle:
      case kDone:
        break;
      case kShotFlying:
        if (IsShotInFlight(unit)) {
          busy = true;
        } else if (event.U8(EventRecord::kKind) == replay::kAsteroidFire) {
          CVDispObj* asteroid = displayList->Find(DISP_ASTEROID, event.U32(EventRecord::kTarget));
          if (!asteroid) {
            TraceError("CVSReplay - fire on an asteroid that has no object", __FILE__, __LINE__);
            SetState(unit, kDone);
            return false;
          }
          char dir[300];
          std::snprintf(dir, sizeof dir, "%sg%d\\shieldfx\\", g_instData.Get3DPath(), GuildOfId(unit->key.id) + 1);
          MakeEffect("nxef00", dir, asteroid, unit, unit);
          SetState(unit, kAsteroidShield);
          double at[3];
          asteroid->GetPosition(at);
          PlayModuleSound(kShieldSound, event.U32(EventRecord::kModule), GuildOfId(unit->key.id), at);
          busy = true;
        } else {
          SetState(unit, kDone);
        }
        break;
      case kDestroying:
        AnimateDestruction(unit, event);
        return true;
      case kDeparting:
        if (unit->FlyOut()) {
          if (unit->spareWord != 0xFFFF && g_sndPlay) g_sndPlay->StopEffect(unit->spareWord);
          displayList->RemoveObject(unit);
          return true;
        }
        busy = true;
        UpdateUnitSound(unit);
        break;
      case kScanning:
        SetState(unit, kDone);
        break;
      case kAsteroidShield:
        if (IsShotInFlight(unit))
          busy = true;
        else
          SetState(unit, kDone);
        break;
      default:
        TraceError("CVSReplay - a unit in an unknown replay state", __FILE__, __LINE__);
        SetState(unit, kDone);
        break;
    }
  }
  if (busy) return true;
  replay::EventCounters& counters = reader->counters();
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    if (n->object->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(n->object);
    EventRecord event;
    const std::uint8_t state = StateOf(unit);
    if ((state != kIdle && state != kDone) || !CurrentEvent(unit, &event) ||
        event.U16(EventRecord::kNumber) > counters.started)
      continue;
    switch (event.U8(EventRecord::kKind)) {
      case replay::kDestroyed:
        ++counters.started;
        SetState(unit, kDestroying);
        destructionStage = 1;
        return true;
      case replay::kScan:
        ++counters.started;
        SetState(unit, kScanning);
        return true;
      case replay::kTransportOut:
      case replay::kTransportIn:
      case replay::kAsteroidFire:
        return StartNextEvent();
      case replay::kDeparture: {
        ++counters.started;
        const std::uint16_t engine = event.U16(EventRecord::kFirstModule);
        if (engine != 0xFFFF && unit->spareWord == 0xFFFF) {
          double at[3];
          unit->GetPosition(at);
          char path[300];
          if (Modules() && Modules()->GetSoundFileName(engine, path, GuildOfId(unit->key.id)) && g_sndPlay &&
              g_sgWorld) {
            double camera[3];
            float forward[3], up[3], right[3];
            g_sgWorld->GetCameraPosition(camera);
            g_sgWorld->GetCameraForward(forward);
            g_sgWorld->GetCameraUp(up);
            DispCross(up, forward, right);
            DispNormalise(right);
            const PlacedSound s = PlaceSound(camera, right, at, true, false);
            const int slot = g_sndPlay->PlayEffect(path, s.volume, s.balance, 1);
            if (slot >= 0) unit->spareWord = static_cast<std::uint16_t>(slot);
          }
        }
        SetState(unit, kDeparting);
        return true;
      }
      default:
        TraceError("CVSReplay - an unknown battle event", __FILE__, __LINE__);
        return false;
    }
  }
  return false;
}

// --- destruction ---

void CVSReplay::StartDestruction(const EventRecord& event) {
  CVDispUnt* unit = UnitObject(event.U32(EventRecord::kTarget));
  if (!unit || !displayList) return;
  char dir[300];
  std::snprintf(dir, sizeof dir, "%sexplode\\", g_instData.Get3DPath());
  // It loops so that it lasts until the sequence takes it away.
  debrisObject = displayList->CreateExplosion(0, "sdbr00", dir, nullptr, 0, 1);
  if (!debrisObject) return;
  debrisObject->word = Tag(unit->key.id);
  double at[3];
  unit->GetPosition(at);
  debrisObject->SetPosition(at);
  debrisObject->PreloadFrames();
  debrisSteps = 27;
  debrisFrames = 0;
  debrisLastFrame = debrisObject->frame;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  PlayModuleSound(kHitSound, event.U32(EventRecord::kModule), GuildOfId(unit->key.id), at);
}

void CVSReplay::AnimateDebris() {
  if (!debrisObject) return;
  if (debrisObject->frame != debrisLastFrame) {
    debrisLastFrame = debrisObject->frame;
    ++debrisFrames;
  }
  debrisObject->Drift(&debrisSteps);
}

void CVSReplay::AnimateDestruction(CVDispUnt* unit, const EventRecord& event) {
  const double rate = g_frameRate > 0.0 ? g_frameRate : 10.0;
  switch (destructionStage) {
    case 1:
      WreckUnit(unit->key.id);
      StartDestruction(event);
      destructionStage = 2;
      break;
    case 2:
      AnimateDebris();
      // A debris picture that never gets that far (or none) gives up when its drift is over.
      if (!debrisObject || debrisFrames >= kDebrisFrames || debrisSteps == 0) {
        destructionStage = 3;
        flash.Begin();
      }
      break;
    case 3:
      AnimateDebris();
      if (debrisObject && debrisSteps > 0 && debrisFrames < kDebrisLastFrame) {
        flash.Rise(rate);
      } else {
        FaceUnitsToCamera();
        if (debrisObject && displayList) displayList->RemoveObject(debrisObject);
        debrisObject = nullptr;
        destructionStage = 4;
      }
      break;
    case 4:
      if (flash.Fall(rate)) {
        destructionStage = 5;
        SetState(unit, kDone);
      }
      break;
    default:
      debrisObject = nullptr;
      destructionStage = 0;
      SetState(unit, kDone);
      break;
  }
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

// --- the goto bar ---

void CVSReplay::DrawGotoBar() {
  if (!displayList) {
    DrawEventBar(nullptr);
    return;
  }
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    if (n->object->GetType() != DISP_UNIT) continue;
    auto* unit = static_cast<CVDispUnt*>(n->object);
    EventRecord event;
    if (StateOf(unit) > kDone && CurrentEvent(unit, &event)) {
      if (SharedScreen().replayMode == 1)
        ShowEvent(event);
      else
        DrawEventBar(&event);
      return;
    }
  }
  DrawEventBar(nullptr);
}

void CVSReplay::ClearEventBar() { eventBar = replay::EventBar{}; }

void CVSReplay::ShowEvent(const EventRecord& event) {
  eventBar =
      replay::FillEventBar(event, battleAsteroid, static_cast<std::uint8_t>(GuildOfId(event.U32(EventRecord::kOwner))));
  DrawEventBar(&event);
  FlushScreen();
}

void CVSReplay::DrawEventBar(const EventRecord* event) {
  if (!SharedScreen().screenSprite) return;
  if (!event) {
    ClearEventBar();
    for (int x : kTabX) DrawViewSprite(SharedScreen().gotoTabSprite, x, 0, nullptr);
  }
  const std::string art = g_instData.GetArtPath();
  HMODULE imageModule = g_gameData ? g_gameData->GetImageModule() : nullptr;
  const std::uint8_t kind = event ? event->U8(EventRecord::kKind) : 0;
  for (int i = 0; i < static_cast<int>(eventBar.size()); ++i) {
    const replay::EventBarEntry& e = eventBar[static_cast<std::size_t>(i)];
    const LONG x = GotoColumnLeft(i);
    DrawViewSprite(SharedScreen().emptyGotoSprite, x, 10, nullptr);
    switch (e.kind) {
      case replay::kBarAsteroid: {
        char path[260];
        g_instData.BuildPath(path, "asneex.dll", INSTPATH_ART);
        HMODULE asteroids = LoadLibrary(path);
        char name[64];
        std::snprintf(name, sizeof name, "asteroid\\ast%02u_gt.ima", (e.value & 0xF) + 1);
        DrawPicture(art + name, asteroids, 0xFFFFFFFF, x, 10);
        DrawPicture(art + "halfterr.ima", imageModule, 0, 45 + 79 * i, 22, Fit::kOverlay);
        if (asteroids) FreeLibrary(asteroids);
        COLORREF colour = kPaleYellow;
        CGAsteroid* a = orders::FindAsteroid(e.value);
        if (a && a->controller < 40 && g_gameData)
          colour = a->controller == g_gameData->localChapterId ? GetFullColor(a->controller >> 3)
                                                               : GetBrightColor(a->controller >> 3);
        DrawGotoBarText(Text("TARGET__").c_str(), i, 0, 0, kCaptionWidth, kYellow, DT_CENTER);
        if (a && a->GetName()) DrawGotoBarText(a->GetName(), i, 0, 54, kCaptionWidth, colour, DT_CENTER);
        break;
      }
      case replay::kBarUnit: {
        CVDispUnt* object = UnitObject(e.value);
        if (!object) {
          eventBar[static_cast<std::size_t>(i)] = {};
          break;
        }
        const int guild = GuildOfId(e.value);
        std::string abbreviation = "reck";
        if (!object->wreck && object->baseName.size() > 2)
          abbreviation = object->baseName.substr(0, object->baseName.size() - 2);
        char picture[300];
        std::snprintf(picture, sizeof picture, "%sunits\\%s_gt.ima", g_instData.GetGuildPath(guild),
                      abbreviation.c_str());
        DrawPicture(picture, g_gameData ? g_gameData->GetGuildModule(guild) : nullptr, 0xFFFFFFFF, x, 10);
        char name[64];
        CGUnit* unit = g_gameData ? g_gameData->pieces.FindUnit(e.value, nullptr) : nullptr;
        if (unit && unit->GetName())
          std::snprintf(name, sizeof name, "%s", unit->GetName());
        else
          std::snprintf(name, sizeof name, "%u:%u:%u", e.value >> 29, (e.value >> 26) & 7, e.value & 0x3FFFFFF);
        DrawGotoBarText(Text(i == 0 ? "FIRER___" : "TARGET__").c_str(), i, 0, 0, kCaptionWidth, kYellow, DT_CENTER);
        DrawGotoBarText(name, i, 0, 54, kCaptionWidth, GetBrightColor(static_cast<std::uint32_t>(guild)), DT_CENTER);
        break;
      }
      case replay::kBarModule: {
        if (eventBar[0].kind == replay::kBarUnit && !UnitObject(eventBar[0].value)) {
          eventBar[static_cast<std::size_t>(i)] = {};
          break;
        }
        const int guild = std::min<int>(static_cast<int>(e.value >> 24), kGuilds - 1);
        const unsigned damage = (e.value >> 16) & 0xFF;
        const int module = static_cast<int>(e.value & 0xFFFF);
        char picture[300] = {};
        if (module == 1255)
          std::snprintf(picture, sizeof picture, "%shull%d.ima", g_instData.GetGuildPath(guild), guild + 1);
        else if (Modules())
          Modules()->GetImageFileName(module, picture, guild);
        if (picture[0])
          DrawPicture(picture, g_gameData ? g_gameData->GetGuildModule(guild) : nullptr, 0xFFFFFFFF, x, 10);
        const char* typeText = Modules() && module != 1255 ? Modules()->GetTypeText(module) : nullptr;
        std::string type = module == 1255 ? Text("EMPTY___") : std::string(typeText ? typeText : "");
        if (type.find("COSM") != std::string::npos) type = Text("COSM____");
        DrawGotoBarText(type.c_str(), i, 0, 0, kCaptionWidth, kYellow, DT_CENTER);
        std::string line;
        if (i == 1) {
          line = Text(kind == replay::kScan                                           ? "SCANNER_"
                      : kind == replay::kTransportOut || kind == replay::kTransportIn ? "TRANSPRT"
                                                                                      : "WEAPON__");
          if (event && event->U16(EventRecord::kLeech) != 0) {
            char leech[40];
            std::snprintf(leech, sizeof leech, "Leeched: %d", event->U16(EventRecord::kLeech));
            DrawGotoBarText(leech, i, 0, 44, kCaptionWidth, kWhite, DT_CENTER);
          }
        } else if (damage == 255) {
          line = Text(kind == kShield ? "DEFLECTD" : "DESTROYD");
        } else {
          line = Text("HIT_FOR_", static_cast<int>(damage));
        }
        DrawGotoBarText(line.c_str(), i, 0, 54, kCaptionWidth, kWhite, DT_CENTER);
        break;
      }
      case replay::kBarHullDamage:
      case replay::kBarLifeDamage: {
        const bool hull = e.kind == replay::kBarHullDamage;
        char picture[300];
        if (hull)
          std::snprintf(picture, sizeof picture, "%sdamhull.ima", art.c_str());
        else
          std::snprintf(picture, sizeof picture, "%slife%d.ima", art.c_str(), 1);
        DrawPicture(picture, imageModule, 0xFFFFFFFF, x, 10);
        DrawGotoBarText(Text(hull ? "HULL____" : "LIFE____").c_str(), i, 0, 0, kCaptionWidth, kYellow, DT_CENTER);
        DrawGotoBarText(Text(hull ? "INTEGRIT" : "SUPPORT_").c_str(), i, 0, 10, kCaptionWidth, kYellow, DT_CENTER);
        DrawGotoBarText(std::to_string(e.value).c_str(), i, 0, 54, kCaptionWidth, kWhite, DT_CENTER);
        break;
      }
      default:
        break;
    }
  }
}
