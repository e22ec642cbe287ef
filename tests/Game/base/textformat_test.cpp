#include "Game/base/GTextFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace {

std::string Fill(std::string_view raw, std::vector<TextArg> args = {}) {
  static const std::map<std::string, std::string> others = {{"GUILD1", "Ruby %s1"}, {"ABCDEFGH", "eight"}};
  return FormatText(raw, args, [](const char* id) -> std::optional<std::string> {
    auto it = others.find(std::string(id).substr(0, 8));
    if (it == others.end()) return std::nullopt;
    return it->second;
  });
}

TEST(TextFormatTest, SlotsTakeArgumentsBySlotNumberAndType) {
  EXPECT_EQ(Fill("%s1 meets %s1", {"Ann"}), "Ann meets Ann");
  EXPECT_EQ(Fill("%f1", {2.5}), "2.50");
  EXPECT_EQ(Fill("%n1", {-3}), "-3");
  EXPECT_EQ(Fill("%f1", {7}), "7.00");            // an integer is a number too
  EXPECT_EQ(Fill("only %n2", {1, 2}), "only 2");  // slot 1 unused: its argument dropped
  EXPECT_EQ(Fill("%n2 before %n1", {1, 2}), "2 before 1");
  EXPECT_EQ(Fill("%s2 has %n1 ships", {12, "Bo"}), "Bo has 12 ships");
  EXPECT_EQ(Fill("%n1", {std::uint32_t{0xFFFFFFFF}}), "-1");  // a 32-bit integer
}

TEST(TextFormatTest, PercentForms) {
  EXPECT_EQ(Fill("100%% sure"), "100% sure");
  EXPECT_EQ(Fill("Guild: %(GUILD1)!"), "Guild: Ruby %s1!");  // raw, not filled
  EXPECT_EQ(Fill("[%(NOSUCHID)]"), "[]");
  EXPECT_EQ(Fill("%(ABCDEFGHIJ)"), "eight");  // looked up by its first 8
  EXPECT_EQ(Fill("open %(GUILD1"), "open (GUILD1");
  EXPECT_EQ(Fill("%x"), "x");
  EXPECT_EQ(Fill("end%"), "end");
}

TEST(TextFormatTest, MalformedTextsNeverReadMissingArguments) {
  EXPECT_EQ(Fill("Error: Can't write to %s!", {"a.rpl"}), "Error: Can't write to s!");
  EXPECT_EQ(Fill("%s1 and %s2", {"one"}), "one and ");
  EXPECT_EQ(Fill("%s9 %s0"), "s9 s0");
  EXPECT_EQ(Fill("%n1", {"text"}), "");  // wrong kind: reported, slot empty
  EXPECT_EQ(Fill("%s1", {5}), "");
  // An unknown type letter takes no argument, so slot 2 gets the first one.
  EXPECT_EQ(Fill("%x1 %s2", {"first"}), "x1 first");
  // Beyond eight arguments nothing is taken.
  EXPECT_EQ(Fill("%n8", {1, 2, 3, 4, 5, 6, 7, 8, 9}), "8");
}

TEST(TextFormatTest, LimitsCutSafely) {
  const std::string longArg(150, 'a');
  EXPECT_EQ(Fill("<%s1>", {longArg}), "<" + std::string(99, 'a') + ">");
  EXPECT_EQ(Fill("%f1", {1e300}).size(), 99u);
  const std::string longRaw(2000, 'z');
  EXPECT_EQ(Fill(longRaw).size(), 1023u);
  EXPECT_EQ(Fill("%s1%s1%s1%s1%s1%s1%s1%s1%s1%s1%s1", {std::string(99, 'b')}).size(), 1023u);
}

// Into a caller's buffer: every size gives a prefix of the whole text, and
// a reader that claims more than its room is held to it.
TEST(TextFormatTest, IntoABufferCutsToAPrefixOfTheWholeText) {
  const std::vector<TextArg> args{"Ann", 12, 2.5};
  const std::string raw = "%s1 [%(GUILD1)] has %n2 ships, %f3%% ready";
  const std::string whole = Fill(raw, args);
  ASSERT_EQ(whole, "Ann [Ruby %s1] has 12 ships, 2.50% ready");
  const RawTextReader reader = [](const char* id, std::span<char> room) -> std::optional<std::size_t> {
    if (std::string(id) != "GUILD1") return std::nullopt;
    const std::string_view text = "Ruby %s1";
    const std::size_t n = std::min(text.size(), room.size());
    std::copy_n(text.begin(), n, room.begin());
    return n;
  };
  for (std::size_t size = 1; size <= whole.size() + 2; ++size) {
    std::vector<char> out(size + 1, '#');  // one guard byte past the buffer
    const std::size_t n = FormatTextInto(raw, args, reader, std::span<char>(out.data(), size));
    EXPECT_EQ(n, std::min(size - 1, whole.size())) << size;
    EXPECT_EQ(std::string(out.data()), whole.substr(0, n)) << size;
    EXPECT_EQ(out[size], '#') << size;
  }
  char untouched = '#';
  EXPECT_EQ(FormatTextInto(raw, args, reader, std::span<char>(&untouched, 0)), 0u);
  EXPECT_EQ(untouched, '#');

  const RawTextReader boastful = [](const char*, std::span<char> room) -> std::optional<std::size_t> {
    std::fill(room.begin(), room.end(), 'r');
    return room.size() + 50;
  };
  std::array<char, 8> small;
  EXPECT_EQ(FormatTextInto("ab%(X)cd", {}, boastful, small), 7u);
  EXPECT_STREQ(small.data(), "abrrrrr");
  std::array<char, kMaxTextChars + 10> big;
  EXPECT_EQ(FormatTextInto(std::string(2000, 'z'), {}, nullptr, big), kMaxTextChars);
}

}  // namespace
