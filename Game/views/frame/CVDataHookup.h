#pragma once
// Ties the data panel to the views above it: its row actions reach the
// current view's data-panel slots and its flushes the screen's. The view
// framework calls this once it has built the panel. Game thread only.

#include <cstdint>

class CVData;

// The fixed template slot 0..14 last picked in the data panel's template
// list for a construct or modify order; 255 none.
extern std::uint32_t g_templateSlot;

// The guild last picked in the data panel's guild list (0..4), whose chapters
// the panel lists while it waits for a chapter (data-panel mode 5).
extern std::uint8_t g_chosenGuild;

void ConnectDataPanel(CVData& panel);
