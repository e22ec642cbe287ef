// What the view base reaches in the screen's later parts: the saved view
// block, the order menus and modes, the popup menu, the data panel and the
// in-game dialogs. Until those parts land each keeps its arguments and draws
// nothing; the calls stay where the base makes them.
#include "Game/views/frame/CVGeneric.h"

using namespace plat;

void ReleasePopupMenu(CPopupMenu* /*menu*/) {}

void CVGeneric::ShowOrderMenu(int /*kind*/, std::uint32_t /*id*/, int /*x*/, int /*y*/) {}
LRESULT CVGeneric::OnMenuCommand(std::uint32_t /*id*/) { return 0; }
void CVGeneric::DrawMenuItem(DRAWITEMSTRUCT* /*item*/) {}
void CVGeneric::OnMenuSelect(HMENU /*menu*/, std::uint32_t /*item*/) {}
int CVGeneric::SelectUnitForOrder() { return 0; }
int CVGeneric::SelectObject(int /*kind*/, std::uint32_t /*id*/) { return 0; }
int CVGeneric::PickTarget(int /*kind*/, std::uint32_t /*id*/) { return 0; }
int CVGeneric::ExecuteOrderMode(int /*kind*/, std::uint32_t /*id*/) { return 0; }
void CVGeneric::UpdateSelectionDisplay(int /*flag*/) {}
void CVGeneric::DeleteAllOrders() {}
void CVGeneric::RefreshDataPanel(int /*flag*/) {}
void CVGeneric::OnDataPanelCommand(int /*row*/, std::uint32_t /*argument*/) {}
