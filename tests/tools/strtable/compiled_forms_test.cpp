#include <gtest/gtest.h>

#include "compiled_table.h"
#include "tools/strtable/build.h"

TEST(CompiledForms, IndexAndScriptFollowTheirLayouts) {
  const auto built = strtable::BuildStringTable(
      "GUILD    7 \"Guild\"\n"
      "SAVEGAME 2 \"Saving Game...\"\n"
      "Z_QUOTE  3 \"say \\\"hi\\\"\\n\\tand \\\\ go %%\"\n");
  ASSERT_TRUE(built.problems.empty()) << built.problems[0].message;
  EXPECT_EQ(built.entryCount, 3u);

  const std::vector<std::uint8_t> expectedIndex = {
      3,   0,   0,   0,                                     // count
      'G', 'U', 'I', 'L', 'D', 0,   0,   0,   7, 0, 6,  0,  // zero-padded, length 5 + 1
      'S', 'A', 'V', 'E', 'G', 'A', 'M', 'E', 2, 0, 15, 0,  // all 8 bytes, no terminator
      'Z', '_', 'Q', 'U', 'O', 'T', 'E', 0,   3, 0, 22, 0};
  EXPECT_EQ(built.index, expectedIndex);

  EXPECT_EQ(built.script,
            "STRINGTABLE\nBEGIN\n"
            "  2, \"Saving Game...\"\n"
            "  3, \"say \"\"hi\"\"\\n\\tand \\\\ go %%\"\n"
            "  7, \"Guild\"\n"
            "END\n");
  const auto texts = ParseStringTableScript(built.script);
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->at(3), "say \"hi\"\n\tand \\ go %%");
}

TEST(CompiledForms, NothingIsProducedFromAFaultySource) {
  const auto syntax = strtable::BuildStringTable("A 1 \"x\"\nB two \"y\"\n");
  ASSERT_EQ(syntax.problems.size(), 1u);
  EXPECT_EQ(syntax.problems[0].line, 2);
  EXPECT_TRUE(syntax.script.empty());
  EXPECT_TRUE(syntax.index.empty());

  const auto table = strtable::BuildStringTable("B 1 \"x\"\nA 2 \"%s!\"\n");
  EXPECT_EQ(table.problems.size(), 2u);  // order and placeholder
  EXPECT_TRUE(table.index.empty());
}
