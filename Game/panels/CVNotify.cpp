// The notification panel: its pictures and buttons, the six lines, scrolling,
// selection, filters and the panel's part of the saved view block.
#include "Game/panels/CVNotify.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GNotify.h"
#include "Game/panels/NotifyLineFont.h"
#include "Game/panels/PanelFrame.h"
#include "media/CDDraw.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/gdi/text.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr DWORD kBlackKey = 0;
constexpr int kCategoryHelp[] = {203, 205, 206, 207, 204, 208, 209};
constexpr DWORD kScrollToTopPauseMs = 500;
constexpr DWORD kScrollToTopStepMs = 25;
// Where a line's shadow starts; the line itself is one pixel up and left.
constexpr int kNotifyShadowX = 35;

// One of the panel's buttons as it is made: control id, tooltip text ID,
// place, help topic and pictures (guild art unless `plain`).
struct NotifyButton {
  std::uint32_t id;
  const char* tooltip;
  int x, y, width, height;
  DWORD help;
  const char* normal;
  const char* pressed;
  const char* disabled;
  bool plain;
};

constexpr NotifyButton kSideButtons[] = {
    {control::kSingleKind, "SNGLEMSG", 6, 496, 16, 24, 261, "msgoneu.ima", "msgoned.ima", "msgoneg.ima", false},
    {control::kShowAll, "SHOWALLM", 6, 520, 16, 72, 262, "msgallu.ima", "msgalld.ima", "msgallg.ima", false},
    {control::kScrollUp, "SCROLLUP", 600, 496, 16, 48, 263, "upnotup.ima", "upnotdn.ima", nullptr, false},
    {control::kScrollDown, "SCROLLDN", 600, 544, 16, 48, 264, "dnnotup.ima", "dnnotdn.ima", nullptr, false},
};

constexpr NotifyButton kFilterButtons[] = {
    {control::kFilterUnits, "FILTER_0", 616, 496, 16, 16, 265, "redfilt.ima", "redfiltd.ima", nullptr, true},
    {control::kFilterTrade, "FILTER_1", 616, 512, 16, 16, 266, "grnfilt.ima", "grnfiltd.ima", nullptr, true},
    {control::kFilterDiplomacy, "FILTER_2", 616, 528, 16, 16, 267, "blufilt.ima", "blufiltd.ima", nullptr, true},
    {control::kFilterGame, "FILTER_3", 616, 544, 16, 16, 268, "yelfilt.ima", "yelfiltd.ima", nullptr, true},
    {control::kFilterChat, "FILTER_4", 616, 560, 16, 16, 269, "cynfilt.ima", "cynfiltd.ima", nullptr, true},
    {control::kFilterVotes, "FILTER_5", 616, 576, 16, 16, 270, "magfilt.ima", "magfiltd.ima", nullptr, true},
};

std::string ArtPath(bool plain, const char* name) {
  const char* dir = plain ? g_instData.GetArtPath() : g_instData.GetGuildPath(LocalGuild());
  return std::string(dir ? dir : "") + name;
}

HMODULE ArtModule(bool plain) {
  if (!g_gameData) return nullptr;
  return plain ? g_gameData->GetImageModule() : g_gameData->GetGuildModule(LocalGuild());
}

CImageButton* MakeButton(const NotifyButton& entry, CDDraw* display, HWND window, HINSTANCE instance, HWND tooltip) {
  char tip[256] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(entry.tooltip, tip, sizeof tip);
  auto* button = new CImageButton();
  button->Create(display, window, instance, tooltip, tip, static_cast<int>(entry.id), entry.x, entry.y, entry.width,
                 entry.height, kBlackKey, entry.help, ArtModule(entry.plain));
  const std::string normal = ArtPath(entry.plain, entry.normal);
  const std::string pressed = ArtPath(entry.plain, entry.pressed);
  button->SetImages(normal.c_str(), pressed.c_str());
  if (entry.disabled) button->SetDisabledImage(ArtPath(entry.plain, entry.disabled).c_str());
  return button;
}

void DestroyButton(CImageButton*& button) {
  if (!button) return;
  HWND w = button->window;
  delete button;
  button = nullptr;
  if (w) DestroyWindow(w);
}

CSprite* LoadPicture(CDDraw* display, const char* name) {
  const std::string path = ArtPath(false, name);
  return new CSprite(display, kBlackKey, ArtModule(false), path.c_str(), 0, 0, 0);
}

}  // namespace

CGNotificationList* CurrentNotificationList::get() const {
  return g_gameData ? g_gameData->notifications.get() : nullptr;
}

CVNotify::CVNotify(CDDraw* display, CSprite* screen_, HWND window_, HINSTANCE instance_, RECT* dirtyRect_, HWND tooltip,
                   std::uint16_t localChapter_)
    : owner(display),
      instance(instance_),
      window(window_),
      screen(screen_),
      dirtyRect(dirtyRect_),
      localChapter(localChapter_) {
  for (LineSlot& slot : lines) slot = {-1, 0};
  if (list) list->Clear(kAllChapters);
  CImageButton** side[] = {&singleTypeButton, &showAllButton, &scrollUpButton, &scrollDownButton};
  for (std::size_t i = 0; i < std::size(kSideButtons); ++i)
    *side[i] = MakeButton(kSideButtons[i], owner, window, instance, tooltip);
  for (std::size_t k = 0; k < std::size(kFilterButtons); ++k)
    filterButtons[k] = MakeButton(kFilterButtons[k], owner, window, instance, tooltip);
  if (list) {
    std::fill(std::begin(list->categoryFilters), std::end(list->categoryFilters), 0u);
    for (auto& row : list->codeFilters) std::fill(std::begin(row), std::end(row), 0u);
    list->showAll = 0;
  }
  background = LoadPicture(owner, "notbackg.ima");
  background->x = kNotifyPanelRect.left;
  background->y = kNotifyPanelRect.top;
  highlight = LoadPicture(owner, "notfaded.ima");
  filterMark = LoadPicture(owner, "notfilt.ima");
  UpdateShowAllButton();
  shown = 1;
}

CVNotify::~CVNotify() {
  delete background;
  delete highlight;
  delete filterMark;
  for (CImageButton*& b : filterButtons) DestroyButton(b);
  DestroyButton(singleTypeButton);
  DestroyButton(showAllButton);
  DestroyButton(scrollUpButton);
  DestroyButton(scrollDownButton);
}

void CVNotify::AddDirty(const RECT& r) {
  if (!dirtyRect) return;
  RECT& d = *dirtyRect;
  if (d.right <= d.left || d.bottom <= d.top) {
    d = r;
    return;
  }
  d = {std::min(d.left, r.left), std::min(d.top, r.top), std::max(d.right, r.right), std::max(d.bottom, r.bottom)};
}

void CVNotify::RepaintButton(CImageButton* button) {
  if (!button || !button->sprite || !screen) return;
  AddDirty({button->x, button->y, button->x + button->width, button->y + button->height});
  button->sprite->BltToSurface(screen, button->x, button->y, nullptr);
}

void CVNotify::UpdateShowAllButton() {
  if (!showAllButton) return;
  showAllButton->SetDisabled(list && list->HasFilteredEntries() ? 0 : 1);
}

void CVNotify::ResetFilters() {
  AddDirty(kNotifyPanelRect);
  if (list) {
    std::fill(std::begin(list->categoryFilters), std::end(list->categoryFilters), 0u);
    for (auto& row : list->codeFilters) std::fill(std::begin(row), std::end(row), 0u);
    list->showAll = 0;
  }
  UpdateShowAllButton();
  RepaintButton(showAllButton);
  Show(1);
}

void CVNotify::ResetLines() {
  if (!shown) return;
  for (LineSlot& slot : lines)
    if (slot.entry >= 0) slot = {-1, 0};
  scrollOffset = 0;
  Refresh();
  for (CImageButton* b : filterButtons) RepaintButton(b);
}

int CVNotify::Show(int flag) {
  const std::uint32_t want = flag ? 1 : 0;
  if (shown == want) return 0;
  shown = want;
  const int how = want ? SW_SHOW : SW_HIDE;
  for (CImageButton* b : filterButtons)
    if (b) ShowWindow(b->window, how);
  for (CImageButton* b : {singleTypeButton, showAllButton, scrollUpButton, scrollDownButton})
    if (b) ShowWindow(b->window, how);
  return 1;
}

int CVNotify::Refresh() {
  if (!shown) return 1;
  const int selectedEntry = list ? list->FindVisible(static_cast<int>(selected), localChapter) : -1;
  if (singleTypeButton) {
    singleTypeButton->SetDisabled(selectedEntry < 0 ? 1 : 0);
    RepaintButton(singleTypeButton);
  }
  AddDirty(kNotifyPanelRect);
  if (background && screen) background->BltToSurface(screen, kNotifyPanelRect.left, kNotifyPanelRect.top, nullptr);
  const std::int64_t band = static_cast<std::int64_t>(selected) - scrollOffset;
  if (selectedEntry >= 0 && band >= 0 && band < kNotifyLines && highlight && screen) {
    const int j = static_cast<int>(band);
    const RECT source{0, kNotifyLineHeight * j, 579, kNotifyLineHeight * j + kNotifyLineHeight};
    highlight->BltToSurface(screen, kNotifyPanelRect.left, kNotifyPanelRect.top + kNotifyLineHeight * j, &source);
  }
  for (int n = 0; n < kNotifyLines; ++n) {
    const int entry = list ? list->FindVisible(scrollOffset + n, localChapter) : -1;
    if (entry < 0) {
      lines[n] = {-1, 0};
      continue;
    }
    DrawLine(entry, n);
    lines[n] = {static_cast<std::int16_t>(entry), list->IsRead(entry)};
  }
  PanelFrame().FlushScreen();
  return 1;
}

void CVNotify::DrawLine(int entry, int line) {
  if (!list || !screen) return;
  NotifyLineText shownText = FormatEntry(entry);
  if (shownText.text.size() > kNotifyLineChars) shownText.text.resize(kNotifyLineChars);
  if (list->IsFiltered(entry) && filterMark)
    filterMark->BltToSurface(screen, 23, 498 + kNotifyLineHeight * line, nullptr);
  HDC dc = screen->GetDC();
  if (!dc) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_BOTTOM);
  // A long line is written narrower, and never past the panel's edge, short
  // of the scroll buttons.
  const UINT count = static_cast<UINT>(shownText.text.size());
  const NotifyLineFont face(dc, shownText.text, kNotifyPanelRect.right - kNotifyShadowX);
  SetTextColor(dc, shownText.shadow);
  ExtTextOut(dc, kNotifyShadowX, 512 + kNotifyLineHeight * line, ETO_CLIPPED, &kNotifyPanelRect, shownText.text.c_str(),
             count, nullptr);
  SetTextColor(dc, shownText.colour);
  ExtTextOut(dc, 34, 511 + kNotifyLineHeight * line, ETO_CLIPPED, &kNotifyPanelRect, shownText.text.c_str(), count,
             nullptr);
  screen->ReleaseDC(dc);
}

// The throttle runs on the program's millisecond clock: the time of day's
// seconds and milliseconds would wrap every minute and hold scrolling back.
void CVNotify::ScrollOneLine(int down, int forced) {
  const DWORD now = timeGetTime();
  if (!forced && scrolledOnce && now - lastScrollTime < kNotifyScrollThrottleMs) return;
  lastScrollTime = now;
  scrolledOnce = true;
  if (!down) {
    if (scrollOffset > 0) {
      --scrollOffset;
      Refresh();
    }
    return;
  }
  // Only the local chapter's entries are lines: scroll by what the panel can show.
  if (list && list->FindVisible(scrollOffset + kNotifyLines, localChapter) >= 0) {
    ++scrollOffset;
    Refresh();
  }
}

void CVNotify::ScrollToTop() {
  if (scrollOffset > 0) {
    Sleep(kScrollToTopPauseMs);
    while (scrollOffset > 0) {
      Sleep(kScrollToTopStepMs);
      --scrollOffset;
      Refresh();
    }
  }
  Refresh();
}

int CVNotify::EntryAtLine(int y) const {
  if (!list) return -1;
  const int line = (y - kNotifyPanelRect.top) / kNotifyLineHeight;
  const int position = static_cast<std::uint16_t>(scrollOffset + line);
  return list->FindVisible(position, localChapter);
}

int CVNotify::OnLButtonDown(int /*x*/, int y, WPARAM /*keys*/) {
  if (EntryAtLine(y) < 0) return 1;
  selected = static_cast<std::uint16_t>(scrollOffset + (y - kNotifyPanelRect.top) / kNotifyLineHeight);
  Refresh();
  return 1;
}

int CVNotify::OnLButtonDblClk(int /*x*/, int y) {
  ActivateLine((y - kNotifyPanelRect.top) / kNotifyLineHeight);
  return 1;
}

int CVNotify::OnRButtonDown(int /*x*/, int y, WPARAM /*keys*/) {
  const int entry = EntryAtLine(y);
  Notification* n = list ? list->GetEntry(entry) : nullptr;
  if (!n) return 0;
  if (GetKeyState(VK_MENU) & 0x8000) {
    const int topic = n->category <= 6 ? kCategoryHelp[n->category] : kCategoryHelp[0];
    PanelFrame().ShowHelpTopic(static_cast<std::uint32_t>(topic), 0, 0);
    return 1;
  }
  n->read = n->read ? 0 : 1;
  Refresh();
  return 1;
}

int CVNotify::OnMouseMove(WPARAM /*keys*/, int y) {
  return ShowRecordContext((y - kNotifyPanelRect.top) / kNotifyLineHeight);
}

int CVNotify::OnMouseWheel(WPARAM wheel) {
  ScrollOneLine(GET_WHEEL_DELTA_WPARAM(wheel) <= 0 ? 1 : 0, 0);
  return 1;
}

CImageButton* CVNotify::GetControlButton(std::uint32_t id) {
  if (id >= control::kFirstFilter && id <= control::kLastFilter) return filterButtons[id - control::kFirstFilter];
  switch (id) {
    case control::kScrollUp:
      return scrollUpButton;
    case control::kScrollDown:
      return scrollDownButton;
    case control::kSingleKind:
      return singleTypeButton;
    case control::kShowAll:
      return showAllButton;
    default:
      return nullptr;
  }
}

void CVNotify::ToggleCategoryFilter(std::uint32_t id) {
  if (id < control::kFirstFilter || id > control::kLastFilter) return;
  const std::uint32_t k = id - control::kFirstFilter;
  if (filterButtons[k]) filterButtons[k]->Toggle();
  if (list) list->categoryFilters[k] = list->categoryFilters[k] ? 0 : 1;
  ResetLines();
}

void CVNotify::ToggleShowAll() {
  if (showAllButton) showAllButton->Toggle();
  if (list) list->showAll = list->showAll ? 0 : 1;
  UpdateShowAllButton();
  RepaintButton(showAllButton);
  ResetLines();
}

void CVNotify::FilterSelectedKind() {
  const int entry = list ? list->FindVisible(static_cast<int>(selected), localChapter) : -1;
  if (entry >= 0) list->ToggleCodeFilter(entry);
  UpdateShowAllButton();
  RepaintButton(showAllButton);
  Refresh();
}

int CVNotify::Save(plat::FILE* file) {
  BlockWriter w(file);
  return Save(w) ? 1 : 0;
}

int CVNotify::Load(plat::FILE* file) {
  BlockReader r(file);
  return Load(r) == LoadStatus::kOk ? 1 : 0;
}

bool CVNotify::Save(BlockWriter& w) const {
  w.U32(shown);
  return w.Ok() && list && list->Save(w);
}

// A filter button shows pressed exactly while its filter is set.
static void ShowToggled(CImageButton* button, bool on) {
  if (button && (button->normalShown == 0) != on) button->Toggle();
}

LoadStatus CVNotify::Load(BlockReader& r) {
  const std::uint32_t flag = r.U32();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (!list) return LoadStatus::kTruncated;
  const LoadStatus status = list->Load(r);
  if (status != LoadStatus::kOk) return status;
  shown = flag ? 1 : 0;
  ShowToggled(showAllButton, list->showAll != 0);
  for (int k = 0; k < kNotifyCategories; ++k) ShowToggled(filterButtons[k], list->categoryFilters[k] != 0);
  UpdateShowAllButton();
  ResetLines();
  return LoadStatus::kOk;
}
