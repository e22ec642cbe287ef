// Writing the default battle plans back into "defBP.dat", in place.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "Game/base/GInstData.h"
#include "Game/base/GKeyValueReader.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GDefBP.h"
#include "Game/rules/GDefBPKeys.h"
#include "Game/rules/GRulesLinks.h"

namespace {

// One entry of the file and where its value lies: `valueAt` is the file
// position of the value's first character, `lineEnd` that of its line end.
struct PlacedEntry {
  std::string key;
  long valueAt = 0;
  long lineEnd = 0;
};

// Walks the entries exactly as ReadKeyValueLines reads them, giving each
// entry's place in the file. The callback may write; the walk goes on after
// the entry's line end.
void WalkPlacedEntries(plat::FILE* fp, const std::function<void(const PlacedEntry&)>& onEntry) {
  PlacedEntry entry;
  std::size_t valueChars = 0;
  bool inValue = false;
  bool overlong = false;
  for (int c = plat::fgetc(fp); c != EOF; c = plat::fgetc(fp)) {
    if (!inValue) {
      if (c == ';' && entry.key.empty()) {
        while (c != EOF && c != '\n') c = plat::fgetc(fp);
        if (c == EOF) break;
      } else if (c == '=') {
        inValue = true;
        valueChars = 0;
        entry.valueAt = plat::ftell(fp);
      } else if (entry.key.size() < kMaxKeyChars) {
        entry.key += static_cast<char>(c);
      } else {
        overlong = true;
      }
    } else if (c == '\n') {
      const long next = plat::ftell(fp);
      entry.lineEnd = next - 1;
      if (!overlong) {
        onEntry(entry);
        plat::fseek(fp, next, SEEK_SET);
      }
      entry = PlacedEntry{};
      inValue = false;
      overlong = false;
    } else if (valueChars < kMaxValueChars) {
      ++valueChars;
    } else {
      overlong = true;
    }
  }
}

// The value in its fixed width; a value too large for the width is written as
// the largest that fits, so the write never runs into the next line.
std::string FixedWidth(std::uint8_t value, int width) {
  char text[4];
  if (width == 1) {
    std::snprintf(text, sizeof text, "%d", std::min<int>(value, 9));
  } else {
    std::snprintf(text, sizeof text, "%02d", std::min<int>(value, 99));
  }
  return text;
}

plat::FILE* OpenForUpdate() {
  if (plat::FILE* fp = OpenDataFile("defBP.dat", "r+c")) return fp;
  if (plat::FILE* probe = OpenDataFile("defBP.dat", "r")) {
    plat::fclose(probe);
    RulesShowMessage(kDefBPReadOnly);
    return nullptr;
  }
  if (plat::FILE* fp = OpenDataFile("..\\defBP.dat", "r+c")) return fp;
  RulesShowMessage(kDefBPNotFound);
  return nullptr;
}

}  // namespace

std::string DefaultBattlePlanText(const DefaultBattlePlanTable& table) {
  std::string text;
  for (int unitClass = 0; unitClass < kUnitClassCount; ++unitClass) {
    for (const DefBPKey& k : kDefBPKeys) {
      const std::uint8_t value =
          k.targeting ? table.targeting[unitClass][k.position] : table.retreat[unitClass][k.position];
      text += std::string(k.key) + "=" + FixedWidth(value, k.width) + "\r\n";
    }
  }
  return text;
}

// A value whose place in the file is narrower than its width (a line edited
// by hand) is left as it is rather than overwriting the line end.
void WriteDefaultBattlePlanFile() {
  plat::FILE* fp = OpenForUpdate();
  if (fp == nullptr) return;
  const DefaultBattlePlanTable plans;
  int unitClass = 0;
  WalkPlacedEntries(fp, [&](const PlacedEntry& entry) {
    const DefBPKey* k = FindDefBPKey(entry.key);
    if (k == nullptr) return;
    if (unitClass >= kUnitClassCount) {
      if (entry.key == kDefBPFirstKey) RulesShowMessage(kDefBPCorrupted);
      return;
    }
    const std::uint8_t value =
        k->targeting ? plans.targeting[unitClass][k->position] : plans.retreat[unitClass][k->position];
    if (entry.lineEnd - entry.valueAt >= k->width) {
      const std::string text = FixedWidth(value, k->width);
      plat::fseek(fp, entry.valueAt, SEEK_SET);
      plat::fwrite(text.data(), 1, text.size(), fp);
      plat::fflush(fp);
    } else {
      TraceError("A defBP.dat value too narrow to write back", __FILE__, __LINE__);
    }
    if (entry.key == kDefBPLastKey) ++unitClass;
  });
  plat::fclose(fp);
}
