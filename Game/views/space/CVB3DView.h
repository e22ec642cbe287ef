#pragma once
// The base of the 3D views (solar system, asteroid space, space replay): the
// one 3D world and the "3ddata.nob" archive shared by every live 3D view, a
// display list per view, the key-driven camera with its glide, the grid
// plane, the fog upkeep, the frame step that draws only when something
// changed, the saved camera block, selection and picking, unit groups on the
// function keys, the unit display objects kept in line with the model, ship
// offers and sounds placed in the world. The subclasses set up their scene
// and fill the pure operations. Game thread only.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/model/GLocation.h"
#include "Game/views/frame/CVGeneric.h"

class CGAsteroid;
class CGStar;
class CGUnit;
class CVDispObj;
class CVDispUnt;
class CDispLine;
class DisplayList;
struct UnitOrder;
struct SGInstance;
struct SGScene;

// The camera block of a saved game: 100 bytes, version 2 written, 1 read too.
constexpr std::size_t kCameraBlockSize = 100;
constexpr std::size_t kCameraBlockSizeV1 = 92;
constexpr std::uint8_t kCameraBlockVersion = 2;

// Packet 460: a ship offered for sale.
constexpr std::uint16_t kShipOfferPacketType = 460;

// The shared state of the 3D views.
extern std::uint16_t g_live3DViews;
extern std::uint32_t g_3dArchiveOpen;
extern std::uint32_t g_gridShown;
extern std::uint32_t g_3dCtrlHeld;
// The Ctrl flag as the 3D views act on it: dropped (and the world redrawn)
// once Ctrl is no longer down, since its release may have gone to a dialog
// that a Ctrl key opened (save, load, version) and never reached the view.
bool Ctrl3DHeld();
extern float g_starTurnAccumX;
extern float g_starTurnAccumY;
// The asteroid last reached by the asteroid jumps, shared by the 3D views.
extern std::uint16_t g_jumpAsteroid;
// The star-background option applied to a new world: the application's
// option when there is an application.
extern std::uint32_t g_starBackgroundOption;

// Packet 460 as sent: 36 bytes, padding zeroed (the sequence is the send's).
std::vector<std::uint8_t> BuildShipOfferPacket(std::uint16_t localChapter, std::uint32_t unitId, std::uint8_t unitClass,
                                               const std::uint32_t prices[4]);

// The file of a sound effect: a generated "@" sound is in the sound
// folder's "generic\"; any other name is used as it is.
std::string SoundEffectPath(const char* name);

// A sound's volume factor and balance at a point seen from the camera
// (position, right, forward and up vectors).
struct PlacedSound {
  float volume = 0.f;
  float balance = 0.f;
};
// The balance is the negated component along the camera's right vector.
PlacedSound PlaceSound(const double camera[3], const float right[3], const double point[3], bool loop, bool quiet);

class CVB3DView : public CVGeneric {
 public:
  CVB3DView(plat::HWND window, plat::HINSTANCE instance);
  ~CVB3DView() override;

  // --- slots of CVGeneric overridden here ---
  int OnKeyUp(plat::WPARAM key, plat::LPARAM flags) override;
  int OnKeyDown(plat::WPARAM key, plat::LPARAM flags) override;
  int OnMouseMove(plat::WPARAM keys, plat::LPARAM position) override;
  // While the data panel shows a unit, the wheel turns its pages.
  int OnMouseWheel(plat::WPARAM wheel, plat::LPARAM position) override;
  plat::LRESULT OnMenuCommand(std::uint32_t id) override;
  // A goto slot under the cursor: hovered as its object.
  void ShowObject(int kind, std::uint32_t id) override;
  void OnStatusTextChanged() override;
  // Marks the world for redrawing: the world alone repaints the viewport, and
  // with it the info panel over it and what a closed dialog covered.
  void Invalidate() override;
  int IsRedrawPending() override;
  int ShowContextMenu(int x, int y) override;
  int SelectUnitForOrder() override;
  void HighlightObject(int kind, std::uint32_t id) override;
  void UpdateSelectionDisplay(int flag) override;
  void DeleteAllOrders() override;
  // The data panel for what is current: the construct list of the command
  // unit, the guild or chapter list the panel waits on, the selection's
  // asteroid, or else the turn summary with the version line.
  void RefreshDataPanel(int force) override;
  std::uint16_t GetCurrentAsteroidId() override = 0;
  int SaveState(plat::FILE* file) override;
  int LoadState(plat::FILE* file) override;

  // --- slots of the 3D views ---
  virtual int MoveUnitObject(std::uint32_t unitId, const Location& location);
  virtual int MoveAsteroidObject(std::uint16_t /*asteroid*/, const Location& /*location*/) { return 0; }
  virtual void StopCameraMotion();
  virtual void ToggleReplaySpeed() {}
  virtual void HandleObjectPick(CVDispObj* object) = 0;
  virtual double GetMinCameraDistance() { return 100.0; }
  virtual double GetMaxCameraDistance() { return 48000.0; }
  virtual int IsCameraFree() { return 0; }
  virtual int IsCameraLinear() { return 0; }
  virtual int IsCameraLocked() { return 0; }
  virtual void RestoreCameraMode() {}
  virtual void SetCameraMode(int /*mode*/) {}
  virtual int GetCameraMode() = 0;
  virtual int GetLabelLimit() { return 25; }
  virtual void LocationToWorld(const Location& location, double out[3]) = 0;
  // Ctrl+F: the solar view asks for an asteroid by name.
  virtual void FindAsteroid() {}
  virtual int ShowObjectMenu(int /*x*/, int /*y*/) { return 1; }
  virtual void PositionObject(const Location& location, CVDispObj* object) = 0;
  virtual void UpdateCamera(int flag) = 0;
  virtual void CycleCameraMode(int direction) = 0;
  virtual void ToggleUnitHalos() {}
  virtual void RebuildGrid();
  virtual int IsFutureView() { return 0; }
  virtual void ToggleFutureView() {}
  virtual void FutureViewCommand(int /*code*/) {}
  virtual void JumpToNextAsteroid() {}
  virtual void JumpToPreviousAsteroid() {}
  virtual void ShowGuildMenu() {}
  virtual int HasReplayTarget() { return 0; }
  virtual void LeaveStartScreen() {}
  // U and Shift+U in the locked camera mode: the unit reached is flashed.
  virtual void FlashUnit(std::uint32_t /*unitId*/) {}

  // --- frame (drawing, objects refresh, save) ---
  std::uint32_t DrawFrame();
  void RefreshObjects(int force);
  void DrawPercentBar(int percent, int x, int y, plat::COLORREF full, plat::COLORREF empty);
  // The data panel's turn, organics and asteroid counts, and its version line.
  void ShowTurnSummary();
  void ShowVersion();
  // The camera block into / out of bytes (the file forms use these).
  std::vector<std::uint8_t> SaveCameraBlock();
  // False (and nothing changed) for a short block, a wrong validity byte, a
  // version of 0 or above 2, or positions outside the world's cube.
  bool LoadCameraBlock(std::span<const std::uint8_t> bytes);

  // --- camera ---
  std::uint32_t ApplyCameraMotion();
  void ApplyGridMotion();
  void SetCameraRate(int axis, float rate);
  void LookAtTarget(int force);
  void SetCameraPosition(const double point[3], int force);
  void RestoreHomePose();
  int FindNearestAndFarthest(const double camera[3], double* nearestSq, double* farthestSq);
  void UpdateFogDistances();
  void MoveGrid(double delta);
  int StartGlide(CVDispObj* object, const double* point);
  void Zoom(double step);

  // --- selection and picking ---
  CVDispObj* PickAt(int x, int y);
  void MarkObject(CVDispObj* object, std::uint16_t markerKind, std::uint32_t chapter);
  void UnmarkObject(CVDispObj* object, std::uint16_t markerKind);
  void ShowUnitHover(std::uint32_t unitId, std::uint16_t location);
  void ClearOrderTargetMarker(CGUnit* unit);
  void ShowAsteroidHover(std::uint32_t index);
  void ShowStarHover(std::uint32_t index);
  // The data panel's next (or previous) unit page, while it shows a unit.
  void TurnUnitPage(bool forward);
  int IssueOrder(std::uint32_t orderType, int targetKind, std::uint32_t targetId, int append);
  void UnmarkAll();
  void SelectAll();
  void MarkSelection();
  void UnmarkSelection();
  void SelectGroup(int n);
  void NextShip();
  void PreviousShip();
  void FlyToSelection();
  void FlyTo(CVDispObj* object);

  // --- unit objects and grid ---
  CVDispUnt* CreateUnitObject(const CGUnit* unit, const double position[3]);
  CVDispObj* CreateAsteroidObject(const CGAsteroid* asteroid);
  // A battle replay's unit: its id, appearance bytes (the class abbreviation) and place, no model unit.
  CVDispUnt* CreateReplayObject(std::uint32_t id, std::span<const std::uint8_t> appearance, const double position[3]);
  // The marker of a location an order aims at, found again by (16, id).
  CVDispObj* CreateLocationMarker(const Location& location, std::uint32_t id);
  CVDispObj* CreateStarObject(const CGStar* star, std::uint32_t arg);
  CVDispObj* CreateExplosionObject(std::uint32_t id, const char* name, const char* dir, CVDispObj* owner,
                                   std::uint32_t attached, std::uint32_t looping);
  // The solar view's asteroids placed where they are now: those in [first,
  // last), wrapping; (0, 0) all.
  void RepositionAsteroids(std::uint16_t first, std::uint16_t last);
  void MoveAllUnitObjects();
  void HideUnitObjects(int hide);
  void UpdateUnitObjects();
  void EnsureGrid();
  void ClearDisplayList();
  std::uint32_t GridTileCount() const;

  // --- ship offers and sound ---
  void OfferShip(std::uint32_t unitId);
  void PlaySoundAt(const char* name, const double position[3], bool loop, bool quiet);

  // Fields, in the order of the view's state.
  double turnRateX = 0.0;
  double turnRateY = 0.0;
  double zoomRate = 0.0;
  std::uint32_t cameraMoving = 0;
  std::uint32_t nearAsteroid = 0;
  std::uint32_t closeToAsteroid = 0;
  std::uint32_t fogUpdatePending = 0;
  CDispLine* targetLine = nullptr;
  std::uint16_t currentKind = 0xFFFF;
  std::uint32_t currentId = 0xFFFFFFFF;
  DisplayList* displayList = nullptr;
  double target[3] = {1100.0, 1100.0, 1100.0};
  double homePosition[3] = {1100.0, 1100.0, 1060.0};
  float homeForward[3] = {0.f, 0.f, 1.f};
  float homeUp[3] = {0.f, 1.f, 0.f};
  std::uint16_t shipCycleIndex = 0;
  std::uint32_t startScreenShown = 0;
  std::uint32_t targetLineActive = 0;
  std::uint32_t mouseRefreshCount = 0;
  std::uint32_t cameraFrozen = 0;
  double gridPoint[3] = {0.0, 1093.5, 0.0};
  float gridRate = 0.f;
  std::uint32_t glideActive = 0;
  double glideDistance = 0.0;
  CVDispObj* glideObject = nullptr;
  double glidePoint[3] = {0.0, 0.0, 0.0};

  static constexpr double kGridHeight = 1093.5;
  double GridHeight() const { return gridPoint[1]; }

 protected:
  bool IsSolar() { return GetViewType() == VIEW_SOLAR; }
  bool IsReplay() { return GetViewType() == VIEW_SPACE_REPLAY; }
  // The object an order aims at (an asteroid or a unit), or null.
  CVDispObj* OrderTargetObject(const UnitOrder& order);
  void FaceOrderTarget(CVDispUnt* object, CGUnit* unit);
  void Turn(int axis, double angle);
  void GlideStep();
  void PlaceAtObject(CVDispObj* object);
  // Where the orbiting modes place the camera for an object at `at`: 20
  // beyond it on the line from `target` (lifted out of the central column in
  // locked mode).
  void OrbitPlacement(const double at[3], double place[3]);
  // The status text of the unit filter `flags` (0 or one of 0x01 to 0x20),
  // inverted or not; the chapter filter's names `chapter`. Shown for
  // `attribute`.
  void ShowUnitFilterText(std::uint16_t flags, bool inverted, std::uint32_t chapter, int attribute);
  // Makes the world's scene and camera of a view in their slots the first
  // time, distance fog on and its update pending (true then), and makes them
  // current; a later call only makes them current (false, as for a scene
  // that could not be made).
  bool UseViewScene(SGScene** scene, SGInstance** camera);
  // A view button's current face on the composition surface and in its own
  // window; with `item`, the face its draw request asks for (pressed or not),
  // then the flush.
  void DrawButton(CImageButton* button);
  void DrawButtonItem(CImageButton* button, const plat::DRAWITEMSTRUCT& item);

 private:
  std::uint32_t createdWorld_ = 0;
};
