#include "Game/rules/GAstNames.h"

#include <gtest/gtest.h>

#include "tests/Game/rules/rules_fixture.h"

namespace {

using rules_test::Sandbox;

std::optional<std::string> NameFrom(const Sandbox& box, const std::string& text, unsigned n) {
  box.Write("names.dat", text);
  plat::FILE* fp = plat::fopen("C:\\names.dat", "rt");
  auto name = ReadAsteroidName(fp, n);
  plat::fclose(fp);
  return name;
}

TEST(AsteroidNames, BarsAndLineEndsSeparateNames) {
  Sandbox box;
  EXPECT_EQ(NameFrom(box, "A|B\r\nC\r\n", 1), "A");
  EXPECT_EQ(NameFrom(box, "A|B\r\nC\r\n", 3), "C");  // asteroid id 2
  EXPECT_EQ(NameFrom(box, "A||\n\n|B", 2), "B");     // a run of separators is one
  EXPECT_EQ(NameFrom(box, "Cobalt Drift|x", 1), "Cobalt Drift");
  EXPECT_EQ(NameFrom(box, "A|B\n", 3), std::nullopt);
  EXPECT_EQ(NameFrom(box, "", 1), std::nullopt);
  EXPECT_EQ(NameFrom(box, "A", 0), std::nullopt);
  EXPECT_EQ(ReadAsteroidName(nullptr, 1), std::nullopt);
}

TEST(AsteroidNames, OverlongNamesAreCut) {
  Sandbox box;
  const std::string text = std::string(400, 'q') + "|Next";
  EXPECT_EQ(NameFrom(box, text, 1), std::string(kMaxAsteroidNameChars, 'q'));
  EXPECT_EQ(NameFrom(box, text, 2), "Next");
}

}  // namespace
