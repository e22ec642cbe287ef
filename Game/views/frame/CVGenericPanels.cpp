// What the view base reaches in the screen's later parts: the saved view
// block and the data panel. Until those parts land each keeps its arguments
// and draws nothing; the calls stay where the base makes them.
#include "Game/views/frame/CVGeneric.h"

using namespace plat;

void CVGeneric::SaveSharedState(plat::FILE* /*file*/) {}
void CVGeneric::LoadSharedState(plat::FILE* /*file*/) {}
void CVGeneric::RefreshDataPanel(int /*flag*/) {}
void CVGeneric::OnDataPanelCommand(int /*row*/, std::uint32_t /*argument*/) {}
