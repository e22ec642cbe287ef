// The shared game screen: built by the first view, freed by the first one
// destroyed; the composition surface, its dirty rectangle and flush, and the
// text and line drawing of the panels.
#include "Game/views/frame/CVGeneric.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <span>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/model/GChapter.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/GotoTips.h"
#include "Game/views/frame/ViewApplication.h"
#include "Game/views/frame/ViewTextCache.h"
#include "media/CDDraw.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"
#include "platform/user/window.h"

using namespace plat;

ScreenState& SharedScreen() {
  static ScreenState screen;
  return screen;
}

namespace {

constexpr RECT kWholeScreen{0, 0, kScreenWidth, kScreenHeight};
constexpr int kTextStripHeight = 20;
constexpr std::uint16_t kWelcomeCodes[] = {notify::kWelcome,           notify::kWelcomeSolarView,
                                           notify::kWelcomeGotoButton, notify::kWelcomeSurface,
                                           notify::kWelcomeDesign,     notify::kWelcomeGoodLuck};

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b);

// The notification panel's buttons: its six filters and its four side buttons.
constexpr std::uint32_t kNotifyButtonIds[] = {
    control::kFilterUnits, control::kFilterTrade, control::kFilterDiplomacy, control::kFilterGame, control::kFilterChat,
    control::kFilterVotes, control::kScrollUp,    control::kScrollDown,      control::kSingleKind, control::kShowAll};

// The display keeps the control buttons' windows out of the main window's
// copies: what lies under a shown button reaches the screen through the
// button's own window.
void ShowUnderControlButtons(const RECT& dirty) {
  HDC screen = nullptr;
  // The notification panel's buttons are windows of the same kind.
  std::array<CImageButton*, kControlButtonCount + 10> buttons{};
  std::copy(SharedScreen().controlButtons.begin(), SharedScreen().controlButtons.end(), buttons.begin());
  if (SharedScreen().notifyPanel) {
    std::size_t at = kControlButtonCount;
    for (std::uint32_t id : kNotifyButtonIds) buttons[at++] = SharedScreen().notifyPanel->GetControlButton(id);
  }
  for (CImageButton* button : buttons) {
    if (!button || !button->window || !IsWindowVisible(button->window)) continue;
    const RECT area{button->x, button->y, button->x + button->width, button->y + button->height};
    const RECT shown = Intersect(area, dirty);
    if (IsEmpty(shown)) continue;
    if (!screen && !(screen = SharedScreen().screenSprite->GetDC())) return;
    if (HDC dc = GetDC(button->window)) {
      BitBlt(dc, shown.left - area.left, shown.top - area.top, shown.right - shown.left, shown.bottom - shown.top,
             screen, shown.left, shown.top, SRCCOPY);
      ReleaseDC(button->window, dc);
    }
  }
  if (screen) SharedScreen().screenSprite->ReleaseDC(screen);
}

RECT Union(const RECT& a, const RECT& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

template <typename T>
void Release(T*& p) {
  delete p;
  p = nullptr;
}

void ReleaseFont(HFONT& font) {
  if (font) DeleteObject(font);
  font = nullptr;
}

// The pens of the viewport's lines, kept from line to line: a page draws a
// few colours many times, and a redraw then makes no heap call for them.
HPEN ViewportPen(COLORREF colour, int width) {
  struct Kept {
    COLORREF colour = 0;
    int width = 0;
    HPEN pen = nullptr;
  };
  static std::array<Kept, 8> kept;
  static std::size_t next = 0;
  for (const Kept& k : kept)
    if (k.pen && k.colour == colour && k.width == width) return k.pen;
  Kept& slot = kept[next];
  next = (next + 1) % kept.size();
  if (slot.pen) DeleteObject(slot.pen);
  slot = {colour, width, CreatePen(PS_SOLID, width, colour)};
  return slot.pen;
}

// Draws `text` (upper-cased on request) into `rect` of a sprite's DC.
int DrawTextOn(CSprite* sprite, const char* text, RECT rect, COLORREF colour, UINT format, HFONT font, int upperCase) {
  if (!sprite || !text) return 0;
  HDC dc = sprite->GetDC();
  if (!dc) return 0;
  // Kept from text to text: a redraw of a page makes no heap call for it.
  static std::string shown;
  shown.assign(text);
  if (upperCase)
    std::transform(shown.begin(), shown.end(), shown.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  const int height = DrawText(dc, shown.c_str(), -1, &rect, format);
  if (old) SelectObject(dc, old);
  sprite->ReleaseDC(dc);
  return height;
}

// Alt + right click on a button during a game: its help topic.
void ShowButtonHelp(CDDraw* display, HWND parent, HINSTANCE instance, DWORD topic, short x, short y, int /*flag*/) {
  ShowHelpTopic(display, parent, instance, topic, x, y);
}

bool TextRefused(int x, int y, int width, int bold) {
  return x >= kViewportWidth || y >= (bold ? 351 : 361) || x + width <= 0 || y <= 0;
}

bool LineRefused(int x1, int y1, int x2, int y2) {
  return x2 < 1 || y1 < 1 || y2 < 1 || y1 >= kViewportHeight || y2 >= kViewportHeight ||
         std::max(x1, 1) >= kViewportWidth;
}

// The viewport texts' rendered pixels, kept between frames: the labels of a 3D
// view are drawn again every frame, and copying their pixels costs a fraction
// of laying them out through the strip.
ViewTextCache g_viewTextCache;

// A 16-bit surface locked for the caller, or null bits.
struct LockedPixels {
  explicit LockedPixels(IDirectDrawSurface* s, DWORD flags) : surface(s) {
    if (surface && surface->Lock(nullptr, &desc, flags, nullptr) == DD_OK) {
      if (desc.ddpfPixelFormat.dwRGBBitCount == 16) bits = static_cast<std::uint8_t*>(desc.lpSurface);
      locked = true;
    }
  }
  ~LockedPixels() {
    if (locked) surface->Unlock(nullptr);
  }
  LockedPixels(const LockedPixels&) = delete;
  LockedPixels& operator=(const LockedPixels&) = delete;
  IDirectDrawSurface* surface;
  DDSURFACEDESC desc;
  bool locked = false;
  std::uint8_t* bits = nullptr;
};

// Copies kept runs to the screen as the strip's keyed blit would; false when
// the screen cannot be written directly (then the strip draws).
bool CopyTextRuns(std::span<const ViewTextCache::Run> runs, const RECT& source, LONG left, LONG top) {
  if (!SharedScreen().screenSprite) return false;
  LockedPixels screen(SharedScreen().screenSprite->surface, DDLOCK_WAIT | DDLOCK_WRITEONLY);
  if (!screen.bits) return false;
  DrawTextRuns(runs, source, screen.bits, screen.desc.lPitch, left, top);
  return true;
}

// Keeps what the strip now shows for `key` (drawn `height` high).
void KeepTextRuns(const ViewTextCache::Key& key, int height) {
  IDirectDrawSurface* strip = SharedScreen().textStripSprite->surface;
  DDCOLORKEY transparent;
  if (!strip || strip->GetColorKey(DDCKEY_SRCBLT, &transparent) != DD_OK ||
      transparent.dwColorSpaceLowValue != transparent.dwColorSpaceHighValue)
    return;
  LockedPixels pixels(strip, DDLOCK_WAIT | DDLOCK_READONLY);
  if (!pixels.bits) return;
  g_viewTextCache.Store(key, pixels.bits, pixels.desc.lPitch, key.width, kTextStripHeight,
                        static_cast<std::uint16_t>(transparent.dwColorSpaceLowValue), height);
}

}  // namespace

void AddDirtyRect(const RECT& rect) {
  SharedScreen().dirtyRect = IsEmpty(SharedScreen().dirtyRect) ? rect : Union(SharedScreen().dirtyRect, rect);
}

void DrawViewSprite(CSprite* sprite, LONG x, LONG y, const RECT* source) {
  if (!sprite || !SharedScreen().screenSprite) return;
  const LONG left = x == -1 ? sprite->x : x;
  const LONG top = y == -1 ? sprite->y : y;
  AddDirtyRect({left, top, left + static_cast<LONG>(sprite->width), top + static_cast<LONG>(sprite->height)});
  sprite->BltToSurface(SharedScreen().screenSprite, left, top, source);
}

void FlushScreen() {
  if (SharedScreen().flushSuspended || !SharedScreen().screenSprite) return;
  if (IsEmpty(SharedScreen().dirtyRect)) SharedScreen().dirtyRect = kWholeScreen;
  const bool panelShown = SharedScreen().infoPanelVisible && SharedScreen().infoPanel &&
                          SharedScreen().flushCopySprite &&
                          !IsEmpty(Intersect(SharedScreen().dirtyRect, kViewportRect));
  if (panelShown) {
    SharedScreen().screenSprite->BltToSurface(SharedScreen().flushCopySprite, 0, 0, &kViewportRect);
    const std::uint32_t guild = LocalGuild();
    SharedScreen().screenSprite->Fade(50, GetMediumColor(guild), &kViewportRect);
    SharedScreen().screenSprite->Fade(35, RGB(0, 0, 0), &kViewportRect);
    SharedScreen().infoPanel->Draw();
    RECT hot{};
    if (SharedScreen().infoPanel->GetHighlightRect(&hot))
      SharedScreen().screenSprite->Fade(50, RGB(255, 255, 255), &hot);
  }
  const RECT r = Intersect(SharedScreen().dirtyRect, kWholeScreen);
  if (!IsEmpty(r)) {
    ShowCursor(FALSE);
    SharedScreen().screenSprite->BltToPrimary(&r, &r);
    ShowUnderControlButtons(r);
    ShowCursor(TRUE);
  }
  if (panelShown)
    SharedScreen().flushCopySprite->BltToSurface(SharedScreen().screenSprite, kViewportRect.left, kViewportRect.top,
                                                 nullptr);
  SharedScreen().dirtyRect = {};
}

void FlushViewport() {
  if (SharedScreen().flushSuspended || !SharedScreen().screenSprite) return;
  ShowCursor(FALSE);
  SharedScreen().screenSprite->BltToPrimary(&kViewportRect, &kViewportRect);
  ShowCursor(TRUE);
}

void SuspendScreenFlush(int suspend) {
  if (!suspend) SharedScreen().dirtyRect = kWholeScreen;
  SharedScreen().flushSuspended = suspend ? 1 : 0;
}

bool ScreenFlushSuspended() { return SharedScreen().flushSuspended != 0; }

int DrawScreenText(const char* text, int x, int y, int width, COLORREF colour, UINT format, int bold, int upperCase) {
  if (TextRefused(x, y, width, bold)) return 0;
  const RECT rect{x + 29, y + 98, x + width + 29, kViewportRect.bottom};
  const int height = DrawTextOn(SharedScreen().screenSprite, text, rect, colour, format,
                                bold ? SharedScreen().boldFont : SharedScreen().angularFont, upperCase);
  AddDirtyRect({rect.left, rect.top, rect.right, std::min<LONG>(rect.top + height, rect.bottom)});
  return height;
}

int MeasureScreenText(const char* text, int bold) {
  if (!text || !SharedScreen().screenSprite) return 0;
  HDC dc = SharedScreen().screenSprite->GetDC();
  if (!dc) return 0;
  HFONT font = bold ? SharedScreen().boldFont : SharedScreen().angularFont;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE size{};
  const BOOL measured = GetTextExtentPoint32(dc, text, static_cast<int>(std::strlen(text)), &size);
  if (old) SelectObject(dc, old);
  SharedScreen().screenSprite->ReleaseDC(dc);
  return measured ? static_cast<int>(size.cx) : 0;
}

int DrawViewportText(const char* text, int x, int y, int width, COLORREF colour, UINT format, int bold, int upperCase) {
  if (TextRefused(x, y, width, bold) || !SharedScreen().textStripSprite) return 0;
  const int drawWidth = std::min(width, kViewportWidth);
  HFONT font = bold ? SharedScreen().boldFont : SharedScreen().angularFont;
  const RECT source{std::max(0, -x), 0, std::min(drawWidth, kViewportWidth - x),
                    std::min(kTextStripHeight, kViewportHeight - y)};
  const LONG left = std::max(x, 0) + kViewportRect.left;
  const LONG top = y + kViewportRect.top;
  const RECT dirty{left, top, left + source.right - source.left, top + source.bottom - source.top};
  const ViewTextCache::Key key{
      text ? std::string_view(text) : std::string_view(), colour, format, font, drawWidth, upperCase != 0};
  ViewTextCache::Found found;
  if (text && g_viewTextCache.Find(key, &found)) {
    if (IsEmpty(source)) return found.height;
    if (CopyTextRuns(found.runs, source, left, top)) {
      AddDirtyRect(dirty);
      return found.height;
    }
  }
  const RECT used{0, 0, SharedScreen().textStripWidth, kTextStripHeight};
  SharedScreen().textStripSprite->FillSurface(RGB(0, 0, 0), &used);
  const int height = DrawTextOn(SharedScreen().textStripSprite, text, {0, 0, drawWidth, kTextStripHeight}, colour,
                                format, font, upperCase);
  SharedScreen().textStripWidth = static_cast<std::uint16_t>(drawWidth);
  if (text) KeepTextRuns(key, height);
  if (IsEmpty(source)) return height;
  AddDirtyRect(dirty);
  SharedScreen().textStripSprite->BltToSurface(SharedScreen().screenSprite, left, top, &source);
  return height;
}

int DrawViewportLine(int x1, int y1, int x2, int y2, COLORREF colour, int penWidth) {
  if (LineRefused(x1, y1, x2, y2) || !SharedScreen().screenSprite) return 0;
  HDC dc = SharedScreen().screenSprite->GetDC();
  if (!dc) return 1;
  HGDIOBJ old = SelectObject(dc, ViewportPen(colour, penWidth));
  MoveToEx(dc, std::max(x1, 1) + 29, y1 + 98, nullptr);
  LineTo(dc, std::min(x2, kViewportWidth - 1) + 29, y2 + 98);
  SelectObject(dc, old);
  SharedScreen().screenSprite->ReleaseDC(dc);
  return 1;
}

int ShadeViewportRect(int left, int top, int right, int bottom, COLORREF colour, std::uint8_t percent) {
  if (LineRefused(left, top, right, bottom) || !SharedScreen().screenSprite) return 0;
  const RECT r{std::max(left, 1) + 29, top + 98, std::min(right, kViewportWidth - 1) + 29, bottom + 98};
  SharedScreen().screenSprite->Fade(percent, colour, &r);
  return 1;
}

void DrawGotoBarText(const char* text, int column, int dx, int dy, int width, COLORREF colour, UINT format) {
  const int left = GotoColumnLeft(column) + dx;
  DrawTextOn(SharedScreen().screenSprite, text, {left, dy + 10, left + width, 75}, colour, format | DT_WORDBREAK,
             SharedScreen().angularFont, 0);
}

CVGeneric::CVGeneric(HWND window, HINSTANCE instance) {
  if (SharedScreen().viewDDraw) return;
  ForgetEarlierGame();
  CopyDisplaySettingsFromApplication();
  SharedScreen().dirtyRect = kWholeScreen;
  SharedScreen().viewWnd = window;
  SharedScreen().viewInstance = instance;
  SharedScreen().replayMode = 0;
  SharedScreen().turnLampCount = 0;
  // The last game may have left the lamp frame on its other picture.
  SharedScreen().frameAnimation.lampFrameState = 0;
  SetCursorSet(CURSOR_NORMAL);
  SharedScreen().angularFont = CreateFont(5, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Angular3");
  SharedScreen().boldFont = CreateFont(13, 0, 0, 0, 600, 0, 0, 0, 0, 0, 0, PROOF_QUALITY, 0, "Times New Roman Bold");
  CreateControlPanel();
  g_buttonShowHelp = &ShowButtonHelp;
  // A display that cannot make surfaces leaves the panels out.
  if (!SharedScreen().viewDDraw) return;
  SharedScreen().viewportSprite = new CSprite(SharedScreen().viewDDraw, nullptr, kNoColourKey, kViewportWidth,
                                              kViewportHeight, kViewportRect.left, kViewportRect.top, 0);
  SharedScreen().flushCopySprite = new CSprite(SharedScreen().viewDDraw, nullptr, kNoColourKey, kViewportWidth,
                                               kViewportHeight, kViewportRect.left, kViewportRect.top, 0);
  SharedScreen().textStripSprite = new CSprite(SharedScreen().viewDDraw, nullptr, 0, kViewportWidth, kTextStripHeight,
                                               kViewportRect.left, kViewportRect.top, 0);
  SharedScreen().textStripWidth = kViewportWidth;
  g_viewTextCache.Clear();
  PrepareFrameAnimations();
  const std::uint16_t local = LocalChapterId(0);
  InstallPanelFrame(true);
  SharedScreen().dataPanel = new CVData(SharedScreen().boldFont, SharedScreen().screenSprite, &SharedScreen().dirtyRect,
                                        SharedScreen().viewDDraw, window, instance, ViewDataPanelHost());
  SharedScreen().notifyPanel = new CVNotify(SharedScreen().viewDDraw, SharedScreen().screenSprite, window, instance,
                                            &SharedScreen().dirtyRect, SharedScreen().tooltipWnd, local);
  const CGChapter* chapter = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  const std::uint16_t home = chapter ? chapter->homeAsteroid : 0xFFFF;
  if (g_gameData && g_gameData->notifications) {
    for (int i = 0; i < 6; ++i)
      g_gameData->notifications->Add(local, notify::kGameEvent, kWelcomeCodes[i], nullptr, nullptr, 0,
                                     i < 4 ? home : 0u, 0xFFFFFFFFu);
  }
  // A new game's panel starts unfiltered at its first line.
  SharedScreen().notifyPanel->ResetFilters();
  SharedScreen().notifyPanel->ResetLines();
  SharedScreen().infoPanel = new CInfoPanel(SharedScreen().viewDDraw, window, instance, SharedScreen().screenSprite);
  SetGotoSlot(2, GOTO_ASTEROID, home, 0);
  SetGotoSlot(1, GOTO_SOLAR, 0, 0);
  SetGotoSlot(0, GOTO_DESIGN, 0, 0);
  DrawGotoBar();
  SetChatLight(0, 0);
}

void CVGeneric::ForgetEarlierGame() {
  // Units, asteroids, guilds and design slots by number: those of a game
  // that a restart, a load or the front end replaced would name nothing, or
  // something else, in this one. A loaded game reads its own back afterwards.
  ScreenState& s = SharedScreen();
  const ScreenState fresh;
  s.gotoSlots = fresh.gotoSlots;
  s.gotoGroup = fresh.gotoGroup;
  s.commandMode = fresh.commandMode;
  s.commandUnitId = fresh.commandUnitId;
  s.menuObjectKind = fresh.menuObjectKind;
  s.menuObjectId = fresh.menuObjectId;
  s.pendingOrderOption = fresh.pendingOrderOption;
  s.modifyTargetId = fresh.modifyTargetId;
  s.templateSlot = fresh.templateSlot;
  s.chosenGuild = fresh.chosenGuild;
  s.viewType = fresh.viewType;
  s.previousViewType = fresh.previousViewType;
  s.previousViewAsteroid = fresh.previousViewAsteroid;
  s.futureView = fresh.futureView;
  s.futureViewState = fresh.futureViewState;
  s.endTurnSentTurn = fresh.endTurnSentTurn;
  ForgetCoveredStatusLine();
}

CVGeneric::~CVGeneric() {
  if (!SharedScreen().viewDDraw) return;
  ReleaseFrameAnimations();
  if (SharedScreen().popupMenu) ReleasePopupMenu(SharedScreen().popupMenu);
  SharedScreen().popupMenu = nullptr;
  Release(SharedScreen().textStripSprite);
  g_viewTextCache.Clear();
  Release(SharedScreen().emptyGotoSprite);
  for (CImageButton*& button : SharedScreen().controlButtons) {
    // The next game makes its own buttons: these windows go now, not with the main window.
    HWND window = button ? button->window : nullptr;
    Release(button);
    if (window) DestroyWindow(window);
  }
  Release(SharedScreen().gotoTabSprite);
  Release(SharedScreen().gotoTabCurrentSprite);
  Release(SharedScreen().turnLampOnSprite);
  Release(SharedScreen().turnLampOffSprite);
  Release(SharedScreen().infoPanel);
  Release(SharedScreen().notifyPanel);
  InstallPanelFrame(false);
  Release(SharedScreen().dataPanel);
  Release(SharedScreen().viewportSprite);
  Release(SharedScreen().flushCopySprite);
  if (SharedScreen().blackBrush) DeleteObject(SharedScreen().blackBrush);
  SharedScreen().blackBrush = nullptr;
  Release(SharedScreen().screenSprite);
  ReleaseFont(SharedScreen().angularFont);
  ReleaseFont(SharedScreen().boldFont);
  ForgetGotoTips();
  if (SharedScreen().tooltipWnd) DestroyWindow(SharedScreen().tooltipWnd);
  SharedScreen().tooltipWnd = nullptr;
  g_buttonShowHelp = nullptr;
  SharedScreen().infoPanelVisible = 0;
  SharedScreen().flushSuspended = 1;
  SharedScreen().dirtyRect = {};
  SharedScreen().viewDDraw = nullptr;
  // A save made before the next screen is up writes no place of this game.
  ForgetEarlierGame();
}

void CVGeneric::RedrawBackground() {
  if (SharedScreen().screenSprite) SharedScreen().screenSprite->LoadImage(nullptr);
  SharedScreen().dirtyRect = kWholeScreen;
  if (SharedScreen().viewportSprite && SharedScreen().viewportSprite->surface &&
      SharedScreen().viewportSprite->surface->IsLost() != 0)
    SharedScreen().viewportSprite->RestoreSurface();
  if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->Refresh();
  // The button faces live on the composition surface: the new frame covered them.
  // The info button (created first) goes on top of the four it overlaps: last.
  for (std::size_t i = 1; i <= SharedScreen().controlButtons.size(); ++i) {
    CImageButton* button = SharedScreen().controlButtons[i % SharedScreen().controlButtons.size()];
    if (button && button->sprite && IsWindowVisible(button->window))
      DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
  }
  if (SharedScreen().notifyPanel) {
    for (std::uint32_t id : kNotifyButtonIds) {
      CImageButton* button = SharedScreen().notifyPanel->GetControlButton(id);
      if (button && button->sprite && IsWindowVisible(button->window))
        DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
    }
  }
  SetChatLight(static_cast<int>(SharedScreen().chatLightOn), 0);
  DrawTurnLamps();
}

void CVGeneric::RedrawDataPanel() {
  if (!SharedScreen().dataPanel) return;
  // Without a flush of its own: the full redraw shows the whole screen next.
  const std::uint32_t held = SharedScreen().flushSuspended;
  SharedScreen().flushSuspended = 1;
  SharedScreen().dataPanel->ForgetPicture();
  RefreshDataPanel(1);
  SharedScreen().flushSuspended = held;
}

int CVGeneric::CanOrderUnit(CGUnit* unit) {
  if (unit && !unit->IsOperational()) {
    char text[256] = {};
    if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("CNTORDDY", text, sizeof text);
    SetStatusText(text, 26);
    return 0;
  }
  SharedScreen().pendingOrderOption = 0xFF;
  return 1;
}
