#include <gtest/gtest.h>

#include "tools/strtable/placeholders.h"

using strtable::ScanPlaceholders;

TEST(Placeholders, WellFormedTextsHaveNoProblems) {
  for (const char* text : {"plain", "%s1 and %s1 again", "%n1 Metals, %n2 Silicates from %s3", "%n2 before %n1",
                           "%f1 + %n2 turns", "%%RES.", "100%%", "see %(SAVEGAME) and %(VOTE!OW1)"}) {
    const auto scan = ScanPlaceholders(text);
    EXPECT_TRUE(scan.problems.empty()) << text << ": " << scan.problems[0];
  }
  const auto scan = ScanPlaceholders("%s2 ATV(s) produced on %s1 at %f3, %(ABC) %%");
  EXPECT_EQ(scan.highestSlot, 3);
  EXPECT_EQ(scan.slotType[1], 's');
  EXPECT_EQ(scan.slotType[2], 's');
  EXPECT_EQ(scan.slotType[3], 'f');
  EXPECT_EQ(scan.references, std::vector<std::string>{"ABC"});
}

TEST(Placeholders, ReportsEveryMalformedPlaceholder) {
  // One problem each: no slot digit (the shipped "ERRWRITE" text), slot 9,
  // slot 0, unknown letter, lone '%' at the end, a gap below the highest slot,
  // two types for one slot, an unclosed reference, a reference that is no ID.
  for (const char* text : {"Error: Can't write to %s!", "%s9", "%n0", "50% off", "100%", "%s2 only", "%s1 then %n1",
                           "%(SAVEGAME", "%(TOOLONGID)", "%( )"}) {
    EXPECT_EQ(ScanPlaceholders(text).problems.size(), 1u) << text;
  }
  EXPECT_EQ(ScanPlaceholders("%s3").problems.size(), 2u);  // slots 1 and 2 have no type
}
