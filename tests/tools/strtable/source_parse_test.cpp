#include <gtest/gtest.h>

#include <tuple>

#include "tools/strtable/string_source.h"

using strtable::ParseStringSource;

TEST(StringSource, ReadsEntriesSkippingCommentsAndBlankLines) {
  const auto parsed = ParseStringSource(
      "# heading\n"
      "\n"
      "   # indented comment\n"
      "SAVEGAME   12 \"Saving Game...\"\n"
      "VOTE!OW1\t65535\t\"a \\\"b\\\" \\\\ c\\n\\td\"   \r\n"
      "MKR&DOES 0 \"\"");
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors[0].message;
  ASSERT_EQ(parsed.entries.size(), 3u);
  auto fields = [&](std::size_t i) {
    const auto& e = parsed.entries[i];
    return std::make_tuple(e.id, static_cast<int>(e.number), e.text, e.line);
  };
  EXPECT_EQ(fields(0), std::make_tuple("SAVEGAME", 12, "Saving Game...", 4));
  EXPECT_EQ(fields(1), std::make_tuple("VOTE!OW1", 65535, "a \"b\" \\ c\n\td", 5));
  EXPECT_EQ(fields(2), std::make_tuple("MKR&DOES", 0, "", 6));
}

TEST(StringSource, RefusesMalformedLinesAndKeepsTheRest) {
  const auto parsed = ParseStringSource(
      "TOOLONGID 1 \"nine characters\"\n"  // 1
      "OK 2 \"fine\"\n"                    // 2
      "NONUMBER \"text\"\n"                // 3
      "BIG 65536 \"x\"\n"                  // 4
      "NEG -1 \"x\"\n"                     // 5
      "OPEN 3 \"no end\n"                  // 6
      "ESC 4 \"bad \\x escape\"\n"         // 7
      "TRAIL 5 \"x\" extra\n"              // 8
      "HIGH 6 \"caf\xc3\xa9\"\n"           // 9
      "PCT% 7 \"id with a percent\"\n"     // 10
      "NOQUOTE 8 text\n");                 // 11
  ASSERT_EQ(parsed.entries.size(), 1u);
  EXPECT_EQ(parsed.entries[0].id, "OK");
  std::vector<int> lines;
  for (const auto& e : parsed.errors) lines.push_back(e.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}
