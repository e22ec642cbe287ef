#include "Game/views/replay/CVTReplay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GTerrainRec.h"
#include "Game/model/GZone.h"
#include "media/CImageButton.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/resource/module.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

// Event kinds of the recorder, as the phases read them.
enum EventKind : std::uint32_t {
  EV_START = 0,
  EV_LANDING = 1,
  EV_COLLISION = 3,
  EV_DETONATION = 4,
  EV_BOMBARD = 5,
  EV_POD = 7,
  EV_POD_FIRE = 8,
  EV_GUNFIRE = 12,
  EV_HIT = 13,
  EV_MOVE_HALF = 14,
  EV_COMBAT = 15,
  EV_MOVE = 17,
  EV_ARTIFACT = 18,
};
// Element types of an event's source and target.
enum ElementType : std::uint32_t {
  T_ATV = 1,
  T_FACILITY = 2,
  T_ARTIFACT = 3,
  T_SHOT = 4,
  T_DESTROYED = 5,
  T_SHIELD = 6,
  T_POD = 7
};

constexpr int kMoveSteps = 20;
constexpr int kBlastSteps = 10;
constexpr int kShotFrames = 11;
constexpr int kBlastFrames = 10;
constexpr int kShieldFrames = 7;
constexpr int kChapters = 40;
constexpr float kPanPerPixel = 0.0010903426f;
constexpr int kScreenCentreX = 321;
const char* const kAtvNames[4] = {"com", "min", "pow", "sb"};

HMODULE ImageModule() { return g_gameData ? g_gameData->GetImageModule() : nullptr; }
std::int64_t Zone(std::uint32_t stored) {
  return std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(stored)));
}
bool Negated(std::uint32_t stored) { return static_cast<std::int32_t>(stored) < 0; }

void Trace(const char* text) { TraceError(text, __FILE__, __LINE__); }

void ReleaseMover(CSpriteMover* m) {
  m->ResetFrameSprites();
  delete m;
}

// The movers' owner once the replay has gone: a mover still on an event is
// reset and deleted.
class LooseMovers final : public ISpriteMoverOwner {
 public:
  void ReleaseSpriteMover(CSpriteMover* m) override { ReleaseMover(m); }
};

}  // namespace

CVTReplay::CVTReplay(HWND window, HINSTANCE instance)
    : CVTerrain(window, instance),
      collisionFrames(2),
      explosionFrames(kBlastFrames),
      shieldFrames(kShieldFrames),
      photonFrames(kShotFrames),
      atvPictures(60),
      podFrames(15),
      bombardFrames(6) {
  list.Init();
  list.state = CSpriteMoverList::STOPPED;
  const std::string path = std::string(g_instData.GetArtPath()) + "asneex.dll";
  effectsModule = LoadLibrary(path.c_str());
  // The recorder lets the events' movers go through their owner, also when
  // the server clears the events in the middle of a replay.
  RegisterSpriteMoverOwner(this);
}

CVTReplay::~CVTReplay() {
  list.Clear();
  if (CGAsteroid* a = Asteroid()) a->ReleaseEventMovers();
  static LooseMovers loose;
  RegisterSpriteMoverOwner(&loose);
  FreeCaches();
  if (effectsModule) FreeLibrary(effectsModule);
}

void CVTReplay::ReleaseSpriteMover(CSpriteMover* m) {
  // The list lets go first.
  list.Remove(m);
  std::replace(removals.begin(), removals.end(), m, static_cast<CSpriteMover*>(nullptr));
  ReleaseMover(m);
}

int CVTReplay::EventCount() const {
  const CGAsteroid* a = Asteroid();
  return a ? a->GetTerrainEventCount() : 0;
}

TerrainEvent* CVTReplay::Event(int i) const {
  const CGAsteroid* a = Asteroid();
  return a ? a->terrainEvents.GetAt(static_cast<std::uint16_t>(i)) : nullptr;
}

int CVTReplay::ShownMovers() const {
  int n = 0;
  for (const CSpriteMover* m = list.head; m; m = m->next) n += m->state != CSpriteMover::INACTIVE ? 1 : 0;
  return n;
}

// ---- view slots ----

void CVTReplay::Render(std::int32_t argument) {
  if (built) {
    CVTerrain::Render(argument);
    return;
  }
  plainCells = 1;
  CVTerrain::Render(argument);
  EnterReplayMode();
  phase = 0;
}

void CVTReplay::GoToView(WPARAM viewType, LPARAM argument) {
  SharedScreen().previousViewType = VIEW_TERRAIN_REPLAY;
  SharedScreen().viewType = static_cast<std::uint32_t>(viewType);
  SharedScreen().previousViewAsteroid = asteroidId;
  ForgetCoveredStatusLine();
  built = 0;
  OnReplayModeLeft();
  LeaveReplayMode(0);
  for (int i = 0; i < kFilterCount; ++i) ShowWindow(FilterButton(i)->window, SW_HIDE);
  ShowWindow(AutomanageButton()->window, SW_HIDE);
  ShowWindow(GoToSpaceButton()->window, SW_HIDE);
  HideControlButtons();
  ClearControlArea();
  // A shot or explosion still sounding would outlive the battle it belongs to.
  if (g_sndPlay) g_sndPlay->StopEffect(-1);
  sweeps.fill(Sweep{});
  PostMessage(SharedScreen().viewWnd, WM_APP_SWITCH_VIEW, viewType, argument);
}

void CVTReplay::OnReplayModeEntered() {
  if (CImageButton* pause = ControlButton(control::kReplayPause)) ShowWindow(pause->window, SW_SHOW);
  if (CImageButton* play = ControlButton(control::kReplayPlay)) ShowWindow(play->window, SW_HIDE);
  SharedScreen().replayMode = 2;
  list.Clear();
  FreeCaches();
  list.state = CSpriteMoverList::STOPPED;
}

void CVTReplay::OnReplayModeLeft() {
  list.Stop();
  list.Clear();
  if (CGAsteroid* a = Asteroid()) {
    a->SetTrackStepFlags();
    a->ReleaseEventMovers();
  }
  extras.clear();
  removals.clear();
  removalCursor = 0;
  FreeCaches();
}

void CVTReplay::Restart() {
  list.Clear();
  if (CGAsteroid* a = Asteroid()) {
    a->SetTrackStepFlags();
    a->ReleaseEventMovers();
  }
  extras.clear();
  removals.clear();
  removalCursor = 0;
  round = 0;
  phase = 0;
  RedrawAllZones(1);
}

void CVTReplay::OnReplayPlay() {
  if (phase == kLastPhase && list.state == CSpriteMoverList::PAUSED) Restart();
  list.Run();
}

void CVTReplay::OnReplayPause() {
  SharedScreen().replayMode = 1;
  list.Pause();
}

void CVTReplay::OnReplayAdvance() {
  // The step ends paused: from play, Pause would stay offered over a replay
  // that already waits, and take a second press to resume.
  if (SharedScreen().replayMode == 2) {
    if (CImageButton* play = ControlButton(control::kReplayPlay)) ShowWindow(play->window, SW_SHOW);
    if (CImageButton* pause = ControlButton(control::kReplayPause)) ShowWindow(pause->window, SW_HIDE);
  }
  SharedScreen().replayMode = 3;
  list.Run();
}

void CVTReplay::OnReplayRestart() {
  Restart();
  list.Run();
}

void CVTReplay::DrawOverSurface() {
  if (!SharedScreen().infoPanelVisible) list.Draw(SharedScreen().screenSprite);
}

void CVTReplay::PlayFrameAnimation(std::uint32_t elapsedMs) {
  // The survey line a (re)built surface shows goes after its time here too.
  CountDownStatus(elapsedMs);
  // The movers would be drawn over the panel.
  if (SharedScreen().infoPanelVisible) return;
  tickMs += elapsedMs;
  if (tickMs < kTickMs) return;
  tickMs = 0;
  if (SharedScreen().replayMode != 2 && SharedScreen().replayMode != 3) return;
  AdvanceSweeps();
  CSprite* work = WorkSurface();
  if (work) {
    work->x = kViewportRect.left;
    work->y = kViewportRect.top;
  }
  if (list.UpdateAndDraw(SharedScreen().screenSprite, work)) FlushViewport();
  if (list.state == CSpriteMoverList::STOPPED) RunPhase();
  if (SharedScreen().replayMode == 3) OnReplayPause();
}

// ---- positions, movers, sounds ----

bool CVTReplay::CellPos(std::int64_t zone, std::int64_t kind, Pos* out) const {
  const CGAsteroid* a = Asteroid();
  zone = std::abs(zone);
  if (!a || zone >= a->GetZoneCount() || kind < 0 || kind > 3 || SizeClass() < 0) {
    Trace("Terrain event outside the asteroid");
    return false;
  }
  const terrain::Cell c = zone == 0
                              ? terrain::Cell{terrain::kCentreCell, terrain::kCentreCell}
                              : terrain::CellOfZone(static_cast<int>(zone), static_cast<int>(kind), a->ringRotations);
  out->x = kViewportRect.left + terrain::CellLeft(c) + 1;
  out->y = kViewportRect.top + terrain::CellTop(c) + 2;
  return true;
}

bool CVTReplay::FacilityPos(std::int64_t zone, std::uint32_t bit, Pos* out) const {
  switch (bit) {
    case FACILITY_POWER:
      return CellPos(zone, 2, out);
    case FACILITY_MINING:
    case FACILITY_STORAGE:
      return CellPos(zone, 1, out);
    case FACILITY_ATV_CONSTRUCTION:
      return CellPos(zone, 3, out);
    default:
      Trace("Unknown facility type");
      return false;
  }
}

CVTReplay::Pos CVTReplay::Corner(Pos cell) {
  const int x = cell.x - kViewportRect.left, y = cell.y - kViewportRect.top;
  return {kViewportRect.left + (x >= 292 ? 545 : 0), kViewportRect.top + (y >= 183 ? 327 : 0)};
}

float CVTReplay::Pan(int x) { return static_cast<float>(x - kScreenCentreX) * kPanPerPixel; }

CSpriteMover* CVTReplay::EventMover(TerrainEvent& e, std::uint32_t label) {
  if (!e.mover) e.mover = new CSpriteMover(label);
  return e.mover;
}

CSpriteMover* CVTReplay::ExtraMover(std::uint32_t label) {
  extras.push_back(std::make_unique<CSpriteMover>(label));
  return extras.back().get();
}

void CVTReplay::Place(CSpriteMover* m, Pos from, Pos to, int steps) {
  m->SetPath(from.x, from.y, to.x, to.y, steps);
  m->Start();
  // A picture that only stands there is at rest from the start.
  if (steps <= 0) m->state = CSpriteMover::STOPPED;
}

void CVTReplay::Add(CSpriteMover* m, bool front) {
  list.Remove(m);
  if (front)
    list.PushFront(m);
  else
    list.Append(m);
}

void CVTReplay::Explode(CSpriteMover* m, Pos at) {
  m->ClearFrames();
  m->width = 0;
  m->mirror = CSpriteMover::MIRROR_NONE;
  for (int f = 0; f < kBlastFrames; ++f) {
    char name[32];
    std::snprintf(name, sizeof name, "explode\\expl%d.ima", f);
    m->AddFrame(CachedFrame(explosionFrames, f, name, effectsModule));
  }
  Place(m, at, at, kBlastSteps);
}

void CVTReplay::Shield(CSpriteMover* m, Pos at, int steps) {
  m->ClearFrames();
  m->mirror = CSpriteMover::MIRROR_NONE;
  for (int f = 0; f < kShieldFrames; ++f) {
    char name[24];
    std::snprintf(name, sizeof name, "shield%d.ima", f);
    m->AddFrame(CachedFrame(shieldFrames, f, name, ImageModule()));
  }
  Place(m, at, at, steps);
}

void CVTReplay::Shot(CSpriteMover* m, Pos from, Pos to, int steps) {
  m->ClearFrames();
  m->mirror = CSpriteMover::MIRROR_NONE;
  for (int f = 0; f < kShotFrames; ++f) {
    char name[32];
    std::snprintf(name, sizeof name, "explode\\photon%d.ima", f);
    m->AddFrame(CachedFrame(photonFrames, f, name, effectsModule));
  }
  Place(m, from, to, steps);
}

void CVTReplay::RegisterForRemoval(CSpriteMover* m) { removals.push_back(m); }

void CVTReplay::ApplyRemovals() {
  for (; removalCursor < removals.size(); ++removalCursor)
    if (removals[removalCursor]) list.Remove(removals[removalCursor]);
}

int CVTReplay::PlaySound(const char* name, int x) {
  return g_sndPlay ? g_sndPlay->PlayEffect(name, 0.0f, Pan(x), 0) : -1;
}

void CVTReplay::SweepSound(int slot, int fromX, int toX, int steps) {
  if (slot < 0 || steps <= 0) return;
  for (Sweep& s : sweeps) {
    if (s.slot >= 0) continue;
    s.slot = slot;
    s.steps = steps;
    s.done = 0;
    s.pan = Pan(fromX);
    s.volume = 0;
    s.panStep = (Pan(toX) - s.pan) / static_cast<float>(steps);
    s.volumeStep = 0;
    return;
  }
}

void CVTReplay::AdvanceSweeps() {
  for (Sweep& s : sweeps) {
    if (s.slot < 0) continue;
    s.pan += s.panStep;
    s.volume += s.volumeStep;
    if (g_sndPlay) g_sndPlay->SetEffectVolumePan(s.slot, s.volume, s.pan);
    if (++s.done >= s.steps) s = Sweep{};
  }
}

// ---- sprite caches ----

CSprite* CVTReplay::CachedFrame(std::vector<CSprite*>& cache, int index, const std::string& name, HMODULE module) {
  if (index < 0 || static_cast<std::size_t>(index) >= cache.size()) return nullptr;
  CSprite*& slot = cache[static_cast<std::size_t>(index)];
  if (!slot) {
    const std::string path = std::string(g_instData.GetArtPath()) + name;
    slot = new CSprite(SharedScreen().viewDDraw, 0, module, path.c_str(), 0, 0, 0);
  }
  return slot->surface ? slot : nullptr;
}

CSprite* CVTReplay::AtvPicture(std::uint16_t chapter, std::int64_t kind) {
  if (chapter >= kChapters || kind < 0 || kind > 3) {
    Trace("Terrain event of an unknown chapter or ATV kind");
    return nullptr;
  }
  const int guild = chapter >> 3;
  // Another chapter of the local guild shows as allied.
  const bool allied = guild == LocalGuild() && g_gameData && chapter != g_gameData->localChapterId;
  const int index = (static_cast<int>(kind) + 4 * guild) * 2 + (allied ? 0 : 1);
  CSprite*& slot = atvPictures[static_cast<std::size_t>(index)];
  if (!slot) {
    char path[300];
    std::snprintf(path, sizeof path, allied ? "%s%satvh.ima" : "%s%satv.ima", g_instData.GetGuildPath(guild),
                  kAtvNames[kind]);
    slot = new CSprite(SharedScreen().viewDDraw, 0, g_gameData ? g_gameData->GetGuildModule(guild) : nullptr, path, 0,
                       0, 0);
  }
  return slot->surface ? slot : nullptr;
}

CSprite* CVTReplay::PodFrame(std::uint16_t chapter, int facing) {
  if (chapter >= kChapters) return nullptr;
  const int guild = chapter >> 3, index = guild * 3 + facing;
  CSprite*& slot = podFrames[static_cast<std::size_t>(index)];
  if (!slot) {
    char name[16];
    std::snprintf(name, sizeof name, "pod%d.ima", index);
    const std::string path = std::string(g_instData.GetGuildPath(guild)) + name;
    slot = new CSprite(SharedScreen().viewDDraw, 0, g_gameData ? g_gameData->GetGuildModule(guild) : nullptr,
                       path.c_str(), 0, 0, 0);
  }
  return slot->surface ? slot : nullptr;
}

void CVTReplay::FreeCaches() {
  for (std::vector<CSprite*>* cache :
       {&collisionFrames, &explosionFrames, &shieldFrames, &photonFrames, &atvPictures, &podFrames, &bombardFrames})
    for (CSprite*& s : *cache) {
      delete s;
      s = nullptr;
    }
}

// ---- phases ----

void CVTReplay::RunPhase() {
  switch (phase) {
    case 0:
      StartPicture();
      Landing();
      break;
    case 1:
      PickUp();
      break;
    case 2:
      Collision();
      break;
    case 3:
      Detonation();
      break;
    case 4:
      Bombardment();
      break;
    case 5:
      BombardmentHits();
      break;
    case 6:
      PodsUnderFire();
      break;
    case 7:
      PodsShotDown();
      break;
    case 9:
      PodsArrive();
      break;
    case 10:
      PodsUnload();
      break;
    case 11:
      Gunfire();
      break;
    case 12:
      GunfireHits();
      break;
    case 13:
      MovesHalfway();
      round = 0;
      break;
    case 14:
      CombatRound();
      ++round;
      break;
    case 16:
      MovesOn();
      break;
    case 17:
      Artifacts();
      break;
    case 18:
      EndOfReplay();
      break;
    default:
      // 8 and 15 are never reached; 19 is the end.
      break;
  }
}

void CVTReplay::StartPicture() {
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos at;
    CSprite* picture = nullptr;
    std::uint32_t label = 0;
    switch (e.a) {
      case EV_START:
        if (e.sourceType != T_FACILITY) {
          Trace("Start event of a type other than a facility");
          continue;
        }
        if (!FacilityPos(Zone(e.d), e.sourceValue, &at)) continue;
        picture = FacilityImage(e.sourceValue);
        break;
      case EV_LANDING:
      case 2:
      case EV_MOVE_HALF:
      case EV_MOVE:
      case EV_ARTIFACT:
        if (e.sourceType == T_ATV) {
          if (!CellPos(e.d, e.sourceValue, &at)) continue;
          picture = AtvPicture(e.w, e.sourceValue);
          label = 1;
        } else if (e.sourceType == T_FACILITY) {
          if (!FacilityPos(Zone(e.d), e.sourceValue, &at)) continue;
          picture = FacilityImage(e.sourceValue);
        } else if (e.sourceType == T_ARTIFACT) {
          if (!CellPos(e.d, 3, &at)) continue;
          picture = ArtifactImage();
        } else if (e.sourceType == T_DESTROYED || e.sourceType == T_POD) {
          // Destroyed things and pods show later.
          continue;
        } else {
          Trace("Unknown source type at the start");
          continue;
        }
        break;
      case EV_HIT:
        if (e.sourceType != T_DESTROYED && e.sourceType != T_SHIELD) continue;
        if (!CellPos(e.d, e.sourceValue, &at)) continue;
        picture = AtvPicture(e.w, e.sourceValue);
        label = 1;
        break;
      case EV_COMBAT:
        if (e.sourceType == T_DESTROYED && !Negated(e.d) && !Negated(e.g)) {
          if (!CellPos(e.d, e.sourceValue, &at)) continue;
          picture = AtvPicture(e.w, e.sourceValue);
          label = 1;
        } else if (e.sourceType != T_SHOT && e.sourceType != T_SHIELD && e.sourceType != T_DESTROYED) {
          Trace("Unknown source type of a combat event");
          continue;
        } else {
          continue;
        }
        break;
      default:
        Trace("Should this type be showing up in the beginning?");
        continue;
    }
    CSpriteMover* m = EventMover(e, label);
    m->ClearFrames();
    m->width = 0;
    m->AddFrame(picture);
    Place(m, at, at, 0);
    Add(m, true);
  }
  const CGAsteroid* a = Asteroid();
  for (int z = 0; a && ArtifactImage() && z < a->GetZoneCount(); ++z) {
    const CGZone* zone = a->GetZone(static_cast<std::uint16_t>(z));
    Pos at;
    if (!zone || !HasArtifact(*zone) || !CellPos(z, 3, &at)) continue;
    CSpriteMover* m = ExtraMover(0);
    m->AddFrame(ArtifactImage());
    Place(m, at, at, 0);
    Add(m, true);
  }
}

void CVTReplay::Landing() {
  phase = 2;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    if (e.a != EV_LANDING) continue;
    Pos cell;
    if (!CellPos(e.g, e.targetValue, &cell)) continue;
    CSpriteMover* atv = ExtraMover(1);
    atv->AddFrame(AtvPicture(e.w, e.targetValue));
    Place(atv, cell, cell, 0);
    Add(atv);
    RegisterForRemoval(atv);
    CSpriteMover* pod = EventMover(e, 0);
    // The start picture may have made this mover an ATV's, counted in the
    // cell's label: a pod is not.
    pod->labelFlag = 0;
    pod->ClearFrames();
    pod->width = 0;
    const Pos corner = Corner(cell);
    pod->SetPath(corner.x, corner.y, cell.x, cell.y, kMoveSteps);
    pod->AddFrame(PodFrame(e.w, pod->ChooseFacing()));
    pod->Start();
    Add(pod);
    SweepSound(PlaySound("atvland2.wav", corner.x), corner.x, cell.x, kMoveSteps);
    phase = 1;
  }
  if (list.head) list.Run();
}

void CVTReplay::PickUp() {
  ApplyRemovals();
  phase = 2;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    if (e.a != EV_LANDING || !e.mover) continue;
    Pos cell;
    if (!CellPos(e.g, e.targetValue, &cell)) continue;
    const Pos corner = Corner(cell);
    CSpriteMover* pod = e.mover;
    pod->SetPath(cell.x, cell.y, corner.x, corner.y, kMoveSteps);
    pod->ClearFrames();
    pod->width = 0;
    pod->AddFrame(PodFrame(e.w, pod->ChooseFacing()));
    pod->Start();
    Add(pod);
    RegisterForRemoval(pod);
    PlaySound("atvpick.wav", cell.x);
    SweepSound(PlaySound("atvtoff.wav", cell.x), cell.x, corner.x, kMoveSteps);
  }
  list.Run();
}

void CVTReplay::Collision() {
  phase = 4;
  for (int i = 0; i < EventCount(); ++i) {
    if (Event(i)->a != EV_COLLISION) continue;
    CSpriteMover* m = ExtraMover(0);
    for (int f = 0; f < 2; ++f) {
      char name[24];
      std::snprintf(name, sizeof name, "astcol%d.ima", f);
      m->AddFrame(CachedFrame(collisionFrames, f, name, ImageModule()));
    }
    const Pos at{kScreenCentreX - m->width / 2, kViewportRect.top + 183 - m->height / 2};
    Place(m, at, at, kMoveSteps);
    Add(m);
    RegisterForRemoval(m);
    list.Run();
    phase = 3;
    return;
  }
}

void CVTReplay::Detonation() {
  ApplyRemovals();
  phase = 4;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos at;
    if (e.a != EV_DETONATION || !CellPos(e.d, e.sourceValue, &at)) continue;
    CSpriteMover* m = EventMover(e, 0);
    Explode(m, at);
    Add(m);
    RegisterForRemoval(m);
    PlaySound("atvexpl.wav", at.x);
    list.Run();
  }
}

void CVTReplay::Bombardment() {
  ApplyRemovals();
  phase = 6;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos cell;
    if (e.a != EV_BOMBARD || !CellPos(e.g, e.targetValue, &cell)) continue;
    CSpriteMover* m = EventMover(e, 0);
    m->ClearFrames();
    m->width = 0;
    const Pos corner = Corner(cell);
    m->SetPath(corner.x, corner.y, cell.x, cell.y, kMoveSteps);
    const int facing = m->ChooseFacing();
    for (int f = 0; f < 2; ++f) {
      char name[24];
      std::snprintf(name, sizeof name, "bmbrd%d%d.ima", facing, f);
      m->AddFrame(CachedFrame(bombardFrames, facing * 2 + f, name, ImageModule()));
    }
    m->Start();
    Add(m);
    SweepSound(PlaySound("g4\\wep27_f.wav", corner.x), corner.x, cell.x, kMoveSteps);
    phase = 5;
    list.Run();
  }
}

void CVTReplay::BombardmentHits() {
  phase = 6;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos cell;
    if (e.a != EV_BOMBARD || !e.mover || !CellPos(e.g, e.targetValue, &cell)) continue;
    Explode(e.mover, cell);
    RegisterForRemoval(e.mover);
    PlaySound("atvexpl.wav", cell.x);
    list.Run();
  }
}

void CVTReplay::PodsUnderFire() {
  ApplyRemovals();
  phase = 9;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos cell;
    if (e.a == EV_POD && e.sourceType == T_POD && CellPos(e.g, e.targetValue, &cell)) {
      const Pos corner = Corner(cell);
      CSpriteMover* pod = EventMover(e, 0);
      pod->ClearFrames();
      pod->width = 0;
      pod->SetPath(corner.x, corner.y, Midpoint(corner, cell).x, Midpoint(corner, cell).y, kMoveSteps);
      pod->AddFrame(PodFrame(e.w, pod->ChooseFacing()));
      pod->Start();
      Add(pod);
      PlaySound("atvland2.wav", corner.x);
      phase = 7;
    } else if (e.a == EV_POD_FIRE && e.sourceType == T_SHOT && CellPos(e.d, e.sourceValue, &cell)) {
      Pos target;
      if (!CellPos(e.g, e.targetValue, &target)) continue;
      const Pos mid = Midpoint(Corner(target), target);
      CSpriteMover* shot = EventMover(e, 0);
      Shot(shot, cell, mid, kMoveSteps);
      Add(shot);
      RegisterForRemoval(shot);
      SweepSound(PlaySound("atvgun.wav", cell.x), cell.x, mid.x, kMoveSteps);
      phase = 7;
    }
  }
  list.Run();
}

void CVTReplay::PodsShotDown() {
  phase = 9;
  for (int i = 0; i < EventCount(); ++i) {
    const TerrainEvent& fire = *Event(i);
    if (fire.a != EV_POD_FIRE || fire.sourceType != T_SHOT) continue;
    for (int j = 0; j < EventCount(); ++j) {
      TerrainEvent& carried = *Event(j);
      Pos cell;
      if (carried.a != EV_POD || carried.sourceType != T_ATV || carried.mover || Zone(carried.g) != Zone(fire.g) ||
          !CellPos(carried.g, carried.targetValue, &cell))
        continue;
      CSpriteMover* m = EventMover(carried, 0);
      Explode(m, Midpoint(Corner(cell), cell));
      Add(m, true);
      RegisterForRemoval(m);
      PlaySound("atvexpl.wav", cell.x);
    }
  }
  list.Run();
}

void CVTReplay::PodsArrive() {
  ApplyRemovals();
  phase = 11;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos cell;
    if (e.a != EV_POD || e.sourceType != T_POD || !e.mover || !CellPos(e.g, e.targetValue, &cell)) continue;
    const Pos mid = Midpoint(Corner(cell), cell);
    e.mover->SetPath(mid.x, mid.y, cell.x, cell.y, kMoveSteps);
    e.mover->Start();
    Add(e.mover);
    phase = 10;
  }
  list.Run();
}

void CVTReplay::PodsUnload() {
  phase = 11;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos cell;
    if (e.a != EV_POD || !CellPos(e.g, e.targetValue, &cell)) continue;
    if (e.sourceType == T_ATV) {
      if (e.mover) continue;  // shot down on the way
      CSpriteMover* atv = EventMover(e, 1);
      atv->AddFrame(AtvPicture(e.w, e.targetValue));
      Place(atv, cell, cell, 0);
      Add(atv, true);
      PlaySound("atvplace.wav", cell.x);
    } else if (e.sourceType == T_POD && e.mover) {
      const Pos corner = Corner(cell);
      e.mover->SetPath(cell.x, cell.y, corner.x, corner.y, kMoveSteps);
      e.mover->ClearFrames();
      e.mover->width = 0;
      e.mover->AddFrame(PodFrame(e.w, e.mover->ChooseFacing()));
      e.mover->Start();
      RegisterForRemoval(e.mover);
      SweepSound(PlaySound("atvtoff.wav", cell.x), cell.x, corner.x, kMoveSteps);
    } else {
      Trace("Unknown source type of a pod event");
    }
  }
  list.Run();
}

void CVTReplay::Gunfire() {
  ApplyRemovals();
  phase = 13;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos from, to;
    if (e.a != EV_GUNFIRE || e.sourceType != T_SHOT || !CellPos(e.d, e.sourceValue, &from) ||
        !CellPos(e.g, e.targetValue, &to))
      continue;
    CSpriteMover* shot = EventMover(e, 0);
    Shot(shot, from, to, kShotFrames);
    Add(shot);
    RegisterForRemoval(shot);
    SweepSound(PlaySound("atvgun.wav", from.x), from.x, to.x, kMoveSteps);
    phase = 12;
  }
  list.Run();
}

void CVTReplay::GunfireHits() {
  ApplyRemovals();
  phase = 13;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos at;
    if (e.a != EV_HIT) continue;
    if (e.sourceType != T_DESTROYED && e.sourceType != T_SHIELD) {
      Trace("Inapplicable type in this phase");
      continue;
    }
    if (!CellPos(e.d, e.sourceValue, &at)) continue;
    CSpriteMover* m = EventMover(e, 1);
    if (e.sourceType == T_DESTROYED) {
      Explode(m, at);
      RegisterForRemoval(m);
      PlaySound("atvexpl.wav", at.x);
    } else {
      Shield(m, at, kBlastSteps);
    }
    Add(m);
  }
  list.Run();
}

void CVTReplay::MovesHalfway() { RunMoves(14, EV_MOVE_HALF, true); }

void CVTReplay::RunMoves(int movePhase, std::uint8_t kind, bool halfway) {
  ApplyRemovals();
  phase = movePhase;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    Pos from, to;
    if (e.a != kind || !e.mover || !CellPos(e.d, e.sourceValue, &from) || !CellPos(e.g, e.targetValue, &to)) continue;
    // The first half starts from the source cell; the rest from where the
    // mover stopped.
    if (halfway) {
      Place(e.mover, from, Midpoint(from, to), kMoveSteps);
    } else {
      Place(e.mover, {e.mover->x, e.mover->y}, to, kMoveSteps);
    }
    Add(e.mover);
    if (Zone(e.d) != Zone(e.g)) SweepSound(PlaySound("atvmove.wav", from.x), from.x, to.x, kMoveSteps);
  }
  list.Run();
}

void CVTReplay::CombatRound() {
  ApplyRemovals();
  phase = 16;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    if (e.a != EV_COMBAT || e.b != round) continue;
    phase = 14;
    Pos from, to;
    if (!CellPos(e.d, e.sourceValue, &from) || !CellPos(e.g, e.targetValue, &to)) continue;
    if (e.sourceType == T_SHOT) {
      CSpriteMover* shot = EventMover(e, 0);
      Shot(shot, from, to, kMoveSteps);
      Add(shot);
      RegisterForRemoval(shot);
      SweepSound(PlaySound("atvgun.wav", from.x), from.x, to.x, kMoveSteps);
    } else if (e.sourceType == T_DESTROYED) {
      // The landed ATV that falls here goes, and the blast takes its place.
      for (int j = 0; j < EventCount(); ++j) {
        TerrainEvent& landed = *Event(j);
        if (landed.a == EV_POD && landed.sourceType == T_ATV && landed.w == e.w && landed.mover &&
            static_cast<std::int32_t>(landed.g) == -static_cast<std::int32_t>(e.g)) {
          landed.mover->state = CSpriteMover::INACTIVE;
          RegisterForRemoval(landed.mover);
        }
      }
      CSpriteMover* m = EventMover(e, 1);
      Explode(m, from);
      Add(m);
      RegisterForRemoval(m);
      PlaySound("atvexpl.wav", from.x);
    } else {
      CSpriteMover* m = EventMover(e, 0);
      Shield(m, to, kMoveSteps);
      Add(m);
      RegisterForRemoval(m);
    }
  }
  list.Run();
}

void CVTReplay::MovesOn() { RunMoves(17, EV_MOVE, false); }

void CVTReplay::Artifacts() {
  ApplyRemovals();
  phase = 18;
  for (int i = 0; i < EventCount(); ++i) {
    TerrainEvent& e = *Event(i);
    if (e.a != EV_ARTIFACT) continue;
    Pos at;
    if (e.targetType == T_ARTIFACT) {
      if (CellPos(e.g, 3, &at)) PlaySound("discovery.wav", at.x);
      continue;
    }
    if (e.targetType != T_DESTROYED) {
      Trace("Unknown type in artifact discovery phase");
      continue;
    }
    CSpriteMover* m = nullptr;
    if (e.sourceType == T_DESTROYED) {
      m = ExtraMover(0);
      // The moved ATV of the same kind that was destroyed goes with it.
      for (int j = 0; j < EventCount(); ++j) {
        TerrainEvent& moved = *Event(j);
        if (moved.a == EV_MOVE && moved.sourceType == T_ATV && moved.sourceValue == e.sourceValue && moved.mover) {
          // Hidden here; the recorder lets it go with the others.
          list.Remove(moved.mover);
          moved.mover->state = CSpriteMover::INACTIVE;
          break;
        }
      }
      if (!CellPos(e.g, e.targetValue, &at)) continue;
    } else if (e.sourceType == T_FACILITY) {
      m = EventMover(e, 0);
      if (!FacilityPos(Zone(e.g), e.sourceValue, &at)) continue;
    } else {
      m = EventMover(e, 0);
      if (!CellPos(e.g, e.targetValue, &at)) continue;
    }
    Explode(m, at);
    Add(m);
    RegisterForRemoval(m);
    PlaySound("atvexpl.wav", at.x);
  }
  list.Run();
}

void CVTReplay::EndOfReplay() {
  phase = kLastPhase;
  ApplyRemovals();
  list.Run();
}
