#include "Game/views/frame/CHelpLibrary.h"

#include <algorithm>
#include <string>

#include "Game/base/GInstData.h"
#include "Game/dialogs/CDHelpDlg.h"
#include "platform/resource/module.h"
#include "platform/user/focus.h"
#include "platform/user/system.h"

using namespace plat;

std::optional<std::string> HelpTopicText(std::span<const std::uint8_t> resource) {
  if (resource.size() < 4) return std::nullopt;
  const std::uint32_t stored = static_cast<std::uint32_t>(resource[0]) | static_cast<std::uint32_t>(resource[1]) << 8 |
                               static_cast<std::uint32_t>(resource[2]) << 16 |
                               static_cast<std::uint32_t>(resource[3]) << 24;
  if (stored < 1) return std::nullopt;
  // A damaged resource may claim more than it holds: only its own bytes are read.
  const auto text = resource.subspan(4, std::min<std::size_t>(stored, resource.size() - 4));
  const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
  std::string result(text.begin(), end);
  result += '\n';
  return result;
}

CHelpLibrary::CHelpLibrary() {
  const std::string path = std::string(g_instData.GetHelpPath()) + "help.dll";
  module = LoadLibrary(path.c_str());
}

CHelpLibrary::~CHelpLibrary() {
  if (module) FreeLibrary(module);
}

std::optional<std::string> CHelpLibrary::LoadTopicText(std::uint32_t topic) const {
  if (!module) return std::nullopt;
  const std::string name = "#" + std::to_string(topic);
  HRSRC found = FindResource(module, name, "HELP");
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const BYTE* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  auto text = HelpTopicText({bytes, SizeofResource(module, found)});
  FreeResource(loaded);
  return text;
}

// The help window of the dialogs is not part of the game yet: the system's
// message box shows the text meanwhile, with its first line (the title) as
// the caption.
int CHelpLibrary::ShowTopic(CDDraw* /*owner*/, HWND window, HINSTANCE /*instance*/, std::uint32_t topic, int x, int y,
                            int /*flag*/) const {
  const auto text = LoadTopicText(topic);
  if (!text) return 1;
  RunHelpDialog(text->c_str(), x, y);
  SetFocus(window);
  return 1;
}
