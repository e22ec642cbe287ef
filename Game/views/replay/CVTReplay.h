#pragma once
// The terrain battle of one asteroid played back in 2D over the terrain
// view's surface (drawn plain), from the asteroid's recorded terrain events.
// The replay runs as a fixed sequence of phases (start picture, landing and
// pick-up pods, collision, bombardment, pods shot down, landing, gunfire,
// moves, combat rounds, artifacts and destruction) up to phase 19, the end;
// each phase sets up sprite movers for its events and the next begins only
// when every mover has come to rest. Sounds follow the screen positions.
//
// Events come from a server and are not trusted: a zone past the asteroid's
// zones, a cell kind above 3, a chapter past 39 or an unknown kind or type is
// traced and shows nothing.
//
// Game thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Game/model/GSpriteMoverOwner.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/replay/CSpriteMover.h"

struct TerrainEvent;

// Owns the movers of its asteroid's events while it lives (registered as
// their owner from construction to destruction).
class CVTReplay : public CVTerrain, private ISpriteMoverOwner {
 public:
  static constexpr std::uint32_t kLastPhase = 19;
  // One replay step at most this often.
  static constexpr std::uint32_t kTickMs = 40;

  CVTReplay(plat::HWND window, plat::HINSTANCE instance);
  ~CVTReplay() override;

  ViewType GetViewType() const override { return VIEW_TERRAIN_REPLAY; }
  // Unbuilt: the surface is shown plain, the replay's control panel comes up
  // and the replay starts at phase 0.
  void Render(std::int32_t argument) override;
  // Ends the replay mode, releases the movers and posts the switch.
  void GoToView(plat::WPARAM viewType, plat::LPARAM argument) override;
  void OnReplayModeEntered() override;
  void OnReplayModeLeft() override;
  void OnReplayPlay() override;
  void OnReplayPause() override;
  void OnReplayAdvance() override;
  void OnReplayRestart() override;
  // The status line's countdown, then the replay tick (every 40 ms of
  // accumulated time): sounds, a mover step, and the next phase once every
  // mover rests; no tick while the info panel covers the viewport.
  void PlayFrameAnimation(std::uint32_t elapsedMs) override;

  std::uint32_t Phase() const { return phase; }
  const CSpriteMoverList& Movers() const { return list; }
  // Movers shown now (state other than 0) in the list.
  int ShownMovers() const;

 protected:
  // The movers where they stand, so a surface shown again (a full redraw, a
  // filter) keeps the replay's picture, the last one too.
  void DrawOverSurface() override;

 private:
  struct Pos {
    int x = 0;
    int y = 0;
  };
  struct Sweep {
    int slot = -1;
    int steps = 0;
    int done = 0;
    float pan = 0;
    float volume = 0;
    float panStep = 0;
    float volumeStep = 0;
  };

  // Off the list and the pending removals, then reset and deleted.
  void ReleaseSpriteMover(CSpriteMover* m) override;
  void Restart();
  void RunPhase();
  void StartPicture();
  void Landing();
  void PickUp();
  void Collision();
  void Detonation();
  void Bombardment();
  void BombardmentHits();
  void PodsUnderFire();
  void PodsShotDown();
  void PodsArrive();
  void PodsUnload();
  void Gunfire();
  void GunfireHits();
  void MovesHalfway();
  void CombatRound();
  void MovesOn();
  // The move events of `kind` in phase `movePhase`: to the midway point, or on
  // to their target cell.
  void RunMoves(int movePhase, std::uint8_t kind, bool halfway);
  void Artifacts();
  void EndOfReplay();

  // The event list, and a cell's mover position (false for a zone or kind the
  // asteroid has not; zones may come negated).
  int EventCount() const;
  TerrainEvent* Event(int i) const;
  bool CellPos(std::int64_t zone, std::int64_t kind, Pos* out) const;
  bool FacilityPos(std::int64_t zone, std::uint32_t bit, Pos* out) const;
  static Pos Corner(Pos cell);
  static Pos Midpoint(Pos a, Pos b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }
  static float Pan(int x);
  // The event's own mover, made when missing.
  CSpriteMover* EventMover(TerrainEvent& e, std::uint32_t label);
  // A mover the replay itself owns until the next restart.
  CSpriteMover* ExtraMover(std::uint32_t label);
  void Place(CSpriteMover* m, Pos from, Pos to, int steps);
  void Add(CSpriteMover* m, bool front = false);
  void Explode(CSpriteMover* m, Pos at);
  void Shield(CSpriteMover* m, Pos at, int steps);
  void Shot(CSpriteMover* m, Pos from, Pos to, int steps);
  void RegisterForRemoval(CSpriteMover* m);
  void ApplyRemovals();
  int PlaySound(const char* name, int x);
  void SweepSound(int slot, int fromX, int toX, int steps);
  void AdvanceSweeps();

  // Sprite caches, loaded on first use (null when missing).
  CSprite* AtvPicture(std::uint16_t chapter, std::int64_t kind);
  CSprite* PodFrame(std::uint16_t chapter, int facing);
  CSprite* CachedFrame(std::vector<CSprite*>& cache, int index, const std::string& name, plat::HMODULE module);
  void FreeCaches();

  CSpriteMoverList list;
  std::uint32_t phase = 0;
  std::vector<CSprite*> collisionFrames, explosionFrames, shieldFrames, photonFrames, atvPictures, podFrames,
      bombardFrames;
  std::vector<CSpriteMover*> removals;
  std::size_t removalCursor = 0;
  std::vector<std::unique_ptr<CSpriteMover>> extras;
  std::uint32_t tickMs = 0;
  std::uint32_t round = 0;
  plat::HMODULE effectsModule = nullptr;
  std::array<Sweep, 5> sweeps{};
};
