#include "Game/panels/PanelFrame.h"

namespace {

IPanelFrame g_noFrame;
IPanelFrame* g_frame = &g_noFrame;

}  // namespace

IPanelFrame& PanelFrame() { return *g_frame; }

void RegisterPanelFrame(IPanelFrame* frame) { g_frame = frame ? frame : &g_noFrame; }
