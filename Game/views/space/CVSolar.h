#pragma once
// The solar-system view: the whole solar space in 3D, with the stars, the
// asteroids on their orbits and the units in space between them. A started
// game shows it first, behind a start screen whose camera follows a script
// while the future view turns the orbits; the first key or click leaves it
// for the linear camera over the asteroids where the player is present. The
// future view runs the orbits ahead of the turn, forward, back or paused.
// Game thread only.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/space/SolarMarks.h"

class CImageButton;

// The solar view's future-view collision warnings remember their turn offset.
extern std::uint32_t g_lastCollisionTurns;
// The asteroid the next solar view flashes when it opens (0xFFFF none); the
// space replay leaves its battle asteroid here.
extern std::uint16_t g_highlightAsteroid;

// The solar view's filter buttons: ten, control identifiers 150..159, then
// the future-view button 160.
constexpr int kSolarFilterCount = 10;
constexpr std::uint32_t kFirstSolarFilterId = 150;
constexpr std::uint32_t kFutureButtonId = 160;

// The view's own block of a saved game, after the camera block: version,
// validity byte, the future view, camera mode, filter and camera, validity byte.
constexpr std::size_t kSolarBlockSize = 69;
// Turn offsets beyond this are refused in a saved block: no game runs the
// orbits that far ahead.
constexpr std::int32_t kMaxFutureTurns = 100000;

// Packet 126 as sent: the target unit refuelled from the asteroid that
// commands it, at its location; the two last bytes zero.
std::vector<std::uint8_t> BuildSolarRefuelPacket(std::uint32_t unitId, std::uint16_t location);

class CVSolar : public CVB3DView {
 public:
  CVSolar(plat::HWND window, plat::HINSTANCE instance);
  ~CVSolar() override;

  ViewType GetViewType() const override { return VIEW_SOLAR; }
  // Solar space is the location numbered as the asteroid count.
  std::uint16_t GetCurrentAsteroidId() override;
  int OnLButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnRButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnLButtonDblClk(int x, int y) override;
  void GoToView(plat::WPARAM type, plat::LPARAM value) override;
  void UpdateControlPanel() override;
  void OnDrawItem(plat::DRAWITEMSTRUCT* item) override;
  plat::LRESULT OnCommand(std::uint32_t id) override;
  plat::LRESULT OnMenuCommand(std::uint32_t id) override;
  void OnSelectGuild(int guild) override;
  void OnSelectChapter(std::uint32_t slot) override;
  void ShowObject(int kind, std::uint32_t id) override;
  void OnAsteroidNotice(std::uint16_t a, std::uint16_t b) override;
  int SelectObject(int kind, std::uint32_t id) override;
  int PickTarget(int kind, std::uint32_t id) override;
  int ExecuteOrderMode(int kind, std::uint32_t id) override;
  void OnDblClkObject(std::uint32_t id) override { marks.Remove(static_cast<std::uint16_t>(id)); }
  int HasObject(std::uint16_t* asteroid) override { return HasMarkedAsteroid(asteroid) ? 1 : 0; }
  void Render(std::int32_t argument) override;
  void PlayFrameAnimation(std::uint32_t elapsedMs) override;
  void DrawStatusText() override;
  void OnGameStart() override;
  void MarkStale() override { rebuildPending = 1; }
  void RebuildDisplay() override;
  void OnTurnProcessing() override;
  int SaveState(plat::FILE* file) override;
  int LoadState(plat::FILE* file) override;

  int MoveAsteroidObject(std::uint16_t asteroid, const Location& location) override;
  void HandleObjectPick(CVDispObj* object) override;
  int IsCameraFree() override { return cameraMode == 3; }
  int IsCameraLinear() override { return cameraMode == 1; }
  void SetCameraMode(int mode) override { cameraMode = static_cast<std::uint8_t>(mode); }
  int GetCameraMode() override { return cameraMode; }
  void LocationToWorld(const Location& location, double out[3]) override;
  void PositionObject(const Location& location, CVDispObj* object) override;
  void UpdateCamera(int orientStars) override;
  void CycleCameraMode(int forward) override;
  void ToggleUnitHalos() override;
  int ShowObjectMenu(int x, int y) override;
  void ShowGuildMenu() override;
  int IsFutureView() override;
  void ToggleFutureView() override;
  void FutureViewCommand(int code) override;
  void JumpToNextAsteroid() override;
  void JumpToPreviousAsteroid() override;
  void LeaveStartScreen() override;

  // One step of the running future view (0 from the frame animation).
  void FutureStep(int argument);
  // The view's block of a saved game, and back: false (nothing changed) for
  // a short block, wrong version or validity bytes, a filter above 10, a
  // camera mode or future state out of range, a wild turn offset, or a
  // camera outside the world.
  std::vector<std::uint8_t> SaveSolarBlock();
  bool LoadSolarBlock(std::span<const std::uint8_t> bytes);
  // The start-screen script's step (the future view's turn offset).
  void RunStartScreenScript();
  // Under fog of war: objects for the asteroids detected since they were
  // made, and none for those not (or no longer) detected.
  void AddDetectedAsteroids();
  void RemoveUndetectedAsteroids();

  // --- filters and marks ---
  // Button 0..9 toggles its filter; -1 turns the active one off.
  void SelectFilter(int button);
  // 1 when the asteroid passes the active filter; its owner (0xFFFF none),
  // the label the filter shows (64 bytes; may be null) and, for the
  // by-chapter filter, the previous owner (may be null).
  int FilterAsteroid(std::uint32_t asteroid, std::uint16_t* owner, char* label, std::uint16_t* previousOwner);
  void ApplyFilterHalos();
  void ClearFilterHalos();
  void ShowFilterStatus();
  void DrawFilterLabels();
  void ApplyMarkHalos();
  void ClearMarks();
  // The first marked asteroid in no goto slot, else the first marked; false
  // when none is marked.
  bool HasMarkedAsteroid(std::uint16_t* asteroid) const;

  // --- selection and orders ---
  int SelectSolarObject(CVDispObj* object);
  int TargetSolarObject(CVDispObj* object);
  int ExecuteSolarOrder(CVDispObj* object);

  // --- navigation ---
  void FindAsteroid() override;
  void GoToAsteroid(std::uint16_t asteroid);

  std::uint32_t activated = 0;
  std::uint32_t rebuildPending = 0;
  std::uint32_t filterInverted = 0;
  std::uint8_t cameraMode = 2;
  std::int32_t futureTurns = 0;
  std::uint16_t activeFilter = 0;
  std::uint16_t selectedChapter = 255;
  std::uint16_t flashCount = 0;
  std::uint32_t flashId = 0x7FFFFFFF;
  std::uint16_t flashKind = 0;
  // The camera stands over an object the view centred it on.
  std::uint32_t centred = 0;
  // The start-screen step last run.
  std::int32_t lastScriptStep = -1;
  std::array<CImageButton*, kSolarFilterCount> filterButtons{};
  CImageButton* futureButton = nullptr;
  SolarMarks marks;

 private:
  void SetUpScene();
  int BuildDisplayObjects();
  void Activate(std::int32_t argument);
  void ShowText(const char* id, int attribute, const char* argument = nullptr);
  // The solar scene and camera made current, with the star field turned to solar space.
  void MakeSolarCurrent();
  void CentreOnHome();
  void Jump(int direction);
  std::uint16_t SolarLocation() const;
  // Every asteroid object where its asteroid stands now.
  void PlaceAllAsteroids();
  // The future view's line as last fetched, for its offset and date.
  char futureLine_[256] = {};
  std::int32_t futureLineTurns_ = -1;
  double futureLineDate_ = 0.0;
  void CreateButtons(plat::HWND window, plat::HINSTANCE instance);
  void ShowButtons(bool show);
  // The flashed object's own decoration back (marked, filtered, selected).
  void EndFlash();
  void StartFlash(CVDispObj* object, std::uint16_t chapter, std::uint16_t ticks);
  // The kind-4 halo of the filter on a passing asteroid object.
  void DecorateAsteroid(CVDispObj* object);
  CVDispObj* ObjectOf(std::uint16_t kind, std::uint32_t id) const;
  CVDispObj* FlashedObject() const;
  void Deselect(CVDispObj* object, std::uint32_t unitId);
};
