// The saved design database (fixed slots and extra lists of every chapter,
// then the class stat ranges) and the stat-range message, from any bytes. A
// database that loads whole saves into a form that loads back the same.
#include <cstddef>
#include <cstdint>
#include <span>

#include "Game/rules/GTemplateDB.h"
#include "fuzz/scratch.h"

namespace {

bool SameDesigns(const CGTemplateDB& a, const CGTemplateDB& b) {
  for (int c = 0; c < kTemplateChapters; ++c) {
    for (int s = 0; s < kFixedTemplateSlots; ++s) {
      const CGUnitTemplate* x = a.fixed[c][s];
      const CGUnitTemplate* y = b.fixed[c][s];
      if ((x == nullptr) != (y == nullptr) || (x != nullptr && !x->HasSameContents(*y))) return false;
    }
    if (a.extra[c].count != b.extra[c].count) return false;
    for (std::uint16_t i = 0; i < a.extra[c].count; ++i) {
      if (!a.extra[c].GetAt(i)->HasSameContents(*b.extra[c].GetAt(i))) return false;
    }
  }
  for (int k = 0; k < 11; ++k) {
    if (a.GetClassStatRanges(k) != b.GetClassStatRanges(k)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  plat::FILE* fp = fuzz::Scratch::Get().Open("templates.sav", bytes);
  if (fp == nullptr) __builtin_trap();
  CGTemplateDB db;
  const int loaded = db.Load(fp);
  plat::fclose(fp);

  for (int c = 0; c < kTemplateChapters; ++c) {
    for (int s = 0; s < kFixedTemplateSlots; ++s) {
      if (const CGUnitTemplate* design = db.GetTemplate(c, s, 1)) {
        int fixed = -1;
        if (db.GetTemplateIndex(*design, c, &fixed) != s || fixed != 1) __builtin_trap();
        db.FindTemplateById(design->templateId);
      }
    }
  }

  if (loaded != 0) {
    plat::FILE* out = plat::fopen("Q:\\templates2.sav", "w+b");
    if (out == nullptr || db.Save(out) == 0) __builtin_trap();
    plat::rewind(out);
    CGTemplateDB again;
    if (again.Load(out) == 0 || !SameDesigns(db, again)) __builtin_trap();
    plat::fclose(out);
  }

  CGTemplateDB ranges;
  if (ranges.SetClassStatRanges(bytes) != (size >= 8 + kClassStatRangesSize ? 1 : 0)) __builtin_trap();
  return 0;
}
