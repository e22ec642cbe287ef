#include "server/world/SrvChapterNames.h"

#include <cstdio>

#include "Game/base/GIDString.h"

namespace {

constexpr std::size_t kMaxNameChars = 30;

}  // namespace

std::array<std::string, kMaxChapters> SrvDefaultChapterNames() {
  const CIDString texts;
  std::array<std::string, kMaxChapters> names;
  for (std::size_t c = 0; c < names.size(); ++c) {
    char id[16];
    std::snprintf(id, sizeof id, "CHAP00%02zu", c);
    const std::unique_ptr<char[]> text = texts.LoadRawText(id);
    names[c] = text && text[0] != '\0' ? std::string(text.get()) : "Chapter " + std::to_string(c + 1);
    if (names[c].size() > kMaxNameChars) names[c].resize(kMaxNameChars);
  }
  return names;
}
