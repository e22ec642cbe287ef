#pragma once
// The data panel at the right of the game screen: a 98 x 94 picture at
// (668, 101) with a caption line at its top and bottom, and 19 text rows of
// 13 pixels from y 206, between x 656 and 779. Views and info panels fill it
// with the read-outs below (units, hulls, modules, asteroids, zones, stars,
// guilds, templates); each row may carry a click action. Built by the view
// framework with the shared screen; all drawing goes into that surface and
// grows its dirty rectangle. Game thread only.
//
// The read-outs live by subject: CVData.cpp (frame, rows, picture, template
// lists), CVDataUnit.cpp, CVDataModule.cpp (hulls and modules) and
// CVDataPlaces.cpp (asteroids, zones, stars, guilds).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Game/panels/DataPanelHost.h"
#include "platform/core/types.h"
#include "platform/gdi/objects.h"

class CDDraw;
class CSprite;
class CGUnit;
class CGAsteroid;
class CGZone;
struct CGHull;

// What a click on a row (or on the picture) does.
enum DataPanelRowAction : std::uint8_t {
  ROW_NOTHING = 0,
  ROW_VIEW_COMMAND = 1,  // the view's data-panel command (row, extra)
  ROW_EDIT_NAME = 2,     // rename the shown unit
  ROW_SELECT_GUILD = 3,
  ROW_SELECT_CHAPTER = 4,
  ROW_NEXT_PAGE = 5,
  ROW_PREVIOUS_PAGE = 6,
};

// Row text flags: centred, right-aligned, half a row lower.
constexpr std::uint8_t kRowCentre = 1;
constexpr std::uint8_t kRowRight = 2;
constexpr std::uint8_t kRowHalfDown = 8;

constexpr int kDataRows = 19;
constexpr int kPictureAction = 19;  // the action entry of the picture
constexpr int kDataRowTop = 206;
constexpr int kDataRowHeight = 13;
constexpr int kDataLeft = 656;
constexpr int kDataRight = 779;
// The backdrop's right edge: a text running past its row is seen up to here.
constexpr int kDataEdge = 785;
// The least space between two texts of a row.
constexpr int kTextGap = 2;
constexpr plat::RECT kDataPictureRect{668, 101, 766, 195};
constexpr std::uint32_t kNoZoneKey = 255;

// One text the rows show, as written since the last clear: what the tests
// read back as the read-outs' figures.
struct DataPanelText {
  int row;     // -1 for a text placed by offset or a caption
  int column;  // pixels from x 656
  std::string text;
  plat::COLORREF colour;
  std::uint8_t flags;
};

// The data panel's unit id while it shows no unit.
constexpr std::uint32_t kNoShownUnit = 0xFFFFFFFFu;

class CVData {
 public:
  // Stores the screen state and loads the backdrop ("datafil.ima"), the empty
  // picture ("dpicfil.ima"; both the local guild's) and the picture mask
  // ("98x94msk.ima", shared); a sprite that cannot be made stays null. Row
  // actions, flushes and the rename prompt go to `host`, which outlives the
  // panel.
  CVData(plat::HFONT font, CSprite* screen, plat::RECT* dirty, CDDraw* owner, plat::HWND window,
         plat::HINSTANCE instance, IDataPanelHost& host = DefaultDataPanelHost());
  ~CVData();
  CVData(const CVData&) = delete;
  CVData& operator=(const CVData&) = delete;

  // Texts. Rows above 18, columns of 123 and more and offsets outside
  // 0..790 x 0..440 are ignored.
  void AddRow(std::uint16_t row, const char* text, plat::COLORREF colour, std::uint8_t flags);
  void AddRowText(std::uint16_t row, std::uint8_t column, const char* text, plat::COLORREF colour, std::uint8_t flags);
  void DrawTextAt(int x, int y, const char* text, plat::COLORREF colour, std::uint8_t flags);
  // Centred in the picture's top (nonzero) or bottom caption line; a text
  // wider than the picture takes the line inside it too.
  void DrawCaption(const char* text, plat::COLORREF colour, int top);
  void DrawRowLine(int row, plat::COLORREF colour);

  // Empties the rows and their actions; with redrawPicture, the picture too
  // (the fixed picture, else the empty one, which ends the picture's action).
  void Clear(int redrawPicture);
  // Replaces the fixed picture (null name: none) and shows it (none: the
  // empty picture).
  void SetPicture(const char* fileName, int colourKeyed);
  // Draws a picture framed by the mask; 0 when it is the one already shown,
  // else the length of its remembered name.
  int DrawPicture(int flag, CSprite* sprite);
  // Forgets the picture shown, so that the next DrawPicture draws.
  void ForgetPicture() { pictureName[0] = '\0'; }
  void ShowLine(const char* text, int clear, std::uint16_t row, plat::COLORREF colour);
  void ShowText(const char* text, std::uint8_t column, int clear, std::uint16_t row, plat::COLORREF colour);

  // Row under screen y, -1 for none.
  static int RowFromY(std::uint16_t y);
  // A click at screen (x, y); 1 when the name dialog ran, else 0.
  int OnClick(int x, int y, std::uint32_t extra);
  // The mouse over a template row: its class picture; 1 when handled or the
  // slot is empty, 0 otherwise.
  int SetUnitPicture(int y);
  // Steps the unit page (which 1) or the zone mode (which 2) forward or back.
  void TurnPage(int forward, int which);
  // The local chapter's 15 template slots, coloured by what the constructor
  // unit can afford; returns 0.
  std::uint8_t ShowTemplateList(CGUnit* constructor, int option, CGUnit* target);
  void ShowDesignTemplateList(int scanMode, int highlighted);

  // Units (CVDataUnit.cpp). A unit is read from the summary page when it is
  // another chapter's, or while nothing is selected (no next-page row then to
  // leave another page by); an own unit read while something is selected
  // stays on the page last shown, so that one page compares across own ships.
  void ShowUnitData(CGUnit* unit, std::uint16_t context, int noPicture);
  // An own unit's read-out, another chapter's short status.
  void ShowUnitStatus(CGUnit* unit);
  // The same, an own unit's from `page` (0 summary, 1 damage, 2 modules,
  // 3 orders): the page the player asked for.
  void ShowUnitStatus(CGUnit* unit, std::uint8_t page);
  // Renames the shown unit; 1 when the dialog ran.
  int EditShipName();
  // The unit shown, if it still exists in the current game data.
  CGUnit* ShownUnit() const;
  // The power line of a unit after `change`; 1 when its power runs out.
  int ShowPowerState(int row, char* buffer, std::uint16_t turns, CGUnit* unit, std::int16_t change,
                     plat::COLORREF colour);

  // Hulls and modules (CVDataModule.cpp).
  void ShowHullCosts(const CGHull* hull);
  void ShowModuleData(int mode, int index, int guild);

  // Places (CVDataPlaces.cpp).
  void ShowAsteroidData(std::uint16_t number, int noEta);
  // Turns until the selection reaches the target (kind 2: a unit id, else an
  // asteroid); 0xFFFF when none can.
  std::uint16_t GetSelectionEta(int targetKind, std::uint32_t target, std::int32_t* failure, std::int32_t* powerNeed);
  // Wraps the failure's text over at most `rows` rows from `row`; the rows written.
  int ShowMoveFailure(int row, char* buffer, std::int32_t failure, int rows = kDataRows);
  void ShowZoneInfo(std::uint32_t zoneNumber, std::uint32_t zone, CGAsteroid* asteroid, CGUnit* unit,
                    CSprite* const icons[4], int force);
  void ShowStarData(std::uint16_t number);
  void ShowGuildList();
  int ShowGuildMembers(int guild);

  // What the rows and captions show since the last clear.
  std::vector<DataPanelText> shown;

  plat::HFONT font;
  CSprite* screen;
  CSprite* background = nullptr;
  CSprite* emptyPicture = nullptr;
  CSprite* fixedPicture = nullptr;
  CSprite* mask = nullptr;
  CSprite* compose = nullptr;
  plat::RECT* dirty;
  CDDraw* owner;
  plat::HWND window;
  plat::HINSTANCE instance;
  std::array<std::uint8_t, 20> rowAction{};
  // The shown unit by id: it may die, or the game data be replaced, while shown.
  std::uint32_t unitId = kNoShownUnit;
  std::uint16_t unitContext = 0;
  std::uint8_t unitPage = 0;
  std::uint32_t zoneKey = kNoZoneKey;
  std::uint32_t zoneIndex = kNoZoneKey;
  std::uint8_t zoneMode = 0;
  std::uint32_t lastDirection = 1;
  char pictureName[256] = {};
  // The asteroid pictures' module ("asneex.dll"), opened by the first asteroid
  // read-out and kept until the panel goes: opening it each time cost about
  // nine tenths of a read-out.
  plat::HMODULE asteroidPictures = nullptr;

 private:
  IDataPanelHost& m_host;

  void DrawRowRect(plat::RECT rect, const char* text, plat::COLORREF colour, std::uint8_t flags, int row, int column);
  // The width of a text in the panel's font (0 without a screen).
  int TextWidth(const std::string& text) const;
  // The lines a text from `column` of a row takes, at most `rows` of them: one
  // that would run past the backdrop's edge breaks after its last word that
  // fits (a word wider than a whole row, after its last letter that fits) and
  // goes on in the following rows from `next`; a text that needs more than
  // `rows` ends its last line in "...".
  // A centred text (kRowCentre in `flags`) keeps to the row's own width.
  std::vector<std::string> WrapLines(const std::string& text, int column, int next, std::uint8_t flags = 0,
                                     int rows = kDataRows) const;
  // The same for lines `first` and then `next` pixels wide.
  std::vector<std::string> Wrap(const std::string& text, int first, int next, int rows) const;
  // Writes those lines from `row`; the number of rows written.
  int AddRowWrapped(int row, int column, const std::string& text, plat::COLORREF colour, int next,
                    std::uint8_t flags = 0, int rows = kDataRows);
  // Writes a value at `column` of a row whose label ends at `labelEnd` (x); a
  // value that would run past the row or into its label stands right-aligned
  // in the row instead.
  void AddRowValue(int row, int column, const std::string& text, plat::COLORREF colour, int labelEnd);
  void Flush();
  // The fixed picture, else the empty one (which ends the picture's action).
  void ShowOwnPicture();
  void DrawLine(int x1, int y1, int x2, int y2, plat::COLORREF colour, int width);
  // Draws a 98 x 94 picture file from a module (no colour key), then deletes it; false when it cannot be made.
  bool DrawPictureFile(const std::string& path, plat::HMODULE module, bool forget);
  // Copies a sprite to the screen at (x, y) and grows the dirty rectangle.
  void Blit(CSprite* sprite, int x, int y);
  // The unit's read-out on unitPage, whoever the unit is (page turns and renaming).
  void ShowUnitPages(CGUnit* unit, std::uint16_t context, int noPicture);
  void ShowForeignStatus(CGUnit* unit);
  void ShowUnitSummaryPage(CGUnit* unit, std::uint16_t context, plat::COLORREF colour);
  void ShowUnitDamagePage(CGUnit* unit, plat::COLORREF colour);
  void ShowUnitModulesPage(CGUnit* unit, plat::COLORREF colour);
  void ShowUnitOrdersPage(CGUnit* unit, plat::COLORREF colour);
  // Bars and names of the fitted slots from the `skip`-th on (at most ten), then life support and hull.
  void ShowSlotBars(CGUnit* unit, int skip, plat::COLORREF colour);
  void ShowUnitPicture(CGUnit* unit, plat::COLORREF colour);
  // The completion estimate of the first order at `row` (sameRow: the figure
  // beside the power line, else below it); the next free row.
  int ShowCompletion(CGUnit* unit, int row, int sameRow, plat::COLORREF colour);
  void ShowZoneReadout(std::uint32_t zoneNumber, std::uint32_t zone, CGAsteroid* asteroid, CGUnit* unit);
  void ShowAtvTechTable(CSprite* const icons[4]);
  void ShowFacilityReadout(std::uint32_t zoneNumber, std::uint32_t zone, CGAsteroid* asteroid, CSprite* const icons[4]);
  void ShowTemplateRows(int highlighted, CGUnit* constructor, int option, CGUnit* target, bool design);
};
