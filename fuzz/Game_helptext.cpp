// The help text of a "HELP" resource: whatever its length field claims, the
// text read stays within the resource and ends with the added line feed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/views/frame/CHelpLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto text = HelpTopicText(std::span<const std::uint8_t>(data, size));
  if (!text) return 0;
  if (text->empty() || text->back() != '\n' || text->size() > size - 3) std::abort();
  return 0;
}
