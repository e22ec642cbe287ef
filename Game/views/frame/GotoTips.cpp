#include "Game/views/frame/GotoTips.h"

#include <array>

#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "platform/dialog/tooltip.h"
#include "platform/user/queue.h"

using namespace plat;

namespace {

constexpr UINT_PTR kFirstTipId = 0x6010;

std::string Text(const char* id, const char* name = "") {
  char text[256] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, sizeof text - 1, name);
  return text;
}

}  // namespace

void SetGotoTip(int column, const std::string& text) {
  if (column < 0 || column >= kGotoColumns || !SharedScreen().tooltipWnd || !SharedScreen().viewWnd) return;
  std::string& shown = SharedScreen().gotoTipTexts[static_cast<std::size_t>(column)];
  if (shown == text) return;
  TOOLINFO info;
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = SharedScreen().viewWnd;
  info.uId = kFirstTipId + static_cast<UINT_PTR>(column);
  if (!shown.empty()) SendMessage(SharedScreen().tooltipWnd, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&info));
  shown = text;
  if (text.empty()) return;
  info.rect = RECT{GotoColumnLeft(column), 10, GotoColumnLeft(column) + 73, 75};
  info.lpszText = text.c_str();
  SendMessage(SharedScreen().tooltipWnd, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info));
}

void ForgetGotoTips() { SharedScreen().gotoTipTexts.fill({}); }

std::string GotoTipText(const GotoEntry& entry) {
  switch (entry.kind) {
    case GOTO_ASTEROID:
    case GOTO_TERRAIN_ASTEROID: {
      CGAsteroid* asteroid = g_gameData ? g_gameData->solarDB.GetAsteroid(entry.id) : nullptr;
      return Text("GOTOASTR", asteroid ? asteroid->GetName() : "");
    }
    case GOTO_SOLAR:
      return Text("GOTOSOLR");
    case GOTO_UNIT: {
      CGUnit* unit = g_gameData ? g_gameData->pieces.FindUnit(entry.id, nullptr) : nullptr;
      return Text("GOTOUNIT", unit ? unit->GetName() : "");
    }
    case GOTO_DESIGN:
      return Text("GOTODESN");
    case GOTO_EMPTY:
      return Text("GOTOEMPT");
    default:
      return {};
  }
}
