#pragma once
// The space battle of one turn at one asteroid, played back in 3D from the
// turn's replay file: the reader places the units and queues their shots a
// movement phase at a time, then the battle section's events (destructions,
// scans, transports, departures, fire on the asteroid); this view plays them
// on the unit objects in the order they were read, shows the current event in
// the goto bar and the phase under the viewport, and lets the player pause,
// step, restart, switch between fast and slow review, move the camera in four
// modes, filter and label the units, and leave for the asteroid-space view.
//
// The file comes from the server and is not trusted: whatever it holds, the
// review ends ("Review complete") or the view switches away.
//
// Game thread only.

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "Game/net/ReplayReader.h"
#include "Game/views/replay/EventBar.h"
#include "Game/views/replay/ReplayTicker.h"
#include "Game/views/space/CVB3DView.h"

class CImageButton;
class CVAstSpace;
class CVDispExp;

// The application's asteroid-space view (null when there is none).
CVAstSpace* ReplayAsteroidSpaceView();
// Closes the replay file of the application's space-replay view (a game torn down).
void CloseAppReplayFile();

class CVSReplay : public CVB3DView, private replay::ReplaySink, private replay::ReplayStage {
 public:
  // What a unit object is doing with its current event.
  enum UnitState : std::uint8_t {
    kIdle = 0,
    kDone = 1,         // idle, the last event finished
    kShotFlying = 2,   // a shot, transport or fire on the asteroid is on its way
    kExploding = 3,    // an explosion plays at the target
    kShieldFlash = 4,  // a shield or leech flash plays at the target
    kMissed = 5,       // the missed shot's free explosion plays
    kDestroying = 6,
    kDeparting = 7,
    kScanning = 8,
    kAsteroidShield = 11,
  };
  static constexpr std::uint16_t kFlashColour = 216;
  static constexpr int kStatusFrames = 26;

  CVSReplay(plat::HWND window, plat::HINSTANCE instance);
  ~CVSReplay() override;

  // --- view slots ---
  ViewType GetViewType() const override { return VIEW_SPACE_REPLAY; }
  void Render(std::int32_t argument) override;
  void GoToView(plat::WPARAM type, plat::LPARAM value) override;
  void DrawGotoBar() override;
  void UpdateControlPanel() override;
  void OnDrawItem(plat::DRAWITEMSTRUCT* item) override;
  plat::LRESULT OnCommand(std::uint32_t id) override;
  int OnLButtonDown(int x, int y, plat::WPARAM keys) override;
  void LeaveReplayMode(int back) override;
  void OnReplayPause() override;
  void OnReplayAdvance() override;
  void OnReplayRestart() override;
  void DrawStatusText() override;
  void PlayFrameAnimation(std::uint32_t elapsedMs) override;
  void OnTurnProcessing() override { LeaveReplayMode(1); }
  void OnSelectGuild(int guild) override;
  void OnSelectChapter(std::uint32_t slot) override;
  void ActivateGotoSlot(int slot, int x, int y) override;
  int GetGotoSlotAtX(int x) override { return x * 10 / 800; }
  std::uint16_t GetCurrentAsteroidId() override { return battleAsteroid; }
  // A replay keeps nothing in a saved game.
  int SaveState(plat::FILE*) override { return 1; }
  int LoadState(plat::FILE*) override { return 1; }
  int MoveAsteroidObject(std::uint16_t, const Location&) override { return 0; }
  int ShowObjectMenu(int, int) override { return 0; }
  // The goto bar shows the battle's event, not bookmarks to hover.
  void ShowObject(int, std::uint32_t) override {}

  // --- 3D view slots ---
  void ToggleReplaySpeed() override;
  void HandleObjectPick(CVDispObj* object) override;
  double GetMinCameraDistance() override { return 100.0; }
  double GetMaxCameraDistance() override { return 5000.0; }
  int IsCameraFree() override { return cameraMode == 3; }
  int IsCameraLinear() override { return cameraMode == 1; }
  int IsCameraLocked() override { return cameraMode == 4; }
  void RestoreCameraMode() override;
  void SetCameraMode(int mode) override;
  int GetCameraMode() override { return cameraMode; }
  int GetLabelLimit() override { return 12; }
  void LocationToWorld(const Location& location, double out[3]) override;
  void PositionObject(const Location& location, CVDispObj* object) override;
  void UpdateCamera(int flag) override;
  void CycleCameraMode(int direction) override;
  void ToggleUnitHalos() override;
  void RebuildGrid() override;
  void ShowGuildMenu() override;
  int HasReplayTarget() override { return ticker.complete() ? 0 : 1; }

  // --- the replay ---
  // Opens the battle's file and places the asteroid and the start units;
  // false (the view already switched away when it must) on failure.
  bool OpenReplayFile(std::uint16_t asteroid);
  void CloseReplayFile();
  // One step of the replay's clock; false when nothing runs or it is complete.
  bool Tick() { return ticker.Tick(); }
  void ApplyCameraMode(int mode);
  // The asteroid-space view takes over where the replay's camera stands
  // (`pos`, `forward`, `up`), in the replay's camera mode.
  void HandCameraTo(CVAstSpace& space, const double pos[3], const float forward[3], const float up[3]);

  // --- playback ---
  bool StartNextEvent();
  bool AnimateShot(CVDispUnt* unit);
  bool IsShotInFlight(CVDispUnt* unit);
  bool AllOwnUnitsWrecked();
  void StartDestruction(const replay::EventRecord& event);
  void AnimateDebris();
  void StopUnitSounds();
  void UpdateUnitSound(CVDispUnt* unit);
  void StretchMoves();
  void ClearEventBar();
  void ShowEvent(const replay::EventRecord& event);
  void DrawEventBar(const replay::EventRecord* event);

  // --- filters and labels ---
  void OnFilterButton(int i);
  bool PassesFilter(std::uint32_t unitId);
  void MarkFilteredUnits();
  void UnmarkFilteredUnits();
  void ShowFilterText();
  void DrawUnitLabels();

  std::uint8_t phase() const { return ticker.phase(); }
  std::uint8_t subStep() const { return ticker.subStep(); }
  bool complete() const { return ticker.complete(); }
  const replay::EventCounters& counters() const { return reader ? reader->counters() : kNoCounters; }
  static std::uint8_t StateOf(const CVDispUnt* unit);
  static bool CurrentEvent(const CVDispUnt* unit, replay::EventRecord* out);

  // Fields, as the view's state.
  std::uint8_t cameraMode = 2;
  std::uint8_t previousCameraMode = 0;
  std::uint32_t replayRunning = 0;
  std::uint32_t filterInverted = 0;
  std::uint16_t battleAsteroid = 0;
  plat::FILE* replayFile = nullptr;
  std::uint32_t slowReview = 0;
  std::uint8_t destructionStage = 0;
  replay::EventBar eventBar{};
  std::uint16_t filterFlags = 0;
  std::uint16_t filterChapter = 0xFF;
  std::array<CImageButton*, 6> filterButtons{};
  // Grid on, grid off, raise, lower, display terrain.
  std::array<CImageButton*, 5> gridButtons{};
  CVDispExp* debrisObject = nullptr;
  replay::DestructionFlash flash;
  // Steps the debris still drifts towards the camera, and the pictures it has shown.
  std::uint32_t debrisSteps = 0;
  std::uint32_t debrisFrames = 0;
  std::uint16_t debrisLastFrame = 0;
  // The movement phases are over: the engine sounds no longer follow the camera.
  bool soundsFrozen = false;
  // The status lines as last formatted, and what they were formatted for.
  static constexpr std::uint32_t kNoLine = 0xFFFFFFFFu;
  std::string battleLine;
  std::uint32_t battleLineFor = kNoLine;
  std::string phaseLine;
  const char* phaseLineId = nullptr;
  int phaseLineNumber = -1;

 private:
  // --- ReplaySink ---
  void AddUnit(const replay::UnitRecord& unit, bool joined) override;
  bool HasUnit(std::uint32_t id) override;
  void MoveUnit(std::uint32_t id, const Location& to, std::uint32_t engine) override;
  std::size_t QueueEvent(const replay::EventRecord& event) override;
  void WreckUnit(std::uint32_t id) override;
  // --- ReplayStage ---
  bool AnimateMovementPhase() override;
  void ResetUnitMoves(bool finish) override;
  bool ReadMovementPhase() override;
  void FreezeUnitSounds() override;
  void FadeSounds() override;
  bool ReadBattleSection() override;
  bool AnimateBattleSection() override;

  void BuildScene();
  void CreateButtons();
  void ShowButtons(bool show);
  void StartReplay(std::uint16_t asteroid);
  void PlaceStartCamera();
  void SwitchAwayFrom(std::uint16_t asteroid);
  void FaceUnitsToCamera();
  void AnimateDestruction(CVDispUnt* unit, const replay::EventRecord& event);
  // The unit object of an id, null when none.
  CVDispUnt* UnitObject(std::uint32_t id);
  CVDispObj* AsteroidObject();
  void SetState(CVDispUnt* unit, std::uint8_t state);
  // A module's sound file by the kind of sound, played once at a point.
  void PlayModuleSound(int which, std::uint32_t module, int guild, const double at[3]);
  CVDispObj* MakeEffect(const char* name, const char* dir, CVDispObj* on, CVDispObj* owner, CVDispObj* faces);
  void Tell(const char* id);
  void PauseBySelf();
  static int FilterIndex(std::uint16_t flags);

  static constexpr replay::EventCounters kNoCounters{};
  // Made when the file opens (it reads that file).
  std::optional<replay::ReplayReader> reader;
  replay::ReplayTicker ticker;
  // The battle's own generator, seeded at its start: the overlap of shots in
  // fast review and where misses stray, the same every time it is replayed.
  std::minstd_rand overlap;
  plat::HWND window = nullptr;
  plat::HINSTANCE instance = nullptr;
};
