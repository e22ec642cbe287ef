#pragma once
// The notification panel under the viewport: six lines of the local
// chapter's notifications from the game's list, with scrolling, a selected
// line, category and code filters, read marks, a double-click action and a
// hover object per line. Built by the view framework with the shared screen.
//
// Positions count the entries the list shows the local chapter
// (CGNotificationList::FindVisible); an entry index is the entry's place in
// the list itself.
//
// Game thread only.

#include <cstdint>
#include <string>

#include "Game/base/GBlockStream.h"
#include "platform/core/files.h"
#include "platform/core/types.h"

class CDDraw;
class CImageButton;
class CSprite;
class CGNotificationList;
struct Notification;

constexpr int kNotifyLines = 6;
constexpr int kNotifyLineHeight = 16;
// The panel's rectangle on the screen (right and bottom exclusive).
constexpr plat::RECT kNotifyPanelRect{22, 496, 601, 592};
// A scroll request this soon after the last one is ignored unless forced.
constexpr plat::DWORD kNotifyScrollThrottleMs = 100;
// The longest line drawn.
constexpr std::size_t kNotifyLineChars = 255;

// What a line shows: its text and colours (COLORREF).
struct NotifyLineText {
  std::string text;
  plat::COLORREF colour = 0;
  plat::COLORREF shadow = 0;
};

// The current game's notification list, looked up at every use: a restart or
// a load replaces the game data while the panel lives on, so a kept pointer
// would read a list already freed.
struct CurrentNotificationList {
  CGNotificationList* get() const;
  CGNotificationList* operator->() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }
};

class CVNotify {
 public:
  // Clears every entry of the game's list, makes the ten buttons and loads
  // the three pictures; the panel is shown.
  CVNotify(CDDraw* display, CSprite* screen, plat::HWND window, plat::HINSTANCE instance, plat::RECT* dirtyRect,
           plat::HWND tooltip, std::uint16_t localChapter);
  ~CVNotify();
  CVNotify(const CVNotify&) = delete;
  CVNotify& operator=(const CVNotify&) = delete;

  // Game start: no filters, no show-all; shows the panel.
  void ResetFilters();
  // Empties the lines and goes back to the first entry (only while shown).
  void ResetLines();
  // 0 when already so; else shows or hides the panel's buttons and returns 1.
  int Show(int flag);
  // Draws the six lines and flushes; 1 (also while hidden, when nothing is drawn).
  int Refresh();
  void DrawLine(int entry, int line);
  // One line up (down 0) or down; unforced requests within the throttle time
  // of the last one are ignored.
  void ScrollOneLine(int down, int forced);
  // Back to the first line, a line at a time after a pause.
  void ScrollToTop();

  // Input in screen coordinates; the results say whether it was used.
  int OnLButtonDown(int x, int y, plat::WPARAM keys);
  int OnLButtonDblClk(int x, int y);
  int OnRButtonDown(int x, int y, plat::WPARAM keys);
  int OnMouseMove(plat::WPARAM keys, int y);
  // The wheel word: a delta (high word) of 0 or below scrolls down.
  int OnMouseWheel(plat::WPARAM wheel);

  // The filter button of control id 105..110, the single-type filter (252),
  // show-all (253), scroll up (250) and down (251); null for another id.
  CImageButton* GetControlButton(std::uint32_t id);
  void ToggleCategoryFilter(std::uint32_t id);
  void ToggleShowAll();
  void FilterSelectedKind();

  // The panel's part of the saved view block: the shown flag, then the list.
  int Save(plat::FILE* file);
  int Load(plat::FILE* file);
  bool Save(BlockWriter& w) const;
  // Refuses a damaged block with the list as it was; the buttons then show
  // the filters loaded.
  LoadStatus Load(BlockReader& r);

  // Texts and actions per category (CVNotifyTexts.cpp, CVNotifyActions.cpp).
  // The line of an entry: its text (empty for an unknown category, a code
  // without a text or a sub-value without a row) and colours.
  NotifyLineText FormatEntry(int entry) const;
  NotifyLineText FormatUnitEvent(int entry) const;
  NotifyLineText FormatEconomyEvent(int entry) const;
  NotifyLineText FormatDiplomacyEvent(int entry) const;
  NotifyLineText FormatGameEvent(int entry) const;
  NotifyLineText FormatChatEvent(int entry) const;
  NotifyLineText FormatVoteEvent(int entry) const;
  // The double-click action of the line's entry; marks the entry read and
  // refreshes when the action says so.
  void ActivateLine(int line);
  // Actions of one entry per category: nonzero when the line is to be marked read.
  int ActOnUnitEvent(const Notification& n);
  int ActOnEconomyEvent(const Notification& n);
  int ActOnDiplomacyEvent(const Notification& n);
  int ActOnGameEvent(const Notification& n);
  int ActOnChatEvent(const Notification& n);
  int ActOnVoteEvent(const Notification& n);
  // While a current view exists, it shows the object of the line's entry;
  // 1 when an object was shown.
  int ShowRecordContext(int line);

  CDDraw* owner;
  plat::HINSTANCE instance;
  plat::HWND window;
  CSprite* screen;
  plat::RECT* dirtyRect;
  CSprite* background = nullptr;
  CSprite* highlight = nullptr;
  CSprite* filterMark = nullptr;
  std::uint32_t shown = 0;
  CurrentNotificationList list;
  CImageButton* filterButtons[6] = {};
  CImageButton* singleTypeButton = nullptr;
  CImageButton* showAllButton = nullptr;
  CImageButton* scrollUpButton = nullptr;
  CImageButton* scrollDownButton = nullptr;
  struct LineSlot {
    std::int16_t entry = -2;
    std::uint32_t read = 0;
  };
  LineSlot lines[kNotifyLines];
  std::int32_t scrollOffset = 0;
  std::uint32_t selected = 0;
  // Program milliseconds of the last scroll; the first request always scrolls.
  plat::DWORD lastScrollTime = 0;
  bool scrolledOnce = false;
  std::uint16_t localChapter;

 private:
  void AddDirty(const plat::RECT& rect);
  // The show-all button is enabled only while some entry is filtered.
  void UpdateShowAllButton();
  void RepaintButton(CImageButton* button);
  int EntryAtLine(int y) const;
};

// One shared flag of the collision lines: which of the two asteroids the
// next double click shows (0 the second parameter's).
extern std::uint32_t g_collisionToggle;
