#include "Game/views/flat/CVDesign.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "Game/app/AppMessages.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/CDEnterNameDlg.h"
#include "Game/dialogs/CDSaveDlg.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVDataText.h"
#include "Game/panels/CVNotify.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitClass.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/DesignTemplateFile.h"
#include "Game/views/frame/CPopupMenu.h"
#include "media/CImageButton.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;
using datapanel::Text;

namespace {

constexpr const char* kFilterCodes[kModuleFilterCount] = {"con", "csm", "dam", "def", "pow", "pro",
                                                          "sct", "stl", "trk", "trn", "wpn", "all"};
constexpr int kListTop = 496;
constexpr int kListLeft = 65;
constexpr int kCellStep = 103;
constexpr int kCellWidth = 98;
constexpr int kCellHeight = 94;
constexpr int kHullX = 370;
constexpr int kHullY = 98;
constexpr int kScrollLeftId = 103;
constexpr int kScrollRightId = 104;
constexpr int kFirstFilterId = 114;
constexpr int kSaveId = 126;
constexpr int kNewDesignId = 127;
// Popup-menu commands: the goto bar's "set goto", the module read-out's
// three pages, and the template files.
constexpr std::uint32_t kSetGotoCommand = 501;
constexpr std::uint32_t kBasicPageCommand = 517;
constexpr std::uint32_t kDefencePageCommand = 519;
constexpr std::uint32_t kSaveTemplateCommand = 522;
constexpr std::uint32_t kLoadTemplateCommand = 523;
constexpr std::uint16_t kTemplateFileMode = 6;
constexpr std::uint32_t kStatusStepMs = 75;

HMODULE GuildModule(int guild) { return g_gameData ? g_gameData->GetGuildModule(guild) : nullptr; }
std::string GuildArt(int guild, const std::string& name) { return std::string(g_instData.GetGuildPath(guild)) + name; }

// A picture of the guild's art at (x, y); null when its surface cannot be made.
std::unique_ptr<CSprite> LoadPicture(const std::string& path, int guild, DWORD key, int width, int height, int x,
                                     int y) {
  if (!SharedScreen().viewDDraw) return nullptr;
  HMODULE module = GuildModule(guild);
  auto sprite = std::make_unique<CSprite>(SharedScreen().viewDDraw, path.c_str(), module, key,
                                          static_cast<DWORD>(width), static_cast<DWORD>(height), x, y, 0);
  if (!sprite->surface) return nullptr;
  sprite->LoadImage(module);
  return sprite;
}

std::unique_ptr<CSprite> BlankSprite(int width, int height) {
  if (!SharedScreen().viewDDraw) return nullptr;
  auto sprite = std::make_unique<CSprite>(SharedScreen().viewDDraw, nullptr, kNoColourKey, static_cast<DWORD>(width),
                                          static_cast<DWORD>(height), 0, 0, 0);
  return sprite->surface ? std::move(sprite) : nullptr;
}

std::unique_ptr<CSprite> ModulePicture(int module, int guild) {
  char path[300];
  if (!g_gameData || !g_gameData->moduleDB || !g_gameData->moduleDB->GetImageFileName(module, path, guild))
    return BlankSprite(kCellWidth, kCellHeight);
  auto picture = LoadPicture(path, guild, kNoColourKey, kCellWidth, kCellHeight, 0, 0);
  return picture ? std::move(picture) : BlankSprite(kCellWidth, kCellHeight);
}

// Text on the composition surface in screen coordinates, in the view's font.
int ScreenText(const char* text, RECT rect, COLORREF colour, UINT format) {
  if (!SharedScreen().screenSprite || !text) return 0;
  HDC dc = SharedScreen().screenSprite->GetDC();
  if (!dc) return 0;
  HGDIOBJ old = SharedScreen().angularFont ? SelectObject(dc, SharedScreen().angularFont) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  const int height = DrawText(dc, text, -1, &rect, format);
  if (old) SelectObject(dc, old);
  SharedScreen().screenSprite->ReleaseDC(dc);
  return height;
}

int TextWidth(const char* text) {
  if (!SharedScreen().screenSprite || !text) return 0;
  HDC dc = SharedScreen().screenSprite->GetDC();
  if (!dc) return 0;
  HGDIOBJ old = SharedScreen().angularFont ? SelectObject(dc, SharedScreen().angularFont) : nullptr;
  RECT r{0, 0, 1000, 100};
  DrawText(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
  if (old) SelectObject(dc, old);
  SharedScreen().screenSprite->ReleaseDC(dc);
  return static_cast<int>(r.right - r.left);
}

// The height of a text word-wrapped into `width` pixels in the view's font.
int WrappedTextHeight(const char* text, int width) {
  if (!SharedScreen().screenSprite || !text) return 0;
  HDC dc = SharedScreen().screenSprite->GetDC();
  if (!dc) return 0;
  HGDIOBJ old = SharedScreen().angularFont ? SelectObject(dc, SharedScreen().angularFont) : nullptr;
  RECT r{0, 0, width, 200};
  DrawText(dc, text, -1, &r, DT_CALCRECT | DT_CENTER | DT_WORDBREAK);
  if (old) SelectObject(dc, old);
  SharedScreen().screenSprite->ReleaseDC(dc);
  return static_cast<int>(r.bottom - r.top);
}

// A copy of a design under its own id: a working copy takes no new id from
// its chapter.
std::unique_ptr<CGUnitTemplate> WorkingCopy(const CGUnitTemplate& source) {
  auto copy = std::make_unique<CGUnitTemplate>(source.chapter, static_cast<std::int32_t>(source.templateId));
  copy->CopyDesign(source, -1);
  return copy;
}

int PointX(LPARAM p) { return static_cast<std::int16_t>(p & 0xFFFF); }
int PointY(LPARAM p) { return static_cast<std::int16_t>((p >> 16) & 0xFFFF); }

}  // namespace

CDesignView::CDesignView(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {
  const int guild = LocalGuild();
  HMODULE module = GuildModule(guild);
  char plate[32];
  std::snprintf(plate, sizeof plate, "chap%db.ima", LocalChapterId(0) & 7);
  emptyCellImage_ = LoadPicture(GuildArt(guild, plate), guild, kNoColourKey, kCellWidth, kCellHeight, 0, 0);
  const auto make = [&](int id, const char* tipId, const std::string& up, const std::string& down, int x, int y, int w,
                        int h, DWORD help) {
    auto button = std::make_unique<CImageButton>();
    const std::string tip = Text(tipId);
    button->Create(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                   SharedScreen().tooltipWnd, tip.c_str(), id, x, y, w, h, kNoColourKey, help, module);
    button->SetImages(GuildArt(guild, up).c_str(), GuildArt(guild, down).c_str());
    if (button->window) ShowWindow(button->window, SW_HIDE);
    return button;
  };
  scrollLeftButton_ = make(kScrollLeftId, "SCROLLLT", "scrlftup.ima", "scrlftdn.ima", 8, 496, 52, 94, 210);
  scrollRightButton_ = make(kScrollRightId, "SCROLLRT", "scrrhtup.ima", "scrrhtdn.ima", 580, 496, 52, 94, 211);
  saveButton_ = make(kSaveId, "SAVEDSGN", "dessavup.ima", "dessavdn.ima", 713, 542, 76, 24, 212);
  newDesignButton_ = make(kNewDesignId, "CLERDSGN", "clrtemup.ima", "clrtemdn.ima", 637, 542, 76, 24, 213);
  for (int i = 0; i < kModuleFilterCount; ++i) {
    char tip[24], d[32], u[32];
    std::snprintf(tip, sizeof tip, "DBUTTN%02d", i);
    std::snprintf(d, sizeof d, "mfil%sd.ima", kFilterCodes[i]);
    std::snprintf(u, sizeof u, "mfil%su.ima", kFilterCodes[i]);
    // The current filter shows its "u" picture: the last one starts current.
    const bool current = i == kAllModulesFilter;
    filterButton_[static_cast<std::size_t>(i)] =
        make(kFirstFilterId + i, tip, current ? u : d, current ? d : u, 637 + (i % 6) * 25, 494 + (i / 6) * 24,
             i % 2 ? 26 : 25, 24, static_cast<DWORD>(216 + i));
  }
  dragImage_ = BlankSprite(30, 30);
  dragBackground_ = BlankSprite(30, 30);
  NewDesign();
}

CDesignView::~CDesignView() = default;

void CDesignView::NewDesign() {
  const auto chapter = static_cast<std::uint8_t>(LocalChapterId(0));
  design_ = std::make_unique<CGUnitTemplate>(chapter, -1);
  if (g_gameData)
    if (const CGUnitTemplate* stored = g_gameData->templates.GetTemplate(chapter, 0, 1))
      design_->CopyDesign(*stored, -1);
  designSlot_ = 0;
}

void CDesignView::Activate(std::int32_t argument) {
  readOnly_ = argument != -1 ? 1 : 0;
  CGUnit* unit = nullptr;
  if (readOnly_ && g_gameData) unit = g_gameData->pieces.FindUnit(static_cast<std::uint32_t>(argument), nullptr);
  // Here the switch button leads back, however the chamber was reached (its
  // own button, a goto slot, a game loaded in it).
  if (CImageButton* button = ControlButton(control::kSwitchView))
    button->SetImages(GuildArt(LocalGuild(), "retrvwup.ima").c_str(), GuildArt(LocalGuild(), "retrvwdn.ima").c_str());
  if (readOnly_ && unit && unit->GetTemplate()) {
    keptDesign_ = WorkingCopy(*design_);
    design_ = WorkingCopy(*unit->GetTemplate());
    viewedUnitId_ = unit->id;
    // The list shows whose design this is: the plate of the unit's chapter.
    const int chapter = unit->GetChapter();
    char plate[32];
    std::snprintf(plate, sizeof plate, "chap%db.ima", chapter & 7);
    viewedPlate_ =
        LoadPicture(GuildArt(chapter >> 3, plate), chapter >> 3, kNoColourKey, kCellWidth, kCellHeight, 0, 0);
  } else {
    readOnly_ = 0;
  }
  active_ = 1;
  // The timed line of the view left does not follow into the chamber (a
  // prompt shown until replaced stays for that view's pick).
  if (SharedScreen().statusShown != kStatusUntilReplaced) SharedScreen().statusShown = 0;
  dataPanelLent_ = SharedScreen().infoPanelVisible != 0;
  // The module list takes the notification panel's place.
  if (SharedScreen().viewType != VIEW_DESIGN) SharedScreen().previousViewType = SharedScreen().viewType;
  SharedScreen().viewType = VIEW_DESIGN;
  if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->Show(0);
  RedrawBackground();
  BuildModuleList();
  DrawModuleList();
  UpdateControlPanel();
  AddDirtyRect({0, 0, 800, 600});
  LoadSlotImages();
  DrawGotoBar();
  if (SharedScreen().dataPanel) {
    if (readOnly_ && unit)
      SharedScreen().dataPanel->ShowUnitStatus(unit);
    else
      ShowDesignSlots();
  }
  SetCursorSet(readOnly_ ? CURSOR_SCAN : CURSOR_NORMAL);
  Redraw(0);
}

void CDesignView::Render(std::int32_t argument) {
  if (!active_) {
    Activate(argument);
    FlushScreen();
    return;
  }
  // A held scroll button steps the list from the main loop, so packets and
  // the keep-alive go on while it is held.
  // At either end it beeps once and holds no longer.
  if (heldScroll_ && !((GetAsyncKeyState(VK_LBUTTON) & 0x8000) && ScrollModuleList(heldScroll_) >= 0)) heldScroll_ = 0;
  DrawModuleList();
  FlushScreen();
}

void CDesignView::Invalidate() {
  Redraw(0);
  // The info panel's pages show their own read-outs in the data panel; once
  // the panel shuts, the design list (or the viewed unit) and the design's
  // picture come back.
  if (SharedScreen().infoPanelVisible) {
    dataPanelLent_ = true;
  } else if (dataPanelLent_ && active_ && SharedScreen().dataPanel) {
    dataPanelLent_ = false;
    SharedScreen().dataPanel->ForgetPicture();
    SharedScreen().dataPanel->Clear(1);
    RedrawDataPanel();
  }
  FlushScreen();
}

void CDesignView::RebuildDisplay() {
  BuildModuleList();
  Redraw(0);
  DrawModuleList();
  FlushScreen();
}

void CDesignView::GoToView(WPARAM a, LPARAM b) {
  active_ = 0;
  heldScroll_ = 0;
  for (auto& image : listImage_) image.reset();
  for (auto& image : slotImage_) image.reset();
  if (SharedScreen().dataPanel) SharedScreen().dataPanel->SetPicture(nullptr, 0);
  DrawGotoBar();
  FlushScreen();
  for (auto* button : {scrollLeftButton_.get(), scrollRightButton_.get(), saveButton_.get(), newDesignButton_.get()})
    if (button && button->window) ShowWindow(button->window, SW_HIDE);
  for (auto& button : filterButton_)
    if (button && button->window) ShowWindow(button->window, SW_HIDE);
  for (std::uint32_t id : {control::kOptions, control::kSettings})
    if (CImageButton* button = ControlButton(id); button && button->window) ShowWindow(button->window, SW_SHOW);
  if (readOnly_ && keptDesign_) design_ = std::move(keptDesign_);
  // Elsewhere the switch button leads into the chamber, however it is left.
  if (CImageButton* button = ControlButton(control::kSwitchView))
    button->SetImages(GuildArt(LocalGuild(), "switvwup.ima").c_str(), GuildArt(LocalGuild(), "switvwdn.ima").c_str());
  readOnly_ = 0;
  viewedUnitId_ = 0xFFFFFFFFu;
  viewedPlate_.reset();
  SharedScreen().viewType = static_cast<std::uint32_t>(a);
  ForgetCoveredStatusLine();
  // The chamber's module strip covered the panel: it is drawn again.
  if (SharedScreen().notifyPanel && SharedScreen().notifyPanel->Show(1)) SharedScreen().notifyPanel->Refresh();
  PostMessage(SharedScreen().viewWnd, WM_APP_SWITCH_VIEW, a, b);
}

void CDesignView::UpdateControlPanel() {
  // The area is cleared first, so every face shown is drawn again: a button
  // already visible gets no paint of its own.
  std::vector<CImageButton*> shown;
  const auto show = [&shown](CImageButton* button, bool visible) {
    if (!button || !button->window) return;
    ShowWindow(button->window, visible ? SW_SHOW : SW_HIDE);
    if (visible && button->sprite) shown.push_back(button);
  };
  ClearControlArea();
  // Save and new design take the places of the options and settings buttons.
  for (std::uint32_t id : {control::kOptions, control::kSettings}) show(ControlButton(id), false);
  for (std::uint32_t id : {control::kSwitchView, control::kEndTurn}) show(ControlButton(id), true);
  for (auto* button : {scrollLeftButton_.get(), scrollRightButton_.get(), saveButton_.get(), newDesignButton_.get()})
    show(button, true);
  // The filters share the info panel's button places.
  for (auto& button : filterButton_) show(button.get(), !SharedScreen().infoPanelVisible);
  for (std::uint32_t id = control::kFirstPanel; id <= control::kLastPanel; ++id)
    show(ControlButton(id), SharedScreen().infoPanelVisible != 0);
  // The round info button lies over the corners of the four around it: last.
  show(ControlButton(control::kInfo), true);
  for (CImageButton* button : shown) DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
  for (CImageButton* button : shown) ShowInButtonWindow(*button);
  FlushScreen();
}

void CDesignView::DrawButtonFace(CImageButton* button) {
  if (!button || !button->sprite || !button->window || !IsWindowVisible(button->window)) return;
  DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
  ShowInButtonWindow(*button);
}

int CDesignView::BuildModuleList() {
  for (auto& image : listImage_) image.reset();
  listCount_ = 0;
  if (!g_gameData || !g_gameData->moduleDB) return 0;
  const int guild = LocalGuild();
  listCount_ = ListGuildModules(*g_gameData->moduleDB, guild, filter_, moduleList_);
  for (int i = 0; i < listCount_; ++i) {
    auto picture = ModulePicture(moduleList_[static_cast<std::size_t>(i)].module, guild);
    if (picture && moduleList_[static_cast<std::size_t>(i)].percent < 100) picture->Fade(50, datapanel::kGrey, nullptr);
    listImage_[static_cast<std::size_t>(i)] = std::move(picture);
  }
  return listCount_;
}

void CDesignView::DrawModuleList() {
  if (!SharedScreen().screenSprite) return;
  const int first = scroll_.First();
  for (int k = 0; k < kVisibleListCells; ++k) {
    const int x = kListLeft + kCellStep * k;
    const int i = first + k;
    if (!readOnly_ && i < listCount_) {
      if (CSprite* picture = listImage_[static_cast<std::size_t>(i)].get())
        picture->BltToSurface(SharedScreen().screenSprite, x, kListTop, nullptr);
      const ModuleRecord* record = g_gameData->moduleDB->GetRecord(moduleList_[static_cast<std::size_t>(i)].module);
      const char* name = record ? record->name : "";
      int top = 580;
      if (TextWidth(name) >= 93) {
        // A name on two lines: the band grows upward until both lines fit
        // whole above its bottom edge.
        top = std::min(573, 589 - 2 - WrappedTextHeight(name, 92));
      }
      const RECT band{x + 3, top, x + 95, 589};
      SharedScreen().screenSprite->Fade(75, 0, &band);
      ScreenText(name, {band.left, band.top + 2, band.right, band.bottom}, 0xC8C8C8, DT_CENTER | DT_WORDBREAK);
    } else if (CSprite* plate = readOnly_ && viewedPlate_ ? viewedPlate_.get() : emptyCellImage_.get()) {
      plate->BltToSurface(SharedScreen().screenSprite, x, kListTop, nullptr);
    }
  }
  AddDirtyRect({kListLeft, kListTop, kListLeft + kCellStep * 4 + kCellWidth, kListTop + kCellHeight});
}

int CDesignView::ScrollModuleList(int direction) {
  if (readOnly_) return -1;
  switch (scroll_.Scroll(direction, listCount_, timeGetTime())) {
    case ModuleListScroll::Step::kAtEnd:
      MessageBeep(MB_ICONEXCLAMATION);
      return -1;
    case ModuleListScroll::Step::kTooSoon:
      return 0;
    case ModuleListScroll::Step::kMoved:
      DrawModuleList();
      FlushScreen();
      return 1;
  }
  return 0;
}

void CDesignView::SetModuleFilter(int filter) {
  if (readOnly_ || filter < 0 || filter >= kModuleFilterCount) return;
  // Both faces change; a button is drawn only on its own paint otherwise.
  for (int i : {filter_, filter}) {
    if (CImageButton* button = filterButton_[static_cast<std::size_t>(i)].get()) {
      button->Toggle();
      DrawButtonFace(button);
    }
  }
  filter_ = filter;
  scroll_.Reset();
  BuildModuleList();
  DrawModuleList();
  FlushScreen();
}

int CDesignView::ShownGuild() const {
  if (readOnly_ && viewedUnitId_ != 0xFFFFFFFFu && g_gameData)
    if (const CGUnit* unit = g_gameData->pieces.FindUnit(viewedUnitId_, nullptr))
      return static_cast<int>(unit->GetChapter() >> 3);
  return LocalGuild();
}

void CDesignView::LoadSlotImages() {
  const int guild = ShownGuild();
  for (int s = 0; s < kTemplateSlots; ++s) {
    auto& image = slotImage_[static_cast<std::size_t>(s)];
    image.reset();
    const std::uint16_t module = design_->GetModuleId(s);
    if (module == kNoModuleId) continue;
    auto picture = ModulePicture(module, guild);
    image = BlankSprite(30, 30);
    if (image && picture) picture->BltToSurfaceStretch(image.get(), 0, 0, nullptr);
  }
}

bool CDesignView::IsSameAsStored() const {
  const CGUnitTemplate* stored =
      g_gameData ? g_gameData->templates.GetTemplate(LocalChapterId(0), designSlot_, 1) : nullptr;
  return stored && design_->IsSameDesign(*stored);
}

void CDesignView::UpdateSavedState() { saved_ = IsSameAsStored() ? 1 : 0; }

int CDesignView::PlaceModule(const ModuleListEntry& entry, int slot) {
  if (readOnly_ || !g_gameData || !g_gameData->moduleDB) return 0;
  const ModuleRecord* record = g_gameData->moduleDB->GetRecord(entry.module);
  if (!record) return 0;
  if (slot < 0) slot = design_->FindFreeSlotForModuleType(record->type);
  if (slot < 0 || !design_->hull || !design_->hull->SlotAcceptsModuleType(slot, record->type)) return 0;
  design_->RemoveModule(slot);
  design_->FitModule(slot, entry.module);
  designValid_ = design_->computerType;
  if (g_sndPlay) g_sndPlay->PlayEffect("dsnplace", 1.0f, 0.0f, 0);
  auto picture = ModulePicture(entry.module, LocalGuild());
  auto& image = slotImage_[static_cast<std::size_t>(slot)];
  image = BlankSprite(30, 30);
  if (image && picture) picture->BltToSurfaceStretch(image.get(), 0, 0, nullptr);
  UpdateSavedState();
  Redraw(1);
  return 1;
}

void CDesignView::UnfitSlot(int slot, int redraw) {
  if (readOnly_ || slot < 0 || slot >= kTemplateSlots) return;
  designValid_ = design_->RemoveModule(slot);
  slotImage_[static_cast<std::size_t>(slot)].reset();
  // Before the redraw: the title says whether the design is saved.
  saved_ = 0;
  if (redraw) Redraw(1);
}

int CDesignView::ListEntryAt(int x) const {
  if (x < kListLeft || x > 580) return -1;
  const int i = scroll_.First() + (x - kListLeft) / kCellStep;
  return i < listCount_ ? i : -1;
}

int CDesignView::OnLButtonDown(int x, int y, WPARAM keys) {
  if (chooserPage_) {
    ChooserClick(x, y);
    return 1;
  }
  if (CVGeneric::OnLButtonDown(x, y, keys)) return 1;
  if (y >= 497 && y <= 589) {
    const int i = ListEntryAt(x);
    if (!readOnly_ && i >= 0) {
      draggedModule_ = moduleList_[static_cast<std::size_t>(i)].module;
      if (dragImage_ && listImage_[static_cast<std::size_t>(i)])
        listImage_[static_cast<std::size_t>(i)]->BltToSurfaceStretch(dragImage_.get(), 0, 0, nullptr);
    }
  } else if (x > 637 && y > 98) {
    // The key flags go along: Ctrl on a design slot copies the current one there.
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->OnClick(x, y, static_cast<std::uint32_t>(keys));
  } else if (x >= 30 && x <= 613 && y >= 99 && y <= 464 && !(x >= kHullX && design_->hull && !readOnly_)) {
    OnDesignAreaClick(x, y);
  } else if (x >= kHullX && x <= 612 && y >= kHullY && y <= 465 && design_->hull && !readOnly_) {
    const int slot = design_->hull->FindSlotAt(x - kHullX, y - kHullY);
    const std::uint16_t module = slot >= 0 ? design_->GetModuleId(slot) : kNoModuleId;
    if (module != kNoModuleId && slotImage_[static_cast<std::size_t>(slot)]) {
      draggedModule_ = module;
      if (dragImage_) slotImage_[static_cast<std::size_t>(slot)]->BltToSurface(dragImage_.get(), 0, 0, nullptr);
      UnfitSlot(slot, 1);
    }
  }
  return 1;
}

int CDesignView::OnLButtonUp(int x, int y, WPARAM /*keys*/) {
  if (draggedModule_ == 0xFFFF) return 0;
  if (dragX_ >= 0 && dragBackground_ && SharedScreen().screenSprite) {
    dragBackground_->BltToSurface(SharedScreen().screenSprite, dragX_, dragY_, nullptr);
    AddDirtyRect({dragX_, dragY_, dragX_ + 30, dragY_ + 30});
  }
  const std::uint16_t module = draggedModule_;
  draggedModule_ = 0xFFFF;
  dragX_ = dragY_ = -1;
  const int slot = design_->hull && x >= kHullX && x <= 612 && y >= kHullY && y <= 465
                       ? design_->hull->FindSlotAt(x - kHullX, y - kHullY)
                       : -1;
  if (slot < 0 || !PlaceModule({module, 100}, slot)) {
    const std::uint32_t before = saved_;
    UpdateSavedState();
    if (saved_ != before) Redraw(0);
  }
  FlushScreen();
  return 1;
}

int CDesignView::OnLButtonDblClk(int x, int y) {
  if (CVGeneric::OnLButtonDblClk(x, y)) return 1;
  if (y < 483 || y > 593 || readOnly_) return 1;
  const int i = ListEntryAt(x);
  // Only researched modules are fitted this way; a drag fits any.
  if (i >= 0 && moduleList_[static_cast<std::size_t>(i)].percent == 100) {
    PlaceModule(moduleList_[static_cast<std::size_t>(i)], -1);
    FlushScreen();
  }
  return 1;
}

int CDesignView::OnMouseMove(WPARAM keys, LPARAM position) {
  const int x = PointX(position);
  const int y = PointY(position);
  if (chooserPage_) {
    ChooserHover(x, y);
    return 1;
  }
  if (draggedModule_ != 0xFFFF) {
    if (!SharedScreen().screenSprite || !dragImage_ || !dragBackground_) return 1;
    if (dragX_ >= 0) {
      dragBackground_->BltToSurface(SharedScreen().screenSprite, dragX_, dragY_, nullptr);
      AddDirtyRect({dragX_, dragY_, dragX_ + 30, dragY_ + 30});
    }
    dragX_ = std::clamp(x, 20, 789) - 20;
    dragY_ = std::clamp(y, 20, 589) - 20;
    const RECT under{dragX_, dragY_, dragX_ + 30, dragY_ + 30};
    SharedScreen().screenSprite->BltToSurface(dragBackground_.get(), 0, 0, &under);
    dragImage_->BltToSurface(SharedScreen().screenSprite, dragX_, dragY_, nullptr);
    AddDirtyRect(under);
    FlushScreen();
    return 1;
  }
  const int result = CVGeneric::OnMouseMove(keys, position);
  if (SharedScreen().infoPanelVisible) dataPanelLent_ = true;
  Hover(x, y);
  return result;
}

int CDesignView::OnMouseWheel(WPARAM wheel, LPARAM /*position*/) {
  const int delta = static_cast<std::int16_t>((wheel >> 16) & 0xFFFF);
  hoveredModule_ = 0xFFFF;
  moduleDataMode_ = static_cast<std::uint8_t>((moduleDataMode_ + (delta < 1 ? 1 : 2)) % 3);
  POINT cursor{};
  GetCursorPos(&cursor);
  Hover(cursor.x, cursor.y);
  return 1;
}

void CDesignView::Hover(int x, int y) {
  if (SharedScreen().infoPanelVisible || !SharedScreen().dataPanel) return;
  const int guild = LocalGuild();
  if (y >= 483 && y <= 593) {
    if (readOnly_) return;
    const int i = ListEntryAt(x);
    if (i >= 0) {
      const std::uint16_t module = moduleList_[static_cast<std::size_t>(i)].module;
      if (hoveredModule_ != module) {
        hoveredModule_ = module;
        shownGotoKind_ = 0xFFFF;
        SharedScreen().dataPanel->ShowModuleData(moduleDataMode_, module, guild);
        FlushScreen();
      }
      return;
    }
  } else if (y >= 99 && y <= 464 && x >= 371 && x <= 611 && design_->hull) {
    const int slot = design_->hull->FindSlotAt(x - kHullX, y - kHullY);
    const std::uint16_t module = slot >= 0 ? design_->GetModuleId(slot) : kNoModuleId;
    const std::uint16_t shown = module != kNoModuleId ? module : 0xFFFE;
    if (hoveredModule_ != shown) {
      hoveredModule_ = shown;
      shownGotoKind_ = 0xFFFF;
      if (module != kNoModuleId)
        SharedScreen().dataPanel->ShowModuleData(moduleDataMode_, module, guild);
      else
        SharedScreen().dataPanel->ShowHullCosts(design_->hull);
      FlushScreen();
    }
    return;
  } else if (y >= 0 && y < 74) {
    HoverGotoSlot(x);
    return;
  }
  if (hoveredModule_ == 0xFFFF && shownGotoKind_ == 0xFFFF) return;
  hoveredModule_ = 0xFFFF;
  shownGotoKind_ = 0xFFFF;
  shownGotoId_ = 0xFFFFFFFFu;
  if (readOnly_) {
    if (CGUnit* unit = g_gameData ? g_gameData->pieces.FindUnit(viewedUnitId_, nullptr) : nullptr)
      SharedScreen().dataPanel->ShowUnitStatus(unit);
  } else {
    ShowDesignSlots();
  }
  FlushScreen();
}

void CDesignView::PlayFrameAnimation(std::uint32_t elapsedMs) {
  CVGeneric::PlayFrameAnimation(elapsedMs);
  statusElapsedMs_ += elapsedMs;
  if (!SharedScreen().statusShown || statusElapsedMs_ < kStatusStepMs) return;
  statusElapsedMs_ = 0;
  if (!CountDownStatusLine()) return;
  if (!SharedScreen().statusShown) SharedScreen().statusText.clear();
  // The chamber shows again without the line, or with the one it covered;
  // under the info panel, the hull chooser or a dragged module that waits for
  // the next redraw.
  if (active_ && !SharedScreen().infoPanelVisible && !chooserPage_ && draggedModule_ == 0xFFFF) Redraw(1);
}

void CDesignView::RedrawDataPanel() {
  if (!SharedScreen().dataPanel) return;
  SharedScreen().dataPanel->ForgetPicture();
  CGUnit* unit = readOnly_ && g_gameData ? g_gameData->pieces.FindUnit(viewedUnitId_, nullptr) : nullptr;
  if (unit)
    SharedScreen().dataPanel->ShowUnitStatus(unit);
  else
    ShowDesignSlots();
}

void CDesignView::HoverGotoSlot(int x) {
  const GotoEntry& e =
      SharedScreen().gotoSlots[static_cast<std::size_t>(GetGotoSlotAtX(x)) % SharedScreen().gotoSlots.size()];
  const bool asteroid = e.kind == GOTO_ASTEROID || e.kind == GOTO_TERRAIN_ASTEROID;
  CGUnit* unit = e.kind == GOTO_UNIT && g_gameData ? g_gameData->pieces.FindUnit(e.id, nullptr) : nullptr;
  if ((!asteroid && !unit) || (e.kind == shownGotoKind_ && e.id == shownGotoId_)) return;
  shownGotoKind_ = e.kind;
  shownGotoId_ = e.id;
  // Neither a module nor the hull shows in the panel now.
  hoveredModule_ = 0xFFFD;
  if (unit)
    SharedScreen().dataPanel->ShowUnitData(unit, unit->location.asteroid, 0);
  else
    SharedScreen().dataPanel->ShowAsteroidData(static_cast<std::uint16_t>(e.id), 0);
  FlushScreen();
}

int CDesignView::OnKeyDown(WPARAM key, LPARAM flags) {
  if (CVGeneric::OnKeyDown(key, flags)) return 1;
  POINT cursor{};
  GetCursorPos(&cursor);
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
      moduleDataMode_ = static_cast<std::uint8_t>((moduleDataMode_ + (key == VK_PRIOR ? 2 : 1)) % 3);
      hoveredModule_ = 0xFFFF;
      Hover(cursor.x, cursor.y);
      return 1;
    case VK_LEFT:
      ScrollModuleList(-1);
      return 1;
    case VK_RIGHT:
      ScrollModuleList(1);
      return 1;
    case VK_UP:
      OnDataPanelCommand((designSlot_ + 14) % 15, 0);
      return 1;
    case VK_DOWN:
      OnDataPanelCommand((designSlot_ + 1) % 15, 0);
      return 1;
    case 'F':
      SetModuleFilter(filter_ == kAllModulesFilter ? 0 : filter_ + 1);
      return 1;
    default:
      return 0;
  }
}

void CDesignView::OnDrawItem(DRAWITEMSTRUCT* item) {
  if (!item) return;
  const std::uint32_t id = item->CtlID;
  CImageButton* button = nullptr;
  if (id == kScrollLeftId) button = scrollLeftButton_.get();
  if (id == kScrollRightId) button = scrollRightButton_.get();
  if (id == kSaveId) button = saveButton_.get();
  if (id == kNewDesignId) button = newDesignButton_.get();
  if (id >= kFirstFilterId && id < kFirstFilterId + kModuleFilterCount)
    button = filterButton_[id - kFirstFilterId].get();
  if (!button || !button->sprite) return;
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  const char* face = button->disabled ? button->disabledImage : pressed ? button->pressedImage : button->normalImage;
  button->sprite->SetImageName(face);
  button->sprite->LoadImage(button->module);
  DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
  KeepInfoButtonOver(*button);
  FlushScreen();
  ShowInButtonWindow(*button);
  if (id == kScrollLeftId || id == kScrollRightId) {
    const int direction = id == kScrollLeftId ? -1 : 1;
    if (pressed && heldScroll_ != direction) {
      if (g_sndPlay) g_sndPlay->PlayEffect("Click", 1.0f, 0.0f, 0);
      ScrollModuleList(direction);
    }
    heldScroll_ = pressed ? direction : 0;
  }
}

LRESULT CDesignView::OnCommand(std::uint32_t id) {
  if (id >= kFirstFilterId && id < kFirstFilterId + kModuleFilterCount) {
    SetModuleFilter(static_cast<int>(id - kFirstFilterId));
  } else if (id == kSaveId) {
    SaveDesign();
  } else if (id == kNewDesignId) {
    OpenHullChooser();
  } else {
    return 0;
  }
  SetFocus(SharedScreen().viewWnd);
  return 1;
}

int CDesignView::OnRButtonDown(int x, int y, WPARAM keys) {
  if (draggedModule_ != 0xFFFF || chooserPage_) return 1;
  if (CVGeneric::OnRButtonDown(x, y, keys)) return 1;
  if (!(GetKeyState(VK_MENU) & 0x8000) || readOnly_ || y < 497 || y > 589) return 0;
  const int i = ListEntryAt(x);
  const ModuleRecord* record = i >= 0 && g_gameData && g_gameData->moduleDB
                                   ? g_gameData->moduleDB->GetRecord(moduleList_[static_cast<std::size_t>(i)].module)
                                   : nullptr;
  if (!record) return 0;
  ShowHelpTopic(record->helpTopic, x, y);
  return 1;
}

int CDesignView::ShowContextMenu(int x, int y) {
  if (draggedModule_ != 0xFFFF || chooserPage_) return 1;
  if (y < 74) {
    ShowOrderMenu(1, 0, x, y);
    return 1;
  }
  const bool overList = y >= 483 && y <= 593;
  if (overList && (x < 61 || x > 579)) return 1;
  ClosePopupMenu();
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, x, y, 0xFFFF, 0);
  const int guild = LocalGuild();
  const auto append = [&](std::uint32_t id, const char* stem) {
    SharedScreen().popupMenu->AppendItem(id, GuildArt(guild, std::string("pm") + stem + ".ima").c_str(),
                                         GuildArt(guild, std::string("ph") + stem + ".ima").c_str(),
                                         GuildModule(guild));
  };
  if (overList) {
    append(kBasicPageCommand, "basic");
    append(kBasicPageCommand + 1, "dcosts");
    append(kDefencePageCommand, "ddef");
  } else {
    append(kSaveTemplateCommand, "dsavet");
    append(kLoadTemplateCommand, "dloadt");
  }
  SharedScreen().popupMenu->Track();
  return 1;
}

LRESULT CDesignView::OnMenuCommand(std::uint32_t id) {
  if (CVGeneric::OnMenuCommand(id)) return 1;
  int menuX = 0;
  if (SharedScreen().popupMenu) SharedScreen().popupMenu->GetPosition(&menuX, nullptr);
  ClosePopupMenu();
  if (id == kSetGotoCommand) {
    SetGotoSlot(GotoColumnAt(menuX), GOTO_DESIGN, 0xFFFFFFFFu, 1);
  } else if (id >= kBasicPageCommand && id <= kDefencePageCommand) {
    moduleDataMode_ = static_cast<std::uint8_t>(id - kBasicPageCommand);
    hoveredModule_ = 0xFFFF;
    POINT cursor{};
    GetCursorPos(&cursor);
    Hover(cursor.x, cursor.y);
  } else if (id == kSaveTemplateCommand) {
    std::string directory, name;
    if (RunSaveDialog(SAVE_TEMPLATE, &directory, &name)) SaveTemplateFile((directory + name).c_str());
    AfterDialog();
  } else if (id == kLoadTemplateCommand) {
    std::string directory, name;
    if (ClientShell().ChooseLoadFile(kTemplateFileMode, &directory, &name) && !name.empty())
      LoadTemplateFile((directory + name).c_str());
    AfterDialog();
  } else {
    return 0;
  }
  return 1;
}

void CDesignView::AfterDialog() {
  // What a dialog covered is drawn again, the data panel's rows with the rest.
  RedrawBackground();
  RedrawDataPanel();
  DrawModuleList();
  UpdateControlPanel();
  DrawGotoBar();
  Redraw(0);
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

int CDesignView::SaveTemplateFile(const char* path) { return WriteTemplateFile(path, *design_); }

int CDesignView::LoadTemplateFile(const char* path) {
  if (readOnly_) return 0;
  TemplateFileRead read = ReadTemplateFile(path, LocalChapterId(0));
  if (!read.opened) return 0;
  if (read.verdict == TemplateFileVerdict::kModulesRemoved) {
    std::uint32_t answer = 0;
    CYesNoDlg ask(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                  Text("BADTEMPL").c_str(), LocalGuild(), &answer);
    if (!answer) return 0;
  } else if (read.verdict != TemplateFileVerdict::kAccept) {
    COkDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
               Text(TemplateFileVerdictText(read.verdict)).c_str(), LocalGuild());
    return 0;
  }
  // The file's chapter stays with the design.
  design_->CopyDesign(*read.design, -1);
  designValid_ = design_->computerType;
  LoadSlotImages();
  saved_ = 0;
  Redraw(1);
  DrawGotoBar();
  FlushScreen();
  return 1;
}

void CDesignView::OnDataPanelCommand(int row, std::uint32_t argument) { SelectDesignSlot(row, argument); }

void CDesignView::ShowDesignSlots() {
  hoveredModule_ = 0xFFFF;
  shownGotoKind_ = 0xFFFF;
  shownGotoId_ = 0xFFFFFFFFu;
  if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowDesignTemplateList(0, designSlot_);
}

bool CDesignView::PanelShowsDesignSlots() const {
  return !chooserPage_ && hoveredModule_ == 0xFFFF && shownGotoKind_ == 0xFFFF;
}

void CDesignView::SelectDesignSlot(int row, std::uint32_t flags) {
  // The rows the player picks from must be in sight: not while the panel
  // reads out a module, the hull, a goto slot or the hull chooser's classes.
  if (readOnly_ || row < 0 || row >= 15 || !g_gameData || !PanelShowsDesignSlots()) return;
  const int chapter = LocalChapterId(0);
  const CGUnitTemplate* current = g_gameData->templates.GetTemplate(chapter, designSlot_, 1);
  if ((flags & MK_CONTROL) != 0 && row != designSlot_ && current) {
    // Ctrl copies the stored design of the current slot into the row's slot under a new name.
    char name[kNameBufferSize] = {};
    if (AskDesignName(name)) {
      g_gameData->templates.SetFixedTemplate(*current, chapter, row);
      if (CGUnitTemplate* copy = g_gameData->templates.GetTemplate(chapter, row, 1)) {
        copy->AssignNewId();
        copy->SetName(name);
      }
      g_gameData->templates.SendTemplate(row, chapter);
      // The copy is of the stored design: unsaved changes to the working
      // one are still asked about before the row is left.
    }
  }
  if (!saved_) {
    std::uint32_t answer = 0;
    CYesNoDlg ask(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                  Text("LOSECHNG").c_str(), LocalGuild(), &answer);
    if (!answer) return;
  }
  designSlot_ = static_cast<std::uint8_t>(row);
  ShowDesignSlots();
  design_->Clear();
  saved_ = 1;
  designValid_ = 255;
  if (const CGUnitTemplate* stored = g_gameData->templates.GetTemplate(LocalChapterId(0), row, 1)) {
    design_->CopyDesign(*stored, -1);
    designValid_ = design_->computerType;
  }
  LoadSlotImages();
  Redraw(0);
  DrawGotoBar();
  FlushScreen();
}

bool CDesignView::AskDesignName(std::span<char, kNameBufferSize> name) {
  for (;;) {
    std::uint32_t ok = 0;
    {
      // Gone, and the chamber drawn again under it, before any box opens:
      // the box is smaller and would stand on the prompt's picture. The
      // field takes no more of a name than the other players are told.
      CDEnterNameDlg ask(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                         Text("ENTSHPNM"), LocalGuild(), name.data(), &ok, kTemplateNameLimit);
    }
    if (!ok) return false;
    if (name[0]) return true;
    COkDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, Text("MUSTENTN").c_str(),
               LocalGuild());
  }
}

const char* CDesignView::StoreDesign(const char* name) {
  if (readOnly_ || !g_gameData) return nullptr;
  if (const char* refusal = DesignSaveRefusal(*design_)) return refusal;
  if (!name || !*name) return "MUSTENTN";
  design_->SetName(name);
  const int chapter = LocalChapterId(0);
  g_gameData->templates.SetFixedTemplate(*design_, chapter, designSlot_);
  if (CGUnitTemplate* stored = g_gameData->templates.GetTemplate(chapter, designSlot_, 1)) stored->AssignNewId();
  g_gameData->templates.SendTemplate(designSlot_, chapter);
  saved_ = 1;
  return nullptr;
}

void CDesignView::SaveDesign() {
  if (readOnly_) return;
  if (const char* refusal = DesignSaveRefusal(*design_)) {
    COkDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, Text(refusal).c_str(),
               LocalGuild());
    return;
  }
  char name[kNameBufferSize] = {};
  if (const char* current = design_->GetName()) std::snprintf(name, sizeof name, "%s", current);
  if (!AskDesignName(name)) return;
  StoreDesign(name);
  ShowDesignSlots();
  Redraw(1);
}

void CDesignView::OnDesignAreaClick(int x, int y) {
  if (!design_->hull || y < 441 || y > 457) return;
  if (x >= 200 && x < 360) {
    const std::uint32_t mode = x >= 280 ? 1 : 0;
    if (mode == textMode_) return;
    textMode_ = mode;
    Redraw(1);
  } else if (x >= 39 && x <= 139 && canAutoUpgrade_) {
    AutoUpgradeDesign();
  }
}

void CDesignView::AutoUpgradeDesign() {
  if (readOnly_ || !canAutoUpgrade_) return;
  std::uint32_t hullChanged = 0;
  const int modules = design_->AutoUpgrade(&hullChanged);
  const std::string message =
      AutoUpgradeMessage(hullChanged != 0, modules, Text("HULL_UPG").c_str(), Text("MOD__UPG", modules).c_str());
  if (message.empty()) return;
  COkDlg box(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, message.c_str(),
             LocalGuild());
  designValid_ = design_->computerType;
  LoadSlotImages();
  saved_ = 0;
  Redraw(1);
}

namespace {
constexpr std::uint8_t kStateVersion = 2;
constexpr std::uint8_t kValidity = 0xFE;

bool WriteTemplate(BlockWriter& w, const CGUnitTemplate* t) {
  if (!t) return w.Write(std::uint8_t{0});
  return w.Write(std::uint8_t{1}) && t->Save(w) == 1;
}

// 1 with the template read (or none), 0 for a damaged block.
bool ReadTemplate(BlockReader& r, std::unique_ptr<CGUnitTemplate>& out) {
  std::uint8_t present = 0;
  r.Read(present);
  if (!r.Ok() || present > 1) return false;
  if (!present) return true;
  out = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(LocalChapterId(0)), 0);
  return out->Load(r) == 1;
}
}  // namespace

int CDesignView::SaveState(plat::FILE* file) {
  if (!file) return 0;
  BlockWriter w(file);
  bool ok = w.Write(kStateVersion) && w.Write(saved_) && w.Write(designSlot_) && WriteTemplate(w, design_.get()) &&
            w.Write(kValidity) && w.Write(designValid_) && WriteTemplate(w, readOnly_ ? keptDesign_.get() : nullptr) &&
            w.Write(kValidity) && w.Write(readOnly_) && w.Write(textMode_);
  CGUnit* unit = readOnly_ && g_gameData ? g_gameData->pieces.FindUnit(viewedUnitId_, nullptr) : nullptr;
  ok = ok && (unit ? w.Write(std::uint8_t{1}) && w.Write(unit->id) : w.Write(std::uint8_t{0}));
  return ok && w.Write(kValidity) ? 1 : 0;
}

int CDesignView::LoadState(plat::FILE* file) {
  if (!file) return 0;
  BlockReader r(file);
  std::uint8_t version = 0, slot = 0, valid = 0, check = 0, hasUnit = 0;
  std::uint32_t saved = 0, readOnly = 0, textMode = 0, unitId = 0xFFFFFFFFu;
  std::unique_ptr<CGUnitTemplate> design, kept;
  r.Read(version);
  if (!r.Ok() || version == 0 || version > kStateVersion) return 0;
  r.Read(saved);
  r.Read(slot);
  if (!r.Ok() || slot >= 15 || !ReadTemplate(r, design)) return 0;
  r.Read(check);
  if (check != kValidity) return 0;
  r.Read(valid);
  if (!ReadTemplate(r, kept)) return 0;
  r.Read(check);
  if (check != kValidity) return 0;
  r.Read(readOnly);
  if (version >= 2) r.Read(textMode);
  r.Read(hasUnit);
  if (hasUnit) r.Read(unitId);
  r.Read(check);
  if (!r.Ok() || check != kValidity) return 0;
  saved_ = saved ? 1 : 0;
  designSlot_ = slot;
  if (design) design_ = std::move(design);
  keptDesign_ = std::move(kept);
  designValid_ = valid;
  readOnly_ = readOnly ? 1 : 0;
  textMode_ = textMode ? 1 : 0;
  viewedUnitId_ = hasUnit ? unitId : 0xFFFFFFFFu;
  return 1;
}

void CDesignView::OpenHullChooser() {
  if (readOnly_ || chooserPage_ || !g_gameData) return;
  chooserKept_ = WorkingCopy(*design_);
  chooserKeptSaved_ = saved_;
  chooserKeptValid_ = designValid_;
  design_->Clear();
  designValid_ = 255;
  for (auto& image : slotImage_) image.reset();
  Redraw(0);
  chooserPage_ = 1;
  chooserClass_ = -1;
  chooserHovered_ = -1;
  DrawChooser(-1);
}

void CDesignView::DrawChooser(int hovered) {
  if (!SharedScreen().screenSprite) return;
  const int guild = LocalGuild();
  Redraw(0);
  ShadeViewportRect(0, 0, kViewportWidth, kViewportHeight, GetMediumColor(static_cast<std::uint32_t>(guild)), 50);
  // The prompt on a darker strip, over whatever the background writes there.
  ShadeViewportRect(1, 1, kViewportWidth - 1, 28, 0, 85);
  DrawScreenText(Text("SEL_HULL").c_str(), 0, 8, kViewportWidth, 0xFFFFFF, DT_CENTER, 1, 0);
  DrawScreenText(Text("_CANCEL_").c_str(), 0, 340, kViewportWidth, 0xFFFFFF, DT_CENTER, 1, 0);
  const std::string art = g_instData.GetGuildPath(guild);
  const int cells = chooserPage_ == 1 ? kChooserClassCells : chooserHullCount_;
  for (int n = 0; n < cells; ++n) {
    const ChooserCell c = chooserPage_ == 1 ? ClassCellOrigin(n) : HullCellOrigin(n);
    const HullOffer* offer = chooserPage_ == 2 ? &chooserHulls_[static_cast<std::size_t>(n)] : nullptr;
    const int unitClass = offer ? offer->hull->unitClass : n;
    const RECT cell{c.x, c.y, c.x + kChooserCellWidth, c.y + kChooserCellHeight};
    SharedScreen().screenSprite->Fade(60, 0, &cell);
    const char* abbr = GetUnitClassAbbreviation(unitClass);
    char path[300];
    std::snprintf(path, sizeof path, "%s%s_gt.ima", art.c_str(), abbr ? abbr : "");
    auto picture = LoadPicture(path, guild, kNoColourKey, 73, 65, 0, 0);
    if (picture) {
      if (offer && offer->percent < 100) picture->Fade(50, datapanel::kGrey, nullptr);
      picture->BltToSurface(SharedScreen().screenSprite, c.x + 6, c.y + 10, nullptr);
    }
    if (offer && offer->percent < 100) {
      auto overlay = LoadPicture(art + "hullrsch.ima", guild, 0, kCellWidth, kCellHeight, 0, 0);
      const RECT part{0, 0, 73, 65};
      if (overlay) overlay->BltToSurface(SharedScreen().screenSprite, c.x + 6, c.y + 10, &part);
    }
    const int vx = c.x - kViewportRect.left;
    const int vy = c.y - kViewportRect.top;
    if (offer) {
      DrawScreenText(offer->hull->name, vx + 2, vy + 80, kChooserCellWidth - 4,
                     offer->percent < 100 ? 0x008000 : 0x00FF00, DT_CENTER | DT_WORDBREAK, 0, 0);
      if (offer->percent < 100) {
        char percent[16];
        std::snprintf(percent, sizeof percent, "%d%%", offer->percent);
        DrawScreenText(percent, vx + 2, vy + 118, kChooserCellWidth - 4, 0x0000FF, DT_CENTER, 0, 0);
      }
    } else {
      DrawScreenText(GetUnitClassName(n), vx + 2, vy + 80, kChooserCellWidth - 4, 0x00FF00, DT_CENTER | DT_WORDBREAK, 0,
                     0);
    }
    const COLORREF frame = n == hovered ? 0xFFFFFF : 0x008000;
    DrawViewportLine(vx, vy, vx + kChooserCellWidth, vy, frame, 1);
    DrawViewportLine(vx + kChooserCellWidth, vy, vx + kChooserCellWidth, vy + kChooserCellHeight, frame, 1);
    DrawViewportLine(vx, vy + kChooserCellHeight, vx + kChooserCellWidth + 1, vy + kChooserCellHeight, frame, 1);
    DrawViewportLine(vx, vy, vx, vy + kChooserCellHeight, frame, 1);
  }
  AddDirtyRect(kViewportRect);
  FlushScreen();
}

void CDesignView::ChooserHover(int x, int y) {
  const int n = chooserPage_ == 1 ? ClassCellAt(x, y) : HullCellAt(x, y, chooserHullCount_);
  if (n == chooserHovered_) return;
  chooserHovered_ = n;
  DrawChooser(n);
  if (!SharedScreen().dataPanel || n < 0 || !g_gameData || !g_gameData->hullDB) return;
  if (chooserPage_ == 1) {
    std::array<CGHull*, kChooserHullCells> hulls{};
    const int count = ListResearchedClassHulls(*g_gameData->hullDB, LocalGuild(), n, hulls);
    SharedScreen().dataPanel->Clear(1);
    SharedScreen().dataPanel->ShowLine(GetUnitClassName(n), 0, 0, datapanel::kYellow);
    for (int i = 0; i < count; ++i)
      SharedScreen().dataPanel->ShowLine(hulls[static_cast<std::size_t>(i)]->name, 0, static_cast<std::uint16_t>(i + 2),
                                         datapanel::kGreen);
  } else {
    SharedScreen().dataPanel->ShowHullCosts(chooserHulls_[static_cast<std::size_t>(n)].hull);
  }
  FlushScreen();
}

void CDesignView::ChooserClick(int x, int y) {
  if (chooserPage_ == 1) {
    const int c = ClassCellAt(x, y);
    if (c < 0 || !g_gameData || !g_gameData->hullDB) {
      CloseHullChooser(nullptr);
      return;
    }
    chooserClass_ = c;
    chooserHullCount_ = ListClassHulls(*g_gameData->hullDB, LocalGuild(), c, chooserHulls_);
    chooserPage_ = 2;
    chooserHovered_ = -1;
    DrawChooser(-1);
    return;
  }
  const int n = HullCellAt(x, y, chooserHullCount_);
  const bool choosable = n >= 0 && chooserHulls_[static_cast<std::size_t>(n)].percent >= 100;
  CloseHullChooser(choosable ? chooserHulls_[static_cast<std::size_t>(n)].hull : nullptr);
}

void CDesignView::CloseHullChooser(CGHull* chosen) {
  if (chosen) {
    design_->SetHull(chosen);
    design_->SetName(chooserKept_ ? chooserKept_->GetName() : nullptr);
    saved_ = 0;
  } else if (chooserKept_) {
    design_->CopyDesign(*chooserKept_, -1);
    saved_ = chooserKeptSaved_;
    designValid_ = chooserKeptValid_;
  }
  chooserKept_.reset();
  chooserPage_ = 0;
  chooserHovered_ = -1;
  LoadSlotImages();
  if (!readOnly_) ShowDesignSlots();
  Redraw(1);
}
