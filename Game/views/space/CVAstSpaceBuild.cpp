// The asteroid-space view's end of a construct or modify order: the template
// picked in the data panel is ordered from every selected constructor.
#include "Game/base/TraceError.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"
#include "Game/views/space/CVAstSpace.h"

using namespace orders;

namespace {

constexpr int kFixedSlots = 15;

}  // namespace

void CVAstSpace::OnDataPanelCommand(int row, std::uint32_t /*argument*/) {
  SharedScreen().pendingOrderOption = 0xFF;
  SharedScreen().templateSlot = static_cast<std::uint32_t>(row);
  ClearOrderTargetMarker(nullptr);
  if (SharedScreen().commandUnitId == 0xFFFFFFFF || !g_gameData) {
    TraceError("CVAstSpace - a template picked with no constructor", __FILE__, __LINE__);
    return;
  }
  const CGUnitTemplate* design =
      row >= 0 && row < kFixedSlots ? g_gameData->templates.GetTemplate(LocalChapterId(), row, 1) : nullptr;
  if (!design) {
    Tell(*this, "CNSTFLD2");
    RefreshDataPanel(0);
  } else {
    CGUnit* target = SharedScreen().modifyTargetId == 0xFFFFFFFF
                         ? nullptr
                         : g_gameData->pieces.FindUnit(SharedScreen().modifyTargetId, nullptr);
    if (target && !target->IsOperational()) target = nullptr;
    const std::uint8_t insert = InsertMode();
    for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
      std::uint16_t kind = 0;
      std::uint32_t id = 0;
      if (!g_gameData->GetSelectionAt(i, &kind, &id, nullptr) || kind != SEL_UNIT) continue;
      CGUnit* unit = FindUnitNear(currentAsteroid, id);
      if (!unit) {
        Tell(*this, "CNSTFLD1");
      } else if (unit->GetConstructionCapacity() == 0) {
        Tell(*this, "CNSTFLD3", kVoiceCannotConstruct);
      } else if (!unit->CanAffordFixedTemplate(row, false, target)) {
        if (!target)
          Tell(*this, "CNSTFLD4", kVoiceNoMinerals);
        else
          Tell(*this, unit->IsSameClassAsFixedTemplate(row, target) ? "MDFYFLD3" : "MDFYFLD4");
      } else if (SharedScreen().commandMode == ORDER_BUILD_SHIP) {
        if (unit->IssueOrder(ORDER_BUILD_SHIP, design->templateId, insert, nullptr, true) > 0)
          Tell(*this, "CNSTINIT", kVoiceConstructed);
        else
          Tell(*this, "CNSTFLD5", kVoiceConstructFailed);
      } else if (!target) {
        Tell(*this, "MDFYFLD1", kVoiceModifyTargetGone);
      } else {
        // The second selected constructor joins the modification unchecked.
        const bool checks = i != 1;
        if (unit->IssueOrder(ORDER_MODIFY_SHIP, design->templateId, insert, target, checks) > 0)
          Tell(*this, "MDFYINIT", kVoiceModified);
        else
          Tell(*this, "MDFYFLD2", kVoiceModifyFailed);
      }
    }
    RefreshDataPanel(1);
  }
  UnmarkSelection();
  g_gameData->ClearSelection();
  SharedScreen().templateSlot = kNoTemplateSlot;
  ResetMode();
  UpdateCursor();
}
