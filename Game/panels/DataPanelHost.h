#pragma once
// What the data panel asks of the views above it: its row actions, the
// screen flush and the rename prompt. The view framework implements it and
// hands it to the panel it builds; a panel built without one gets the
// default, whose actions and flush do nothing and whose prompt is the
// panel's own name dialog. Game thread only.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/types.h"

class CDDraw;

class IDataPanelHost {
 public:
  virtual ~IDataPanelHost() = default;
  // The current view's data-panel command for a row, with the click's extra.
  virtual void DataPanelCommand(int /*row*/, std::uint32_t /*extra*/) {}
  // A row of the guild list, then of the chosen guild's chapter list.
  virtual void SelectGuild(int /*guild*/) {}
  virtual void SelectChapter(std::uint32_t /*row*/) {}
  // Shows what the panel drew.
  virtual void FlushScreen() {}
  // The one-line name prompt over the panel's display, window and instance:
  // true on OK with `text` the answer. The default runs the name dialog.
  virtual bool EnterName(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, std::string_view prompt,
                         int guild, std::string* text);
};

// The host of a panel built without one.
IDataPanelHost& DefaultDataPanelHost();
