// The view base's side of the data panel: clearing it when the selection
// changes, the template picked in its list for a construct or modify order,
// and the host through which its rows reach the current view.
#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"

using namespace orders;

namespace {

CVGeneric* CurrentView() { return dynamic_cast<CVGeneric*>(g_currentView); }

class ViewHost final : public IDataPanelHost {
 public:
  void DataPanelCommand(int row, std::uint32_t extra) override {
    if (CVGeneric* view = CurrentView()) view->OnDataPanelCommand(row, extra);
  }
  void SelectGuild(int guild) override {
    if (guild < 0 || guild >= kGuildCount) return;
    SharedScreen().chosenGuild = static_cast<std::uint8_t>(guild);
    if (CVGeneric* view = CurrentView()) view->OnSelectGuild(guild);
  }
  void SelectChapter(std::uint32_t row) override {
    if (CVGeneric* view = CurrentView()) view->OnSelectChapter(row);
  }
  void FlushScreen() override { ::FlushScreen(); }
};

}  // namespace

IDataPanelHost& ViewDataPanelHost() {
  static ViewHost host;
  return host;
}

void CVGeneric::RefreshDataPanel(int /*flag*/) {
  if (!SharedScreen().dataPanel) return;
  SharedScreen().dataPanel->Clear(1);
  FlushScreen();
}

void CVGeneric::OnDataPanelCommand(int row, std::uint32_t /*argument*/) {
  SharedScreen().pendingOrderOption = 0xFF;
  SharedScreen().templateSlot = static_cast<std::uint32_t>(row);
  RefreshDataPanel(1);
  if (SharedScreen().commandUnitId == 0xFFFFFFFF || !g_gameData) return;
  // Every way out of a refused pick forgets the slot and ends the mode.
  const auto giveUp = [this] {
    SharedScreen().templateSlot = kNoTemplateSlot;
    ResetMode();
    UpdateCursor();
  };
  const std::uint32_t commanderId = SharedScreen().commandUnitId;
  CGUnit* commander = g_gameData->pieces.FindUnit(commanderId, nullptr);
  const CGUnitTemplate* design =
      commander ? g_gameData->templates.GetTemplate(static_cast<int>(commander->GetChapter()), row, 1) : nullptr;
  if (!commander || !commander->IsOperational() || !design) {
    Tell(*this, !commander || !commander->IsOperational() ? "CNSTFLD1" : "CNSTFLD2");
    RefreshDataPanel(0);
    g_gameData->RemoveFromSelection(GOTO_UNIT, commanderId);
    HighlightObject(GOTO_UNIT, commanderId);
    giveUp();
    return;
  }
  if (commander->GetConstructionCapacity() == 0) {
    Tell(*this, "CNSTFLD3", kVoiceCannotConstruct);
    giveUp();
    return;
  }
  CGUnit* target = SharedScreen().modifyTargetId == 0xFFFFFFFF
                       ? nullptr
                       : g_gameData->pieces.FindUnit(SharedScreen().modifyTargetId, nullptr);
  if (!commander->CanAffordFixedTemplate(row, false, target)) {
    if (!target)
      Tell(*this, "CNSTFLD4", kVoiceNoMinerals);
    else
      Tell(*this, commander->IsSameClassAsFixedTemplate(row, target) ? "MDFYFLD3" : "MDFYFLD4");
    giveUp();
    return;
  }
  const std::uint8_t insert = InsertMode();
  if (SharedScreen().commandMode == ORDER_BUILD_SHIP) {
    if (commander->IssueOrder(ORDER_BUILD_SHIP, design->templateId, insert, nullptr, true) > 0)
      Tell(*this, "CNSTINIT", kVoiceConstructed);
    else
      Tell(*this, "CNSTFLD5", kVoiceConstructFailed);
  } else {
    if (!target || !target->IsOperational()) {
      Tell(*this, "MDFYFLD1", kVoiceModifyTargetGone);
      UpdateSelectionDisplay(1);
      return;
    }
    if (commander->IssueOrder(ORDER_MODIFY_SHIP, design->templateId, insert, target, true) > 0)
      Tell(*this, "MDFYINIT", kVoiceModified);
    else
      Tell(*this, "MDFYFLD2", kVoiceModifyFailed);
  }
  RefreshDataPanel(0);
  g_gameData->ClearSelection();
  ResetMode();
  UpdateCursor();
}
