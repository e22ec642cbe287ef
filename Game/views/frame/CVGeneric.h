#pragma once
// The base of every game view and the game screen they share. A view object
// holds nothing of the screen: the first view constructed builds the shared
// state below (composition surface, fonts, control panel, goto bar, panels)
// and the first one destroyed frees all of it, so the next game's first view
// builds it anew. All drawing goes to the 800 x 600 composition surface and
// reaches the display only through a flush of the dirty rectangle.
//
// Screen layout (right and bottom exclusive): goto tabs y 0..7, goto slots
// column n at (7 + 79n, 10)..(80 + 79n, 75), viewport (29, 98)..(614, 465),
// notification area 22 < x < 601 and 496 < y < 592, control area
// (637, 494)..(790, 592), info area 28 < x < 615 and 97 < y < 466.
//
// Game thread only.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "Game/app/GameView.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "platform/core/files.h"
#include "platform/core/types.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/gdi/objects.h"

class CDDraw;
class CSprite;
class CImageButton;
class CVData;
class CVNotify;
class CInfoPanel;
class CGUnit;
class CGAsteroid;

// One goto-bar bookmark: kind 0 or 12 asteroid, 1 solar view, 2 unit,
// 17 design chamber, 100 empty; others are kept but not drawn.
struct GotoEntry {
  std::uint16_t kind = 100;
  std::uint32_t id = 0;
};

enum GotoKind : std::uint16_t {
  GOTO_ASTEROID = 0,
  GOTO_SOLAR = 1,
  GOTO_UNIT = 2,
  GOTO_TERRAIN_ASTEROID = 12,
  GOTO_DESIGN = 17,
  GOTO_EMPTY = 100,
};

// The 15 cursor kinds; 15 and above show NORMAL, 0xFFFF sets the current one again.
enum CursorKind : std::uint16_t {
  CURSOR_NORMAL = 0,
  CURSOR_TARGET = 1,
  CURSOR_LAND = 2,
  CURSOR_SCAN = 3,
  CURSOR_ALL_EFFEC = 4,
  CURSOR_ALL_MAX = 5,
  CURSOR_CONSTRUCT = 6,
  CURSOR_HELP = 7,
  CURSOR_NO_RANGE = 8,
  CURSOR_REFUEL = 9,
  CURSOR_REPAIR = 10,
  CURSOR_SOME_EFFEC = 11,
  CURSOR_SOME_MAX = 12,
  CURSOR_SELECT = 13,
  CURSOR_XFER = 14,
  CURSOR_AGAIN = 0xFFFF,
};

constexpr int kGotoGroups = 10;
constexpr int kGotoColumns = 10;
constexpr int kControlButtonCount = 27;
constexpr std::uint16_t kNoCommandMode = 0xFFFF;
constexpr plat::RECT kViewportRect{29, 98, 614, 465};
constexpr plat::RECT kControlArea{637, 494, 790, 592};
constexpr int kViewportWidth = 585;
constexpr int kViewportHeight = 367;

// The shared state of the game screen, owned by the view framework: one
// record for the whole program (null and start values while no view exists).
class CPopupMenu;
struct ScreenState {
  CDDraw* viewDDraw = nullptr;
  plat::HWND viewWnd = nullptr;
  plat::HINSTANCE viewInstance = nullptr;
  CSprite* screenSprite = nullptr;
  plat::RECT dirtyRect{};
  std::uint32_t flushSuspended = 1;
  CSprite* viewportSprite = nullptr;
  CSprite* textStripSprite = nullptr;
  std::uint16_t textStripWidth = kViewportWidth;
  plat::HFONT angularFont = nullptr;
  plat::HFONT boldFont = nullptr;
  plat::HBRUSH blackBrush = nullptr;
  plat::HWND tooltipWnd = nullptr;
  std::array<CImageButton*, kControlButtonCount> controlButtons{};
  CSprite* emptyGotoSprite = nullptr;
  CSprite* gotoTabSprite = nullptr;
  CSprite* gotoTabCurrentSprite = nullptr;
  CSprite* turnLampOnSprite = nullptr;
  CSprite* turnLampOffSprite = nullptr;
  std::array<GotoEntry, kGotoGroups * kGotoColumns> gotoSlots{};
  std::uint8_t gotoGroup = 0;
  std::uint16_t cursorKind = 0xFFFE;
  CVData* dataPanel = nullptr;
  CVNotify* notifyPanel = nullptr;
  CInfoPanel* infoPanel = nullptr;
  std::uint32_t infoPanelVisible = 0;
  std::uint16_t replayMode = 0;
  std::uint16_t turnLampCount = 0;
  std::uint32_t chatLightOn = 0;
  std::uint32_t viewType = VIEW_SOLAR;
  std::uint32_t previousViewType = VIEW_SOLAR;
  std::uint16_t previousViewAsteroid = 0xFFFF;
  std::uint32_t endTurnSentTurn = 0xFFFFFFFF;
  std::uint32_t commandMode = kNoCommandMode;
  std::uint32_t commandUnitId = 0xFFFFFFFF;
  std::uint8_t menuObjectKind = 0xFF;
  std::uint32_t menuObjectId = 0xFFFFFFFF;
  std::uint8_t pendingOrderOption = 0xFF;
  // The unit to be modified while the template list is shown (-1 none).
  std::uint32_t modifyTargetId = 0xFFFFFFFF;
  std::uint32_t shipFacingOff = 0;
  std::uint32_t cameraTravelOff = 0;
  std::uint32_t frameAnimationsOn = 1;
  // The status line: its text and the animation steps it stays shown (0: not drawn).
  std::string statusText;
  std::uint16_t statusShown = 0;
  // The line the save's notice covered, with the steps it had left (0: none),
  // and the view it was covered in.
  std::string coveredStatusText;
  std::uint16_t coveredStatusShown = 0;
  std::uint32_t coveredStatusView = VIEW_SOLAR;
  // The clock when the line was set or last took a step.
  std::uint32_t statusSteppedAt = 0;
  // Set by the solar view: its future view is on, and 2 while it runs.
  std::uint32_t futureView = 0;
  std::uint8_t futureViewState = 0;
  // The open popup menu, or null.
  CPopupMenu* popupMenu = nullptr;
  // The fixed template slot 0..14 last picked in the data panel's template
  // list for a construct or modify order; 255 none.
  std::uint32_t templateSlot = 255;
  // The guild last picked in the data panel's guild list (0..4), whose chapters
  // the panel lists while it waits for a chapter (data-panel mode 5).
  std::uint8_t chosenGuild = 0;
  // The viewport as the flush shows it under the info panel: faded, with the
  // panel over it. The fading works on this copy's source, which the flush
  // puts back afterwards, so the composition surface never fades twice.
  CSprite* flushCopySprite = nullptr;
  // The texts the goto bar's tips hold, by column.
  std::array<std::string, kGotoColumns> gotoTipTexts;
  // The frame's small animations and the lamp frame's state.
  FrameAnimation frameAnimation;
  // The full path of the voice played last.
  std::string voicePath;
};
// The one screen state.
ScreenState& SharedScreen();
// The command the info panel's switch passes to the view first.
constexpr std::uint32_t kToggleInfoPanelCommand = 161;
// Takes a popup menu down and frees it.
void ReleasePopupMenu(CPopupMenu* menu);
// The order a pending mode gives is an `OrderType`; these two are the
// framework's own: a refuel that has just ended, and a mode entered from an
// asteroid rather than a unit (the screen's commandUnitId's high half).
constexpr std::uint32_t kRefuelEndedMode = 0xFF;
constexpr std::uint32_t kAsteroidSubject = 0xFFFF0000u;

// Drawing on the composition surface. DrawViewSprite copies a sprite to
// (x, y) (-1: the sprite's own place) and adds that rectangle to the dirty one.
void DrawViewSprite(CSprite* sprite, plat::LONG x, plat::LONG y, const plat::RECT* source);
// Adds a rectangle to the dirty rectangle (an empty one becomes it).
void AddDirtyRect(const plat::RECT& rect);
// Copies the dirty rectangle (empty: the whole screen) to the display and
// empties it; nothing while suspended.
void FlushScreen();
// Copies the viewport alone; the dirty rectangle stays.
void FlushViewport();
// 1 suspends the flush; 0 marks the whole screen dirty and resumes it.
void SuspendScreenFlush(int suspend);
bool ScreenFlushSuspended();

// Text in viewport coordinates; 0 when refused (x >= 585, y >= 351 bold or
// 361 otherwise, x + width <= 0, y <= 0), else the drawn height.
int DrawScreenText(const char* text, int x, int y, int width, plat::COLORREF colour, plat::UINT format, int bold,
                   int upperCase);
// The width of `text` in the font DrawScreenText uses; 0 without a screen.
int MeasureScreenText(const char* text, int bold);
// The same through the black-keyed text strip (only the letters reach the screen).
int DrawViewportText(const char* text, int x, int y, int width, plat::COLORREF colour, plat::UINT format, int bold,
                     int upperCase);
// 0 when refused (x2 < 1, y1 or y2 < 1 or >= 367, max(x1, 1) >= 585), else 1.
// The dirty rectangle is not touched.
int DrawViewportLine(int x1, int y1, int x2, int y2, plat::COLORREF colour, int penWidth);
int ShadeViewportRect(int left, int top, int right, int bottom, plat::COLORREF colour, std::uint8_t percent);
// Text in goto-slot coordinates ("Angular3", word-broken); never refused.
void DrawGotoBarText(const char* text, int column, int dx, int dy, int width, plat::COLORREF colour, plat::UINT format);

// The left edge of goto column n, and the column under x (0..9; the tabs and
// the slots share this one geometry).
constexpr int GotoColumnLeft(int column) { return 7 + 79 * column; }
int GotoColumnAt(int x);
// The tab under x: the 80-pixel columns of the tab row.
constexpr int GotoTabAt(int x) { return x * 10 / 800; }

// A held scroll button of the notification panel (direction 0 up, 1 down):
// scrolls a line at a time until a left-button-up waits for `button`, and
// gives up after a minute of program time in any case.
void RepeatNotificationScroll(plat::HWND button, int direction);

// Registers (true) or withdraws the game screen as the panels' frame.
void InstallPanelFrame(bool on);

// Restart request: asks "RESTARTG" and on yes sends packet 27.
void AskRestartGame();

// Help topic `topic` at (x, y) over `parent`, in the local guild's look (the front
// end's before a game starts).
void ShowHelpTopic(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, std::uint32_t topic, int x, int y);
// The in-game options and settings dialogs, modal.
void RunInGameOptionsDialog(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, IGameView* view);
void RunInGameSettingsDialog(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, IGameView* view);
// The game summary and high-score dialogs of packet 19.
void ShowGameOverDialogs(std::span<const std::uint8_t> packet);

class CVGeneric : public IGameView {
 public:
  // The first view builds the shared state, naming no unit, asteroid or
  // design slot of an earlier game; the others find it.
  CVGeneric(plat::HWND window, plat::HINSTANCE instance);
  // The first view destroyed frees the shared state.
  ~CVGeneric() override;
  CVGeneric(const CVGeneric&) = delete;
  CVGeneric& operator=(const CVGeneric&) = delete;

  // Slots, in their order; the base bodies.
  void UpdateCursor() override;
  // Leaving for another view: records this view and the next, hides the
  // control buttons and posts the switch. Views with more to put away
  // override it.
  void GoToView(plat::WPARAM viewType, plat::LPARAM argument) override;
  int OnLButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnRButtonDown(int x, int y, plat::WPARAM keys) override;
  int OnLButtonUp(int, int, plat::WPARAM) override { return 0; }
  int OnRButtonUp(int, int, plat::WPARAM) override { return 0; }
  int OnLButtonDblClk(int x, int y) override;
  int OnKeyUp(plat::WPARAM key, plat::LPARAM flags) override;
  int OnKeyDown(plat::WPARAM key, plat::LPARAM flags) override;
  int OnMouseMove(plat::WPARAM keys, plat::LPARAM position) override;
  int OnMouseWheel(plat::WPARAM wheel, plat::LPARAM position) override;
  // The star background and distance fog are the shared 3D world's, which
  // lives on under the 2D views: these read and set it, and without a world
  // answer the player's settings, so the settings dialog opened over a 2D
  // view shows and keeps what the player chose.
  virtual int IsStarBackgroundOn();
  virtual void SetStarBackground(int on);
  virtual int IsDistanceFogOn();
  virtual void SetDistanceFog(int on);
  void DrawGotoBar() override;
  void UpdateControlPanel() override;
  virtual void LeaveReplayMode(int switchBack);
  virtual void OnReplayModeEntered() {}
  virtual void OnReplayModeLeft() {}
  virtual void OnReplayPlay() {}
  virtual void OnReplayPause() {}
  virtual void OnReplayAdvance() {}
  virtual void OnReplayRestart() {}
  plat::LRESULT OnMenuCommand(std::uint32_t id) override;
  virtual void DrawStatusText();
  void PlayFrameAnimation(std::uint32_t elapsedMs) override;
  virtual void OnDataPanelCommand(int row, std::uint32_t argument);
  virtual void OnSelectGuild(int /*guild*/) {}
  virtual void OnSelectChapter(std::uint32_t /*value*/) {}
  virtual int IsBusy() { return 0; }
  virtual void RecenterCamera() {}
  virtual void ShowObject(int /*kind*/, std::uint32_t /*id*/) {}
  virtual void OnAsteroidNotice(std::uint16_t /*a*/, std::uint16_t /*b*/) {}
  // ATVs went back to their zones (a cancelled recovery).
  virtual void OnZoneAtvsReturned() {}
  virtual void OnStatusTextChanged() {}
  virtual void ActivateGotoSlot(int slot, int x, int y);
  virtual int IsRedrawPending() { return 0; }
  virtual int ShowContextMenu(int /*x*/, int /*y*/) { return 1; }
  virtual int CanOrderUnit(CGUnit* unit);
  virtual int SelectUnitForOrder();
  virtual void HighlightObject(int /*kind*/, std::uint32_t /*id*/) {}
  virtual int SelectObject(int kind, std::uint32_t id);
  virtual int PickTarget(int kind, std::uint32_t id);
  virtual int ExecuteOrderMode(int kind, std::uint32_t id);
  virtual void OnDblClkObject(std::uint32_t /*id*/) {}
  virtual void UpdateSelectionDisplay(int flag);
  virtual void DeleteAllOrders();
  virtual void RefreshDataPanel(int flag);
  virtual std::uint16_t GetCurrentAsteroidId() { return 0xFFFF; }
  virtual int GetGotoSlotAtX(int x);
  // An asteroid of the view to fill an empty goto slot with: 1 with its
  // number in `asteroid`, 0 when the view has none (asteroid 0 is a number).
  virtual int HasObject(std::uint16_t* /*asteroid*/) { return 0; }

  // Owner drawing and commands of the main window.
  void DrawControlButton(plat::DRAWITEMSTRUCT* item) override;
  void RouteDrawItem(plat::DRAWITEMSTRUCT* item, int viewSpecific) override;
  void DrawMenuItem(plat::DRAWITEMSTRUCT* item) override;
  void OnMenuSelect(plat::HMENU menu, std::uint32_t item) override;
  // 1 when the id was a control command (101..271 with a row), else 0.
  plat::LRESULT OnControlCommand(std::uint32_t id) override;
  void RedrawEndTurnButton() override;
  void ResetGotoSlots() override;
  void RedrawBackground() override;
  void RedrawDataPanel() override;

  // Cursors: a `CursorKind` in the local guild's colour (16-bit display only).
  void SetCursorSet(std::uint32_t kind) override;
  // Goto bar.
  void SetGotoSlot(int column, std::uint16_t kind, std::uint32_t id, int redraw);
  void DrawGotoSlotLabel(int column, CGUnit* unit, int inverted);
  // The object that stands for the selection: the only one, or of several the
  // first not in the goto table (else the first); false when none is selected.
  bool GetSingleSelection(std::uint16_t* kind, std::uint32_t* id);

  // Control panel.
  void SelectInfoPanel(std::uint32_t id, int redraw);
  void UpdateSwitchViewButton(std::uint32_t id);
  void ClearControlArea();
  void HideControlButtons();
  // Copies a view button's face from the composition surface into its own
  // window: the flush reaches only the framework's windows. Nothing while the
  // flush is held or the button is hidden.
  static void ShowInButtonWindow(const CImageButton& button);
  // Draws the info button again over `button` when they overlap: it sits on
  // the corners of its neighbours, whoever draws them.
  static void KeepInfoButtonOver(const CImageButton& button);
  // The button of a control id, or null.
  static CImageButton* ControlButton(std::uint32_t id);

  // Later parts of the screen, reached from here (status line, info panel,
  // turn lamps, chat light, frame animations, voices, help, order menu).
  // A line replaces the one shown, except the save's notice ("Game saved"),
  // which keeps what it covers to give it back in this view.
  void SetStatusText(const char* text, int displayTime) override;
  // One step of the status line's time; true when the line shown changed (it
  // went, or the save's notice went and what it covered in this view came back).
  bool CountDownStatusLine();
  // A new view, subject, turn or game: the line covered belongs to what went.
  static void ForgetCoveredStatusLine();
  void ToggleInfoPanel();
  void SetInfoPanelVisible(int visible);
  void EnterReplayMode();
  // A guild voice, message 1..38: 1 when one was started.
  int PlayVoice(int message);
  // One step of the frame animations.
  void AnimateFrame(std::uint32_t elapsedMs);
  // The lamp frame's two pictures in turn: 1 when drawn.
  int ShowLampFrame4();
  int ShowLampFrame8();
  void DrawTurnLamps() override;
  void ResetTurnLamps() override;
  void SetChatLight(int on, int force);
  void SetTurnLampCount(std::uint16_t count);
  void OnTurnLampPacket(std::span<const std::uint8_t> packet);
  // The framework's block of a saved game, before the views' own blocks.
  static void SaveSharedState(plat::FILE* file);
  static void LoadSharedState(plat::FILE* file);
  void ShowHelpTopic(std::uint32_t topic, int x, int y);
  // Order menus. Flags: 1 goto items, 2 asteroid items, 4 unit items, 8
  // asteroid items of the terrain view. 1 when the menu was shown; 0 when the
  // unit was stunned, or missing with flags 4 alone.
  int ShowOrderMenu(int flags, std::uint32_t id, int x, int y);
  void AddGotoMenuItems(int x, int y);
  void AddUnitOrderItems(CGUnit* unit, int x, int y);
  void AddAsteroidMenuItems(CGAsteroid* asteroid, std::uint32_t id, int y);
  // Orders on a picked object (kind, id) for every selected own unit (insert
  // mode 1, or 2 appended with `append` or Ctrl): nonzero when the last order
  // given was accepted, 0 also for an empty selection or a vanished unit.
  int OrderMoveToLocation(std::uint32_t type, int kind, std::uint32_t id, int append);
  // Searches goto slots start..9 of the current group: 1 and the slot number
  // when one holds (kind, id), else 0.
  int FindGotoSlot(int kind, std::uint32_t id, int* slot, int start);
  // Build ATVs on the menu's unit with the counts the player chooses.
  void OrderConstructAtvs();
  // Offers the votes of an asteroid for sale at the prices the player sets.
  void OfferAsteroidVotes(std::uint16_t asteroid);
  void RunInGameOptions();
  void RunInGameSettings();

 protected:
  // The popup menu goes (and the cursor follows the mode again).
  void ClosePopupMenu();
  // The END TURN button shows pressed exactly while END TURN was given this turn.
  void ShowEndTurnState();

 private:
  // The shared state's places and objects of a game start empty.
  static void ForgetEarlierGame();
  void CreateControlPanel();
  void DrawGotoColumn(int column, plat::HMODULE asteroidModule);
  void FillEmptyGotoSlot(int x);
};
