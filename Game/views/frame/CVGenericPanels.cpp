// What the view base reaches in the data panel. Until it lands each keeps its
// arguments and draws nothing; the calls stay where the base makes them.
#include "Game/views/frame/CVGeneric.h"

using namespace plat;

void CVGeneric::OnDataPanelCommand(int /*row*/, std::uint32_t /*argument*/) {}
