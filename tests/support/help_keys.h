#pragma once
// The keys a help topic tells the player to press, read from the help texts
// (data/help/topics.txt) as a player reads them: "the arrow keys", the named
// keys (Tab, Space, Enter, Backspace, Delete, Page Up, Page Down, F1 to F12),
// "+" and "-" standing alone, and a capital letter or a digit standing as a
// word (the texts never use "A" or "I" as words). Shift, Ctrl and Alt are left
// out: the texts name them only together with another key or a mouse button.
// Header-only; any thread.

#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user/keys.h"
#include "tests/support/source_scan.h"

namespace quentest {

struct NamedKey {
  std::string name;               // as the text writes it
  std::vector<plat::UINT> codes;  // the virtual keys that do it (any one)
};

// The text of topic `number` of the help texts, empty when there is none.
inline std::string HelpTopicText(const std::filesystem::path& topics, int number) {
  std::istringstream lines(ReadWholeFile(topics));
  const std::string prefix = std::to_string(number) + " | ";
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(prefix, 0) != 0) continue;
    const std::size_t text = line.find(" | ", prefix.size());
    return text == std::string::npos ? std::string() : line.substr(text + 3);
  }
  return {};
}

inline std::vector<NamedKey> KeysNamedIn(std::string_view text) {
  using namespace plat;
  std::vector<NamedKey> keys;
  struct Phrase {
    std::string_view words;
    std::vector<UINT> codes;
  };
  const Phrase phrases[] = {{"arrow keys", {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}},
                            {"Page Up", {VK_PRIOR}},
                            {"Page Down", {VK_NEXT}},
                            {"Tab", {VK_TAB}},
                            {"Space", {VK_SPACE}},
                            {"Enter", {VK_RETURN}},
                            {"Backspace", {VK_BACK}},
                            {"Delete", {VK_DELETE}}};
  const auto wordEdge = [&](std::size_t at) {
    return at >= text.size() || !std::isalnum(static_cast<unsigned char>(text[at]));
  };
  for (const Phrase& p : phrases) {
    for (std::size_t at = text.find(p.words); at != std::string_view::npos; at = text.find(p.words, at + 1)) {
      if ((at == 0 || wordEdge(at - 1)) && wordEdge(at + p.words.size())) {
        keys.push_back({std::string(p.words), p.codes});
        break;
      }
    }
  }
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    const bool startsWord = at == 0 || wordEdge(at - 1);
    if (!startsWord) continue;
    if (c == 'F' && at + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[at + 1]))) {
      std::size_t end = at + 1;
      while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
      const int n = std::stoi(std::string(text.substr(at + 1, end - at - 1)));
      if (wordEdge(end) && n >= 1 && n <= 12)
        keys.push_back({std::string(text.substr(at, end - at)), {static_cast<UINT>(VK_F1 + n - 1)}});
    } else if (((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) && wordEdge(at + 1)) {
      keys.push_back({std::string(1, c), {static_cast<UINT>(c)}});
    } else if ((c == '+' || c == '-') && (at == 0 || text[at - 1] == ' ' || text[at - 1] == '(') &&
               (at + 1 >= text.size() || text[at + 1] == ' ' || text[at + 1] == ')')) {
      keys.push_back({std::string(1, c), c == '+' ? std::vector<UINT>{VK_ADD, VK_OEM_PLUS}
                                                  : std::vector<UINT>{VK_SUBTRACT, VK_OEM_MINUS}});
    }
  }
  return keys;
}

}  // namespace quentest
