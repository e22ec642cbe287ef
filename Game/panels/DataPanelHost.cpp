#include "Game/panels/DataPanelHost.h"

#include <cstdio>

#include "Game/dialogs/CDEnterNameDlg.h"

bool IDataPanelHost::EnterName(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, std::string_view prompt,
                               int guild, std::string* text) {
  char buffer[kNameBufferSize] = {};
  std::snprintf(buffer, sizeof buffer, "%s", text->c_str());
  std::uint32_t success = 0;
  CDEnterNameDlg dialog(display, window, instance, prompt, guild, buffer, &success);
  // The dialog hands back what was typed on Cancel too; only OK answers.
  *text = buffer;
  return success == 1;
}

IDataPanelHost& DefaultDataPanelHost() {
  static IDataPanelHost host;
  return host;
}
