#pragma once
// Context help: the numbered help texts of "help.dll" in the help directory,
// shown in a modal help window at the mouse. A missing module or topic shows
// nothing. Game thread only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/core/types.h"

class CDDraw;

// The text of a "HELP" resource: a u32 length (1 or more), then that many
// bytes of text, ending early at a NUL; a line feed is added. The length is
// bounded by the resource's own size. Nothing for a resource too short for
// its length field or a length of 0.
std::optional<std::string> HelpTopicText(std::span<const std::uint8_t> resource);

class CHelpLibrary {
 public:
  // Loads "help.dll" from the help directory; without it no topic exists.
  CHelpLibrary();
  ~CHelpLibrary();
  CHelpLibrary(const CHelpLibrary&) = delete;
  CHelpLibrary& operator=(const CHelpLibrary&) = delete;

  // The text of topic `topic` ("HELP" "#topic"), or nothing.
  std::optional<std::string> LoadTopicText(std::uint32_t topic) const;
  // Shows the topic modally over `window` and gives the focus back to it;
  // shows nothing without a text. Always 1.
  int ShowTopic(CDDraw* owner, plat::HWND window, plat::HINSTANCE instance, std::uint32_t topic, int x, int y,
                int flag) const;

  plat::HMODULE module = nullptr;
};
