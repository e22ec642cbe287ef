// The solar view's asteroid filters, their buttons and the future-view
// button, the filter halos and labels, and the asteroids the player marked.
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GZone.h"
#include "Game/panels/CVData.h"
#include "Game/views/frame/LocalGuildArt.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/user/focus.h"
#include "platform/user/window.h"

using namespace plat;
using namespace orders;

namespace {

constexpr std::uint16_t kMarkedHalo = 0;
constexpr std::uint16_t kFilterHalo = 4;
constexpr std::uint8_t kWaitingForGuild = 4;
constexpr std::uint8_t kWaitingForChapter = 5;
constexpr std::uint8_t kZoneUnsurveyed = 253;
constexpr std::uint16_t kNone = 0xFFFF;

constexpr const char* kWords[kSolarFilterCount] = {"mine_", "loyal",  "rebel",  "unclm", "chap_",
                                                   "guild", "prsnce", "ecngrd", "size",  "pwrcof"};

// The status texts of filters 0 (none) to 10, plain and with Shift.
struct FilterText {
  const char* plain;
  const char* inverted;
};
constexpr FilterText kFilterTexts[] = {{"FILTNONE", "FILTNONE"}, {"FILTALLA", "IFLTNONE"}, {"FILTLOYL", "IFLTLOYL"},
                                       {"FILTREBL", "IFLTREBL"}, {"FILTUNSV", "IFLTUNSV"}, {"FILTCHAP", "IFLTCHAP"},
                                       {"FILTGILD", "IFLTGILD"}, {"FILTPRES", "FILTPRES"}, {"FILTECON", "FILTECON"},
                                       {"FILTSIZE", "FILTSIZE"}, {"FILTPOWR", "FILTPOWR"}};

CGChapter* Chapter(std::uint32_t id) {
  return g_gameData && g_gameData->guildList && id != kNone ? g_gameData->guildList->GetChapter(id) : nullptr;
}

bool Unsurveyed(CGAsteroid* a) {
  const CGZone* zone = a->GetZoneCount() > 0 ? a->GetZone(0) : nullptr;
  return zone && zone->owner == kZoneUnsurveyed;
}

}  // namespace

// --- buttons ---

void CVSolar::CreateButtons(HWND window, HINSTANCE instance) {
  auto make = [&](std::uint32_t id, int x, int y, int w, const char* tipId, const std::string& normal,
                  const std::string& pressed, std::uint32_t help) {
    char tip[256] = {};
    if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(tipId, tip, 255);
    auto* button = new CImageButton();
    button->Create(SharedScreen().viewDDraw, window, instance, SharedScreen().tooltipWnd, tip, static_cast<int>(id), x,
                   y, w, 24, static_cast<DWORD>(-1), help, LocalGuildArtModule());
    button->SetImages(normal.c_str(), pressed.c_str());
    if (button->window) ShowWindow(button->window, SW_HIDE);
    return button;
  };
  for (int i = 0; i < kSolarFilterCount; ++i) {
    char tipId[24], normal[48], pressed[48];
    std::snprintf(tipId, sizeof tipId, "SFLTBTN%d", i);
    if (i < 6) {
      std::snprintf(normal, sizeof normal, "solview\\sf%sd.ima", kWords[i]);
      std::snprintf(pressed, sizeof pressed, "solview\\sf%su.ima", kWords[i]);
    } else {
      std::snprintf(normal, sizeof normal, "solview\\%sup.ima", kWords[i]);
      std::snprintf(pressed, sizeof pressed, "solview\\%sdn.ima", kWords[i]);
    }
    const int x = i < 6 ? 637 + 25 * i : 687 + 25 * (i - 6);
    const int y = i < 6 ? 494 : 518;
    filterButtons[static_cast<std::size_t>(i)] =
        make(kFirstSolarFilterId + static_cast<std::uint32_t>(i), x, y, 25 + i % 2, tipId, LocalGuildArt(normal),
             LocalGuildArt(pressed), 228 + static_cast<std::uint32_t>(i));
  }
  futureButton = make(kFutureButtonId, 637, 518, 51, "VSFVSTRT", LocalGuildArt("solview\\futureup.ima"),
                      LocalGuildArt("solview\\futuredn.ima"), 238);
}

void CVSolar::ShowButtons(bool show) {
  auto set = [show](CImageButton* b) {
    if (b && b->window) ShowWindow(b->window, show ? SW_SHOW : SW_HIDE);
  };
  for (CImageButton* b : filterButtons) set(b);
  set(futureButton);
}

void CVSolar::UpdateControlPanel() {
  CVGeneric::UpdateControlPanel();
  ShowButtons(!SharedScreen().infoPanelVisible);
  if (SharedScreen().infoPanelVisible) return;
  for (CImageButton* b : filterButtons) DrawButton(b);
  DrawButton(futureButton);
  FlushScreen();
}

void CVSolar::OnDrawItem(DRAWITEMSTRUCT* item) {
  if (!item) return;
  const std::uint32_t id = item->CtlID;
  CImageButton* b = nullptr;
  if (id >= kFirstSolarFilterId && id < kFirstSolarFilterId + kSolarFilterCount)
    b = filterButtons[id - kFirstSolarFilterId];
  else if (id == kFutureButtonId)
    b = futureButton;
  else if (id >= control::kFutureRun && id <= control::kFutureRestart)
    b = ControlButton(id);
  DrawButtonItem(b, *item);
}

LRESULT CVSolar::OnCommand(std::uint32_t id) {
  if (id < kFirstSolarFilterId || id > control::kFutureRestart) return 0;
  if (startScreenShown && id != kToggleInfoPanelCommand) {
    LeaveStartScreen();
    if (id == kFutureButtonId) return 1;
  }
  auto toggleFuture = [this] {
    if (futureButton) {
      futureButton->Toggle();
      DrawButton(futureButton);
    }
    ToggleFutureView();
  };
  if (id < kFutureButtonId) {
    SelectFilter(static_cast<int>(id - kFirstSolarFilterId));
  } else if (id == kFutureButtonId) {
    if (!SharedScreen().infoPanelVisible) toggleFuture();
  } else if (id == kToggleInfoPanelCommand) {
    if (SharedScreen().futureView) toggleFuture();
  } else if (id == control::kFutureRun || id == control::kFuturePause) {
    FutureViewCommand(4);
  } else if (id == control::kFutureForward || id == control::kFutureBack) {
    if (!SharedScreen().futureView) toggleFuture();
    FutureViewCommand(id == control::kFutureForward ? 1 : 3);
  } else {
    FutureViewCommand(5);
  }
  SetFocus(SharedScreen().viewWnd);
  return 1;
}

// --- filters ---

void CVSolar::SelectFilter(int button) {
  Tell(*this, "PROSCCMD");
  Render(-1);
  filterInverted = ShiftHeld() ? 1 : 0;
  ClearFilterHalos();
  if (activeFilter) {
    if (SharedScreen().pendingOrderOption == kWaitingForChapter) selectedChapter = 255;
    if (SharedScreen().pendingOrderOption == kWaitingForGuild ||
        SharedScreen().pendingOrderOption == kWaitingForChapter) {
      SharedScreen().pendingOrderOption = 255;
      RefreshDataPanel(1);
    }
    if (CImageButton* b = activeFilter <= kSolarFilterCount ? filterButtons[activeFilter - 1u] : nullptr) {
      b->Toggle();
      DrawButton(b);
    }
  }
  if (button < 0 || button >= kSolarFilterCount || button + 1 == activeFilter) {
    activeFilter = 0;
  } else {
    activeFilter = static_cast<std::uint16_t>(button + 1);
    if (CImageButton* b = filterButtons[static_cast<std::size_t>(button)]) {
      b->Toggle();
      DrawButton(b);
    }
  }
  if (activeFilter == 5) {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowGuildList();
    SharedScreen().pendingOrderOption = kWaitingForGuild;
    Tell(*this, "SELCTGLD");
    if (selectedChapter == 255) {
      FlushScreen();
      return;
    }
  }
  FlushScreen();
  ShowFilterStatus();
  ApplyFilterHalos();
}

void CVSolar::ShowGuildMenu() {
  // The filters in turn: past the last, none.
  SelectFilter(activeFilter >= kSolarFilterCount ? -1 : activeFilter);
}

void CVSolar::OnSelectGuild(int guild) {
  ClearFilterHalos();
  SharedScreen().chosenGuild = static_cast<std::uint8_t>(guild);
  selectedChapter = static_cast<std::uint16_t>(guild * 8);
  SharedScreen().pendingOrderOption = SharedScreen().dataPanel
                                          ? static_cast<std::uint8_t>(SharedScreen().dataPanel->ShowGuildMembers(guild))
                                          : kWaitingForChapter;
  Tell(*this, "SELCTCHP");
}

void CVSolar::OnSelectChapter(std::uint32_t slot) {
  selectedChapter = static_cast<std::uint16_t>(selectedChapter + slot);
  ShowFilterStatus();
  ApplyFilterHalos();
  SharedScreen().pendingOrderOption = 255;
  RefreshDataPanel(1);
}

void CVSolar::ShowFilterStatus() {
  // A saved block cannot bring a filter past 10; the table covers them all.
  if (activeFilter >= std::size(kFilterTexts)) return;
  const FilterText& t = kFilterTexts[activeFilter];
  const char* id = filterInverted == 1 ? t.inverted : t.plain;
  char text[kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) {
    if (activeFilter == 5) {
      const CGChapter* chapter = Chapter(selectedChapter);
      const char* name = chapter && chapter->name ? chapter->name.get() : "";
      g_gameData->textIndex->GetText(id, text, kTextSize, name);
    } else {
      g_gameData->textIndex->GetText(id, text, kTextSize);
    }
  }
  SetStatusText(text, kStatusTime);
}

int CVSolar::FilterAsteroid(std::uint32_t number, std::uint16_t* owner, char* label, std::uint16_t* previousOwner) {
  CGAsteroid* a = g_gameData && number < SolarLocation() ? g_gameData->solarDB.GetAsteroid(number) : nullptr;
  if (!a) return 0;
  *owner = a->owner;
  const std::uint16_t local = LocalChapterId();
  const auto n = static_cast<std::uint16_t>(number);
  constexpr std::size_t kLabel = 64;
  bool pass = false;
  switch (activeFilter) {
    case 1:
      pass = a->owner == local || g_gameData->pieces.CountOperationalUnits(n, static_cast<std::int16_t>(local)) > 0 ||
             a->IsChapterPresent(static_cast<std::uint8_t>(local)) != 0;
      break;
    case 2:
    case 3: {
      const CGChapter* c = (a->owner >> 3) == (local >> 3) ? Chapter(a->owner) : nullptr;
      const bool rebel = c && (c->renegade != 0 || c->camp != 0);
      pass = c && (activeFilter == 2 ? !rebel : rebel);
      break;
    }
    case 4:
      pass = Unsurveyed(a);
      break;
    case 5:
      if (previousOwner) *previousOwner = a->previousOwner;
      if (a->owner == selectedChapter) {
        pass = true;
        if (previousOwner && a->previousOwner != selectedChapter) *owner = kNone;
      } else {
        pass = a->previousOwner == selectedChapter;
      }
      break;
    case 6:
      pass = a->owner != kNone;
      break;
    case 7:
      if (g_gameData->pieces.CountOperationalUnits(n, -1) == 0) return 0;
      if (label) std::snprintf(label, kLabel, "%s", a->GetName());
      return 1;
    case 8:
      if (Unsurveyed(a)) return 0;
      if (label) std::snprintf(label, kLabel, "%s", a->GetCompositionCode());
      return 1;
    case 9:
      if (label) a->GetSizeText(label);
      return 1;
    case 10: {
      if (Unsurveyed(a)) return 0;
      int p = -1;
      switch (a->owner == kNone ? kNone : a->owner >> 3) {
        case 1:
          p = a->kinetic;
          break;
        case 2:
          p = a->GetThermalCoefficient();
          break;
        case 3:
          p = a->GetRadiationCoefficient();
          break;
        case 4:
          p = a->spin;
          break;
        default:
          break;
      }
      char text[kLabel];
      if (!PowerFilterLabel(p, a->GetChapterPowerOutput(local), text, sizeof text)) return 0;
      if (label) std::snprintf(label, kLabel, "%s", text);
      return 1;
    }
    default:
      return 0;
  }
  if (filterInverted == 1) pass = !pass;
  if (pass && label) std::snprintf(label, kLabel, "%s", a->GetName());
  return pass ? 1 : 0;
}

void CVSolar::ApplyFilterHalos() {
  if (!activeFilter || CVAstSpace::labelsOn || !displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* object = n->object;
    if (object->GetType() != DISP_ASTEROID || marks.IsMarked(object->key.id)) continue;
    std::uint16_t owner = kNone;
    if (FilterAsteroid(object->key.id, &owner, nullptr, nullptr)) MarkObject(object, kFilterHalo, owner);
  }
}

void CVSolar::ClearFilterHalos() {
  if (!activeFilter || CVAstSpace::labelsOn || !displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_ASTEROID && n->object->HasHalo()) UnmarkObject(n->object, kFilterHalo);
}

void CVSolar::ToggleUnitHalos() {
  if (!CVAstSpace::labelsOn) {
    ClearFilterHalos();
    CVAstSpace::labelsOn = 1;
  } else {
    CVAstSpace::labelsOn = 0;
    ApplyFilterHalos();
  }
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

void CVSolar::DrawFilterLabels() {
  if (!CVAstSpace::labelsOn || SharedScreen().infoPanelVisible || !displayList) return;
  // No filter, no label out of view: the lamp a filter lit goes out with it.
  if (!activeFilter) {
    ShowLampFrame8();
    return;
  }
  bool allInView = true;
  const std::uint16_t local = LocalChapterId();
  const int owners = 32 + (g_gameData ? g_gameData->chaptersPerGuild : 0);
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* object = n->object;
    if (object->GetType() != DISP_ASTEROID) continue;
    std::uint16_t owner = kNone, previous = kNone;
    char label[64] = {};
    if (!FilterAsteroid(object->key.id, &owner, label, &previous)) continue;
    int x = 0, y = 0;
    object->GetScreenPosition(&x, &y);
    if (x == 0x7FFF) {
      allInView = false;
      continue;
    }
    if (x > kViewportWidth || y >= kViewportHeight || x <= 0 || y <= 0) allInView = false;
    std::uint32_t colour = 0xFFFFFF;
    if (owner < owners) {
      const std::uint32_t guild = owner >> 3u;
      if (activeFilter == 5 && owner != previous)
        colour = GetPaleColor(guild);
      else
        colour = owner == local ? GetFullColor(guild) : GetBrightColor(guild);
    }
    DrawViewportText(label, x + 1, y + 3, static_cast<int>(std::strlen(label)) * 8, colour, 0x20, 0, 1);
  }
  if (allInView)
    ShowLampFrame8();
  else
    ShowLampFrame4();
}

void CVSolar::HandleObjectPick(CVDispObj* object) {
  if (!object || object->GetType() != DISP_ASTEROID) return;
  if (marks.IsMarked(object->key.id))
    MarkObject(object, kMarkedHalo, LocalChapterId());
  else
    DecorateAsteroid(object);
}

void CVSolar::DecorateAsteroid(CVDispObj* object) {
  std::uint16_t owner = kNone;
  if (!CVAstSpace::labelsOn && FilterAsteroid(object->key.id, &owner, nullptr, nullptr))
    MarkObject(object, kFilterHalo, owner);
}

// --- marks ---

void CVSolar::ClearMarks() {
  std::uint16_t asteroid = 0;
  for (std::size_t i = marks.Count(); i-- > 0;) {
    if (!marks.At(i, &asteroid)) continue;
    UnmarkObject(ObjectOf(DISP_ASTEROID, asteroid), kMarkedHalo);
  }
  marks.Clear();
}

void CVSolar::ApplyMarkHalos() {
  if (!displayList || marks.Count() == 0) return;
  std::size_t done = 0;
  for (CVDispNode* n = displayList->head; n && done < marks.Count(); n = n->next) {
    if (n->object->GetType() != DISP_ASTEROID || !marks.IsMarked(n->object->key.id)) continue;
    MarkObject(n->object, kMarkedHalo, LocalChapterId());
    ++done;
  }
}

bool CVSolar::HasMarkedAsteroid(std::uint16_t* asteroid) const {
  return marks.FirstOutside(SharedScreen().gotoSlots, asteroid);
}
