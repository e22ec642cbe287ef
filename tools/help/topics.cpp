#include "tools/help/topics.h"

#include <charconv>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/core/bytes.h"

namespace help {
namespace {

std::string Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(" \t\r") - first + 1));
}

}  // namespace

std::vector<Topic> ParseTopics(std::string_view source) {
  std::vector<Topic> topics;
  std::set<int> seen;
  std::istringstream in{std::string(source)};
  int lineNo = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineNo;
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    auto fail = [&](const std::string& what) {
      throw std::runtime_error("line " + std::to_string(lineNo) + ": " + what);
    };
    const auto bar1 = trimmed.find('|');
    const auto bar2 = bar1 == std::string::npos ? std::string::npos : trimmed.find('|', bar1 + 1);
    if (bar2 == std::string::npos) fail("expected NUMBER | TITLE | TEXT");
    const std::string number = Trim(std::string_view(trimmed).substr(0, bar1));
    int n = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (ec != std::errc() || end != number.data() + number.size() || n < 1 || n > 0xFFFF) fail("bad topic number");
    if (!seen.insert(n).second) fail("topic " + number + " given twice");
    Topic t;
    t.number = static_cast<std::uint16_t>(n);
    t.title = Trim(std::string_view(trimmed).substr(bar1 + 1, bar2 - bar1 - 1));
    t.text = Trim(std::string_view(trimmed).substr(bar2 + 1));
    if (t.title.empty() || t.text.empty()) fail("a topic needs a title and a text");
    topics.push_back(std::move(t));
  }
  return topics;
}

std::vector<std::uint8_t> EncodeTopic(const Topic& topic) {
  const std::string body = topic.title + "\r\n\r\n" + topic.text;
  plat::ByteWriter w;
  w.U32(static_cast<std::uint32_t>(body.size()));
  w.Chars(body);
  return w.Take();
}

}  // namespace help
