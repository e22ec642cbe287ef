#pragma once
// Text fields of the rules files: the text in a field of a fixed size.

#include <cstddef>
#include <string_view>

#include "platform/core/bytes.h"

namespace rulesdata {

// The text cut to `size` bytes, the rest of the field zeros (the caller keeps
// it shorter, so the field ends with a NUL).
inline void WriteFixedText(plat::ByteWriter& w, std::string_view text, std::size_t size) {
  const std::string_view kept = text.substr(0, size);
  w.Chars(kept);
  w.Zeros(size - kept.size());
}

}  // namespace rulesdata
