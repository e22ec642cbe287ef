#pragma once
// The 3D view of the space around one asteroid: the asteroid at the centre of
// the cube 1000..1200, its units around it, four camera modes with a camera
// kept per asteroid, six unit filters or unit labels, the grid and terrain
// buttons, and orders given by clicking objects. Game thread only.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/views/space/CVB3DView.h"

class CImageButton;
class CGUnit;

// The view's own block of a saved game, after the camera block.
constexpr std::size_t kAstSpaceBlockSize = 13;

// What the block holds, read without touching any view.
struct AstSpaceBlock {
  std::uint8_t cameraMode = 2;
  std::uint16_t asteroid = 0;
  std::uint16_t filterMask = 0;
  std::uint16_t filterChapter = 255;
  std::uint32_t filterInverted = 0;
};
std::vector<std::uint8_t> BuildAstSpaceBlock(const AstSpaceBlock& block);
// False for a short block, a wrong validity byte, a camera mode outside 1..4,
// a mask of more than one filter bit or a bit past the six filters.
bool ParseAstSpaceBlock(std::span<const std::uint8_t> bytes, AstSpaceBlock* out);

// The camera-mode ring: 1 linear, 2 asteroid centre, 3 free, 4 locked.
// Direction 1 goes linear, locked, centre, free; 0 the other way; another
// mode stays.
int NextAstCameraMode(int mode, int direction);

// The colour of one weapon dash against a labelled unit.
struct WeaponDashCase {
  bool outOfMaxRange = false;
  bool destroyed = false;
  bool unpowered = false;
  bool withinEffective = false;
  bool bright = false;  // the chosen target and the hit test passes
};
plat::COLORREF WeaponDashColour(const WeaponDashCase& c);

// The packed coordinate of a world coordinate, kept inside the 16-bit range.
std::int16_t WorldToPacked(double w);
double PackedToWorld(std::int16_t v);

class CVAstSpace : public CVB3DView {
 public:
  CVAstSpace(plat::HWND window, plat::HINSTANCE instance);
  ~CVAstSpace() override;

  ViewType GetViewType() const override { return VIEW_ASTEROID_SPACE; }
  int OnLButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnRButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnLButtonDblClk(int x, int y) override;
  void Render(std::int32_t argument) override;
  void Invalidate() override;
  void GoToView(plat::WPARAM type, plat::LPARAM value) override;
  void UpdateControlPanel() override;
  void OnDrawItem(plat::DRAWITEMSTRUCT* item) override;
  plat::LRESULT OnCommand(std::uint32_t id) override;
  void DrawStatusText() override;
  void PlayFrameAnimation(std::uint32_t elapsedMs) override;
  void RebuildDisplay() override;
  void MarkStale() override { stale = 1; }
  void OnTurnProcessing() override;
  void OnSelectGuild(int guild) override;
  void OnSelectChapter(std::uint32_t slot) override;
  void RecenterCamera() override;
  int SaveState(plat::FILE* file) override;
  int LoadState(plat::FILE* file) override;
  void ShowObject(int kind, std::uint32_t id) override;
  int CanOrderUnit(CGUnit* unit) override;
  int SelectObject(int kind, std::uint32_t id) override;
  int PickTarget(int kind, std::uint32_t id) override;
  int ExecuteOrderMode(int kind, std::uint32_t id) override;
  // Orders the picked template from every selected constructor, each told apart.
  void OnDataPanelCommand(int row, std::uint32_t argument) override;
  std::uint16_t GetCurrentAsteroidId() override { return currentAsteroid; }
  void HandleObjectPick(CVDispObj* object) override;
  double GetMaxCameraDistance() override { return 5000.0; }
  int IsCameraFree() override { return cameraMode == 3; }
  int IsCameraLinear() override { return cameraMode == 1; }
  int IsCameraLocked() override { return cameraMode == 4; }
  void RestoreCameraMode() override { cameraMode = previousCameraMode; }
  void SetCameraMode(int mode) override;
  int GetCameraMode() override { return cameraMode; }
  int GetLabelLimit() override { return 12; }
  void LocationToWorld(const Location& location, double out[3]) override;
  int ShowObjectMenu(int x, int y) override;
  void PositionObject(const Location& location, CVDispObj* object) override;
  void UpdateCamera(int flag) override;
  void CycleCameraMode(int direction) override;
  void ToggleUnitHalos() override;
  void RebuildGrid() override;
  void JumpToNextAsteroid() override { Jump(1); }
  void JumpToPreviousAsteroid() override { Jump(-1); }
  void ShowGuildMenu() override;
  void FlashUnit(std::uint32_t id) override;

  // The view's block into / out of bytes (the file forms use these).
  std::vector<std::uint8_t> SaveViewBlock() const;
  bool LoadViewBlock(std::span<const std::uint8_t> bytes);

  void ShowLocation(bool isAsteroid, std::uint32_t value);
  void BuildScene();
  void RestoreAsteroidCamera(std::uint16_t asteroid);
  void ApplyCameraMode(int mode);
  void WorldToLocation(const double point[3], Location* out) const;
  void RefreshGridOwnerColour();

  // Filters and labels.
  void ToggleFilter(int i);
  int PassesFilter(std::uint32_t unitId);
  int PassesFilter(const CGUnit* unit);
  void ApplyFilterHighlights();
  void ClearFilterHighlights();
  void ShowFilterText();
  void DrawUnitLabels();
  void DrawWeaponRanges(CGUnit* selected, CGUnit* labelled, int x, int y, CGUnit* battleTarget, CGUnit* attackTarget);
  // Where the labels measure a unit's weapons from: with Ctrl held, the place
  // its first order moves it to on this asteroid; else where it is.
  Location PlannedLocation(const CGUnit& unit) const;

  // Orders.
  int SelectPickedObject(const double* point, CVDispObj* object);
  int TargetPickedObject(const double* point, CVDispObj* object);
  int ExecuteOrderOnObject(const double* point, CVDispObj* object);
  void StartHeightTarget(const double point[3], CVDispObj* grid);
  void TrackHeightTarget(int x, int y);
  void FinishHeightTarget(int x, int y);

  std::uint32_t sceneShown = 0;
  std::uint32_t stale = 0;
  std::uint32_t filterInverted = 0;
  std::uint32_t restoreCamera = 1;
  std::uint8_t cameraMode = 2;
  std::uint8_t previousCameraMode = 2;
  plat::HWND window = nullptr;
  plat::HINSTANCE instance = nullptr;
  std::uint16_t pendingAsteroid = 0;
  std::uint16_t currentAsteroid = 0;
  std::uint16_t filterMask = 0;
  std::uint16_t filterChapter = 255;
  std::uint16_t flashCount = 0;
  std::uint32_t flashId = 0x7FFFFFFF;
  std::uint16_t flashKind = 0;
  std::array<CImageButton*, 6> filterButtons{};
  CImageButton* gridOnButton = nullptr;
  CImageButton* gridOffButton = nullptr;
  CImageButton* gridUpButton = nullptr;
  CImageButton* gridDownButton = nullptr;
  CImageButton* terrainButton = nullptr;

  // The unit-labels switch, shared by the views.
  static inline std::uint8_t labelsOn = 0;
  // The cursor height preview is kept within this band around the asteroid.
  static constexpr double kHeightLow = 1075.0;
  static constexpr double kHeightHigh = 1125.0;

 private:
  // The asteroid (value: its index) or the unit (its id) shown in the scene.
  void ShowPlace(bool isAsteroid, std::uint32_t value);
  void LoadSceneConfig();
  void Jump(int step);
  void EndFlash();
  void ShowButtons(bool show);
  void DrawGridButtons();
  void CreateButtons();
  // The index of the mask's single bit, or -1 after 32 shifts.
  static int FilterIndex(std::uint16_t mask);
  // Filter button i shows its other picture, at once on the screen.
  void ToggleFilterButton(int i);
  CVDispObj* ObjectOfUnit(std::uint32_t unitId);
};
