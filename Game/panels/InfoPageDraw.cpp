#include "Game/panels/InfoPageDraw.h"

#include <array>
#include <map>

namespace infopage {

const std::string& FixedText(const char* id) {
  static const std::string kNone;
  static const CIDString* index = nullptr;
  // Bounded by the IDs of the index; a new index (a test's) starts over.
  static std::map<std::array<char, 8>, std::string> texts;
  if (!g_gameData || !g_gameData->textIndex || !id) return kNone;
  if (index != g_gameData->textIndex.get()) {
    texts.clear();
    index = g_gameData->textIndex.get();
  }
  std::array<char, 8> key{};
  for (std::size_t i = 0; i < key.size() && id[i] != '\0'; ++i) key[i] = id[i];
  auto it = texts.find(key);
  if (it == texts.end()) {
    const std::unique_ptr<char[]> text = g_gameData->textIndex->GetTextAlloc(id);
    it = texts.emplace(key, text ? text.get() : "").first;
  }
  return it->second;
}

}  // namespace infopage
