#pragma once
// Contact sheets: every picture of a module on one PNG, scaled into cells and
// named underneath, for people to look over the art at a glance.

#include <filesystem>
#include <string>
#include <vector>

#include "tools/art/imagefiles.h"

namespace art {

struct SheetEntry {
  std::string name;
  const Pixels* pixels = nullptr;  // not owned
};

// Throws std::runtime_error when the PNG cannot be written.
void WriteContactSheet(const std::vector<SheetEntry>& entries, const std::string& title,
                       const std::filesystem::path& png);

}  // namespace art
