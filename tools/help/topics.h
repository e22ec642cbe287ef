#pragma once
// The help texts: data/help/topics.txt holds one topic a line,
//   NUMBER | TITLE | TEXT
// ('#' starts a comment line). A topic's resource is "HELP" "#NUMBER": a u32
// length, then the title, a blank line and the text, in Windows-1252.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace help {

struct Topic {
  std::uint16_t number = 0;
  std::string title;
  std::string text;
};

// Throws std::runtime_error("line N: what") on a malformed line, a number out
// of range, a topic given twice or an empty text.
std::vector<Topic> ParseTopics(std::string_view source);

// The resource data of one topic.
std::vector<std::uint8_t> EncodeTopic(const Topic& topic);

}  // namespace help
