#pragma once
// The 2D view of one asteroid's surface: its zones as square rings of cells
// around the centre (TerrainGeometry.h), each cell one kind of ATV of a zone,
// with the zone's owner tint, borders, facilities and ATVs over a
// star field and the asteroid's picture. The player filters the tint (six
// filters), toggles automanage, gives zone commands from a popup menu (each
// sends its packet, TerrainPackets.h), walks the asteroids where the local
// chapter is with Tab and leaves for the asteroid's orbital space.
//
// The view draws only with sprites: the background (stars and asteroid) is
// made once per asteroid, each cell is restored from it onto the work surface,
// tinted, bordered and filled, then copied to the screen composition.
//
// The model's values are a server's word and are not trusted: a size class
// above 4 shows no zones, a zone missing from the asteroid is skipped, a cell
// kind or owner out of range draws nothing.
//
// Game thread only.

#include <array>
#include <cstdint>
#include <string>

#include "Game/views/flat/TerrainGeometry.h"
#include "Game/views/frame/CVGeneric.h"

class CSprite;
class CImageButton;
class CVStarField;
class CGAsteroid;
class CGZone;

class CVTerrain : public CVGeneric {
 public:
  static constexpr std::uint8_t kNoFilter = 0xFF;
  static constexpr int kFilterCount = 6;
  static constexpr std::uint8_t kEndByte = 0xDE;
  static constexpr std::uint32_t kFirstFilterId = 450;
  static constexpr std::uint32_t kAutomanageId = 312;
  static constexpr std::uint32_t kGoToSpaceId = 456;
  // The main window's own command for the go-to-space button.
  static constexpr std::uint32_t kMainGoToSpaceId = 310;
  // Popup-menu commands.
  enum MenuCommand : std::uint32_t {
    MENU_SET_GOTO = 501,
    MENU_TRANSPORT = 506,
    MENU_GO_SPACE = 508,
    MENU_VOTES = 516,
    MENU_CLEAR_GOTO = 520,
    MENU_RAISE_MINING = 800,
    MENU_RAISE_STACKING = 801,
    MENU_ENTRENCH = 802,
    MENU_STORAGE_FACILITY = 803,
    MENU_MINING_FACILITY = 804,
    MENU_POWER_FACILITY = 805,
    MENU_ATV_FACILITY = 806,
    MENU_CONSTRUCT_ATVS = 807,
  };

  // Creates every sprite and the (hidden) buttons; the filter starts at 3.
  CVTerrain(plat::HWND window, plat::HINSTANCE instance);
  ~CVTerrain() override;

  ViewType GetViewType() const override { return VIEW_TERRAIN; }
  int OnLButtonDown(int x, int y, plat::WPARAM keys) override;
  // Ends a drag: the ATVs go back to their zone, then move, attack or undo
  // their arrival by where they are dropped.
  int OnLButtonUp(int x, int y, plat::WPARAM keys) override;
  // Carries a dragged ATV and highlights the zone under it; without a drag,
  // the data panel reads out what the cursor is over (CVTerrainHover.cpp).
  int OnMouseMove(plat::WPARAM keys, plat::LPARAM position) override;
  // Over a zone the wheel steps the zone read-out's page (towards the player:
  // forward); elsewhere the base handles it.
  int OnMouseWheel(plat::WPARAM wheel, plat::LPARAM position) override;
  // The data panel goes back to the selection: its one unit or asteroid, or
  // nothing.
  void RefreshDataPanel(int flag) override;
  int OnRButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnRButtonUp(int, int, plat::WPARAM) override { return 0; }
  int OnLButtonDblClk(int x, int y) override;
  int OnKeyDown(plat::WPARAM key, plat::LPARAM flags) override;
  // Shows an asteroid (0xFFFF0000 | id; id 0xFFFF keeps the current one), or
  // the location asteroid of a unit id; only redraws while built.
  void Render(std::int32_t argument) override;
  void Invalidate() override { Build(); }
  void GoToView(plat::WPARAM viewType, plat::LPARAM argument) override;
  // The base goto bar, or the placement bar while a unit lands or picks up ATVs.
  void DrawGotoBar() override;
  int IsBusy() override { return static_cast<int>(placement); }
  void UpdateControlPanel() override;
  void OnDrawItem(plat::DRAWITEMSTRUCT* item) override;
  void RouteDrawItem(plat::DRAWITEMSTRUCT* item, int viewSpecific) override;
  plat::LRESULT OnCommand(std::uint32_t id) override;
  plat::LRESULT OnMenuCommand(std::uint32_t id) override;
  void PlayFrameAnimation(std::uint32_t elapsedMs) override;
  void RebuildDisplay() override { Build(); }
  // u16 asteroid, u32 last show argument, the end byte 0xDE; LoadState is 1
  // only when the end byte reads back, and leaves the view to be built.
  int SaveState(plat::FILE* file) override;
  int LoadState(plat::FILE* file) override;
  int ShowContextMenu(int x, int y) override;
  void OnZoneAtvsReturned() override;
  std::uint16_t GetCurrentAsteroidId() override { return asteroidId; }

  // Filter i (0..5) as its button or the F key chooses it: the chosen one
  // again clears the filter. All zones are drawn again.
  void SelectFilter(std::uint8_t filter);
  std::uint8_t GetFilter() const { return filter; }
  // The tint percentage of `zone` under the current filter (0: none).
  int FilterPercent(const CGZone& zone) const;
  // What a screen point hits on the shown asteroid.
  bool HitZone(int x, int y, terrain::Hit* out) const;
  // The popup items the cell under (x, y) offers, in menu order (the ids of
  // MenuCommand); empty off the zones.
  std::array<std::uint32_t, 13> MenuItemsAt(int x, int y, int* count) const;
  // Runs a zone command of the popup on the cell under (x, y).
  void RunZoneCommand(std::uint32_t id, int x, int y);
  // The automanage button's action.
  void ToggleAutomanage();
  // The zone's status byte names the artifact it holds (0xFF: none).
  static bool HasArtifact(const CGZone& zone);
  static constexpr std::uint8_t kNoArtifact = 0xFF;
  // The survey line of the shown asteroid (as the status line gets it).
  std::string SurveyStatus() const;
  // Draws every zone onto the work surface and the composition; with flush,
  // shows the viewport.
  void RedrawAllZones(int flush);

  // ATVs (CVTerrainAtvs.cpp). Moves and attacks take the local chapter's
  // ATVs of `kind` from zone `source`; each returns what stays there, and
  // does nothing (returning the count held) when the rules refuse it.
  int MoveAtvs(int source, int target, int kind, int count);
  int AttackAtvs(int source, int target, int kind, int count);
  // A move of `chapter`'s ATVs of `kind` from `source` can reach `target`:
  // adjacent zones, or with the tech flag 'M' one zone between.
  bool IsReachable(int source, int target, int kind, std::uint8_t chapter) const;
  // The dragged ATVs may be dropped on `zone` (the drop tint's colour).
  bool DropAllowed(int zone) const;
  // A chapter's ATV tech entry of a kind: four numbers, then two flag
  // characters ('F' entrench, 'M' move two zones, 'R' attack); zeros for
  // no such chapter or kind.
  static std::array<std::uint8_t, 6> ChapterTech(std::uint8_t chapter, int kind);
  // The placement modes (CVTerrainPlacement.cpp), entered by showing the
  // view with a unit id: a unit landing the ATVs it carries (its landing
  // request is 1) or picking ATVs up. A click on a zone's cell places (count
  // 5 with Ctrl); with another chapter on the asteroid only the outer ring
  // takes clicks. Nothing of a landing is sent before done; each pick-up is
  // sent at once (609, 601).
  void PlacementClick(int zone, int kind, int count);
  // The bar's slot (0..9) clicked: toggles, done, reset.
  void PlacementBarClick(int slot);
  int InPlacement() const { return static_cast<int>(placement); }
  int IsLanding() const { return static_cast<int>(landingMode); }
  std::uint8_t LandingCount(int kind, int zone) const {
    return landingBlock[static_cast<std::size_t>(8 + kind * 31 + zone)];
  }
  int PickedCount(int zone, int kind) const {
    return (pickupBlock[static_cast<std::size_t>(zone)] >> (4 * kind)) & 0xF;
  }
  std::uint8_t PickedTotal(int kind) const { return pickupHead[static_cast<std::size_t>(kind)]; }
  std::uint32_t KindToggle(int kind) const { return kindToggles[static_cast<std::size_t>(kind)]; }
  std::uint8_t DraggedKind() const { return dragKind; }
  std::uint8_t DraggedCount() const { return dragCount; }
  std::uint8_t HighlightedZone() const { return highlightZone; }

  CImageButton* FilterButton(int i) const { return filterButtons[static_cast<std::size_t>(i)]; }
  CImageButton* AutomanageButton() const { return automanageButton; }
  CImageButton* GoToSpaceButton() const { return goToSpaceButton; }
  int IsBuilt() const { return static_cast<int>(built); }

 protected:
  CGAsteroid* Asteroid() const;
  int SizeClass() const;
  void DrawZone(int zone);
  CSprite* WorkSurface() const { return workSurface; }
  CSprite* FacilityImage(std::uint32_t bit) const;
  CSprite* ArtifactImage() const { return artifactImage; }
  // What a subclass shows over the surface whenever the viewport is shown
  // again from the work surface (before the status line and the flush).
  virtual void DrawOverSurface() {}
  // The status line's countdown, one step each 75 ms of `elapsedMs` summed;
  // when it runs out the viewport shows again without the line.
  void CountDownStatus(std::uint32_t elapsedMs);
  // Cells drawn plain (background and borders only), as the replay shows them.
  std::uint32_t plainCells = 0;
  std::uint32_t built = 0;
  std::uint16_t asteroidId = 0;

 private:
  void Build();
  void DrawAsteroidPicture();
  void DrawCentreAndRings();
  void DrawCell(int ring, int position);
  void SetHighlight(int zone);
  void RestoreUnderDrag();
  CGUnit* PlacementUnit() const;
  void StartPlacement(std::uint32_t unitId);
  void DrawPlacementBar();
  void PlacementDone();
  void PlacementReset();
  // The landing block's counts back into the unit's cargo (none when the
  // unit is gone), and the block cleared.
  void ReturnLanding(CGUnit* unit);
  // The landing unit with its cargo and the landing block in agreement: when
  // the server's word has replaced the cargo since the block last took from
  // it, the block's ATVs are taken from the new count again, and what the
  // count no longer holds leaves the block. Returns whether anything changed.
  bool MatchLandingToCargo(CGUnit* unit);
  void NoteCargoLeft(const CGUnit& unit);
  // The picked ATVs back into their zones, sent as each pick was (601, and
  // 609 with the count negated), and the pick-up block cleared.
  void ReturnPickedAtvs();
  // The mode is left without done: its order is never queued, so what it
  // took from the cargo or the zones goes back.
  void AbandonPlacement();
  void EndDrag();
  // The dragged ATVs back into their zone, nothing sent.
  void GiveDragBack(CGZone& source);
  // A drag the view is left in (a key pressed with the button held) ends as
  // a drop off the zones does: the ATVs go back where they were taken.
  void CancelDrag();
  void DrawCellContents(const CGZone& zone, int kind, int x, int y);
  int ZoneAtCell(int column, int row) const;
  void DrawCellText(const char* text, int x, int y, plat::COLORREF colour);
  // Hover (CVTerrainHover.cpp): the zone read-out of a zone (force: even when
  // it is the one shown), a goto slot's object, and the page keys' and wheel's
  // step of the zone read-out under (x, y).
  void ShowZoneInPanel(int zone, int force);
  void ShowGotoObject(int slot);  // an index of gotoSlots
  int HoverAt(plat::WPARAM keys, plat::LPARAM position);
  int TurnZonePage(int x, int y, int forward);
  // Forgets what hovering put into the data panel, so the next hover reads
  // it out again (a drag changes the counts shown).
  void ForgetHover();
  void HideButtons();
  void ShowOnScreen();
  void SetStatusFromId(const char* id);
  void NextAsteroid(int backwards);
  CImageButton* MakeButton(std::uint32_t id, const char* tip, int x, int y, int width, int height, std::uint32_t help,
                           const char* normal, const char* pressed);
  void DrawButton(CImageButton* button, int selected);

  std::uint32_t lastArgument = 0;
  CSprite* verticalLine = nullptr;
  CSprite* artifactImage = nullptr;
  // The hover object: the goto slot's object last read out (kind 0xFFFF:
  // none), and whether the panel shows something hovered rather than the
  // selection.
  std::uint16_t shownGotoKind = 0xFFFF;
  std::uint32_t shownGotoId = 0;
  std::uint32_t hoverShown = 0;
  CSprite* horizontalLine = nullptr;
  std::array<CSprite*, 4> atvImages{};
  CSprite* workSurface = nullptr;
  CSprite* background = nullptr;
  // Storage (twice: the storage and mining cell shares it), power, mining, ATV construction.
  std::array<CSprite*, 5> facilityImages{};
  CVStarField* starField = nullptr;
  std::array<CImageButton*, kFilterCount> filterButtons{};
  CImageButton* goToSpaceButton = nullptr;
  CImageButton* automanageButton = nullptr;
  std::uint8_t filter = 3;
  // The drag: ATVs of one kind taken from a zone (kind 0xFF: none), the
  // owner's own or (fromArriving) one of the local chapter's on their way in.
  CSprite* saveUnder = nullptr;
  std::uint8_t dragKind = 0xFF;
  std::int16_t dragZone = -1;
  std::uint8_t dragChapter = 0;
  std::uint32_t dragFromArriving = 0;
  std::uint8_t dragCount = 0;
  CSprite* dragImage = nullptr;
  int savedX = -1;
  int savedY = -1;
  std::uint8_t highlightZone = 0xFF;
  // Placement: the unit by id, landing or picking up; the land-ATVs order's
  // block (asteroid at 0, counts by kind and zone from 8), the recovery
  // order's head (four picked totals, 0, asteroid) and per-zone nibbles.
  std::uint32_t placement = 0;
  std::uint32_t placementUnitId = 0;
  std::uint32_t landingMode = 0;
  std::array<std::uint8_t, 132> landingBlock{};
  std::array<std::uint8_t, 6> pickupHead{};
  std::array<std::uint16_t, 31> pickupBlock{};
  std::array<std::uint32_t, 4> kindToggles{};
  std::uint32_t landingPending = 0;
  // The landing unit's cargo as the block last left it.
  std::array<std::uint8_t, 4> cargoLeft{};
  // The cell the last popup menu was opened on.
  int menuX = 0;
  int menuY = 0;
};
