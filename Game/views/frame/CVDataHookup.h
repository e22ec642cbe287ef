#pragma once
// Ties the data panel to the views above it: its row actions reach the
// current view's data-panel slots and its flushes the screen's. The view
// framework calls this once it has built the panel. Game thread only.

#include <cstdint>

class CVData;

void ConnectDataPanel(CVData& panel);
