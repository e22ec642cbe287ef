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

const std::string& KeptText(const char* id, std::span<const TextArg> args) {
  static std::array<std::string, kKeptTexts> kept;
  static std::size_t next = 0;
  std::string& text = kept[next];
  next = (next + 1) % kept.size();
  text.clear();
  if (!g_gameData || !g_gameData->textIndex) return text;
  std::array<char, kMaxTextChars + 1> finished;
  text.assign(g_gameData->textIndex->GetTextV(id, finished.data(), finished.size(), args));
  return text;
}

std::string FittedFigure(std::uint64_t value, int room, int bold) {
  constexpr const char* kUnits[] = {"", "K", "M", "G"};
  std::string text;
  for (const char* unit : kUnits) {
    text = std::to_string(value) + unit;
    if (PanelFrame().MeasureScreenText(text.c_str(), bold) <= room) break;
    value /= 1000;
  }
  return text;
}

}  // namespace infopage
