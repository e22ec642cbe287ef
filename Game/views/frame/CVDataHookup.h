#pragma once
// The view framework's side of the data panel: its row actions reach the
// current view's data-panel slots and its flushes the screen's; the rename
// prompt is the panel's own dialog. The framework hands this host to the
// panel it builds. Game thread only.

class IDataPanelHost;

IDataPanelHost& ViewDataPanelHost();
