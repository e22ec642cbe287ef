#include <gtest/gtest.h>

#include <string>

#include "tools/strtable/table_check.h"

using strtable::CheckTable;
using strtable::StringEntry;

namespace {

StringEntry Entry(std::string id, std::uint16_t number, std::string text, int line) {
  return StringEntry{std::move(id), number, std::move(text), line};
}

std::vector<int> ProblemLines(const std::vector<StringEntry>& entries) {
  std::vector<int> lines;
  for (const auto& p : CheckTable(entries)) lines.push_back(p.line);
  return lines;
}

}  // namespace

TEST(TableCheck, AcceptsASortedTableInIndexOrder) {
  // Zero padding puts a prefix first; digits sort before letters and '_' after them.
  EXPECT_TRUE(CheckTable({Entry("GUILD", 4, "x", 1), Entry("GUILD000", 1, "%(GUILD)", 2), Entry("GUILDA", 2, "x", 3),
                          Entry("GUILD_", 3, "x", 4), Entry("\x7e", 9, "x", 5)})
                  .empty());
}

TEST(TableCheck, ReportsOrderDuplicatesNumbersLengthAndReferences) {
  EXPECT_EQ(ProblemLines({Entry("B", 1, "x", 1), Entry("A", 2, "x", 2)}), std::vector<int>{2});
  EXPECT_EQ(ProblemLines({Entry("A", 1, "x", 1), Entry("A", 2, "x", 2)}), std::vector<int>{2});
  EXPECT_EQ(ProblemLines({Entry("A", 7, "x", 1), Entry("B", 7, "x", 2)}), std::vector<int>{2});
  EXPECT_EQ(ProblemLines({Entry("A", 1, std::string(1024, 'x'), 1)}), std::vector<int>{1});
  EXPECT_TRUE(CheckTable({Entry("A", 1, std::string(1023, 'x'), 1)}).empty());
  EXPECT_EQ(ProblemLines({Entry("A", 1, "%(B)", 1), Entry("C", 2, "%(A) %s!", 2)}), (std::vector<int>{1, 2}));
}
