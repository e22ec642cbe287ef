#pragma once
// The names a resource script may use for window, dialog and control styles
// and for the standard command identifiers, built in so scripts need no
// system header.

#include <cstdint>
#include <optional>
#include <string_view>

namespace rc {

std::optional<std::uint32_t> LookUpStyleName(std::string_view name);

}  // namespace rc
