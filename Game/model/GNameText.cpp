#include "Game/model/GNameText.h"

#include "Game/base/GBlockStream.h"

bool NameText::Read(BlockReader& r) {
  std::uint8_t length = 0;
  if (!r.Read(length)) return false;
  if (length == 0) {
    reset();
    return true;
  }
  // From memory the characters are copied straight from the source's bytes.
  char scratch[255];
  const auto bytes = r.Block({reinterpret_cast<std::uint8_t*>(scratch), length});
  if (bytes.empty()) return false;
  Assign(reinterpret_cast<const char*>(bytes.data()), length);
  return true;
}
