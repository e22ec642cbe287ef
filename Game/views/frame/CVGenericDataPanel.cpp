// The view base's side of the data panel: clearing it when the selection
// changes, and the links through which its rows reach the current view.
#include "Game/app/AppGlobals.h"
#include "Game/panels/CVData.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/frame/CVGeneric.h"

namespace {

CVGeneric* CurrentView() { return dynamic_cast<CVGeneric*>(g_currentView); }

}  // namespace

void ConnectDataPanel(CVData& panel) {
  panel.links.dataPanelCommand = [](int row, std::uint32_t extra) {
    if (CVGeneric* view = CurrentView()) view->OnDataPanelCommand(row, extra);
  };
  panel.links.selectGuild = [](int guild) {
    if (CVGeneric* view = CurrentView()) view->OnSelectGuild(guild);
  };
  panel.links.selectChapter = [](std::uint32_t row) {
    if (CVGeneric* view = CurrentView()) view->OnSelectChapter(row);
  };
  panel.links.flushScreen = [] { FlushScreen(); };
}

void CVGeneric::RefreshDataPanel(int /*flag*/) {
  if (!g_dataPanel) return;
  g_dataPanel->Clear(1);
  FlushScreen();
}
