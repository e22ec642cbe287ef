#include "Game/views/flat/DesignTemplateFile.h"

#include <cstdint>

#include "Game/base/GInstData.h"
#include "Game/rules/GUnitTem.h"

int WriteTemplateFile(const char* path, const CGUnitTemplate& design) {
  plat::FILE* fp = path ? OpenDataFile(path, "wb") : nullptr;
  if (!fp) return 0;
  const int written = design.Save(fp);
  const bool closed = plat::fclose(fp) == 0;
  return written == 1 && closed ? 1 : 0;
}

TemplateFileRead ReadTemplateFile(const char* path, int localChapter) {
  TemplateFileRead read;
  plat::FILE* fp = path ? OpenDataFile(path, "rb") : nullptr;
  if (!fp) return read;
  read.opened = true;
  // Id 0: the design is only looked at here, so it takes none of the
  // chapter's template ids.
  auto design = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(localChapter), 0);
  const int loaded = design->Load(fp);
  plat::fclose(fp);
  read.verdict = JudgeTemplateFile(loaded, *design, localChapter);
  if (read.verdict == TemplateFileVerdict::kAccept || read.verdict == TemplateFileVerdict::kModulesRemoved)
    read.design = std::move(design);
  return read;
}
