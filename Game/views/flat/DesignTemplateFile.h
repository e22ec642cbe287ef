#pragma once
// Template files of the design chamber: a design written as it stands, and a
// file read back into a design of the local chapter and judged before the
// player's working copy takes anything from it. The rules of a design slot
// do not apply to files: an empty or too heavy design may be written. Game
// thread only.

#include <memory>

#include "Game/views/flat/CVDesignRules.h"

class CGUnitTemplate;

// Writes `design` into the file at `path` (created or replaced); 1 when the
// whole design was written, 0 when the file cannot be opened or written.
int WriteTemplateFile(const char* path, const CGUnitTemplate& design);

struct TemplateFileRead {
  // False when the file cannot be opened: nothing is said to the player.
  bool opened = false;
  TemplateFileVerdict verdict = TemplateFileVerdict::kDamaged;
  // The design read, for kAccept and kModulesRemoved (its unresearched
  // modules already taken out); null otherwise.
  std::unique_ptr<CGUnitTemplate> design;
};
// Reads the file at `path` as a design of `localChapter` and judges it.
TemplateFileRead ReadTemplateFile(const char* path, int localChapter);
