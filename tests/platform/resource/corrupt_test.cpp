// Damaged modules are refused with an error and never read past their end.
#include <cstdint>
#include <vector>

#include "platform/core/bytes.h"
#include "platform/resource/module.h"
#include "platform/resource/peimage.h"
#include "tests/platform/resource/fixture.h"

namespace {

constexpr std::size_t kPe = 0x80;            // where the fixture's PE header starts
constexpr std::size_t kSectionTable = 0x178;  // after a 224-byte optional header
constexpr std::size_t kRsrc = 0x200;         // the resource section's file offset

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint32_t v = 0;
  EXPECT_TRUE(plat::ByteReader(b).ReadAt(at, v)) << at;
  return v;
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  EXPECT_TRUE(plat::ByteWriter(b).WriteAt(at, v)) << at;
}
void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  EXPECT_TRUE(plat::ByteWriter(b).WriteAt(at, v)) << at;
}

bool Loads(const std::vector<std::uint8_t>& bytes) {
  plat::HMODULE m = plat::LoadLibraryFromMemory(bytes);
  if (m == nullptr) return false;
  plat::FreeLibrary(m);
  return true;
}

// File offset of the first type's first name's first language data entry.
std::size_t FirstDataEntry(const std::vector<std::uint8_t>& b) {
  std::size_t dir = kRsrc;
  for (int level = 0; level < 3; ++level) {
    std::uint32_t target = Get32(b, dir + 16 + 4);
    dir = kRsrc + (target & 0x7FFFFFFF);
  }
  return dir;
}

class CorruptModule : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = restest::FixtureBytes();
    ASSERT_GT(good_.size(), kRsrc);
    ASSERT_TRUE(Loads(good_));
  }
  std::vector<std::uint8_t> good_;
};

TEST_F(CorruptModule, EveryTruncationIsRefused) {
  for (std::size_t n = 0; n < good_.size(); ++n) {
    std::vector<std::uint8_t> cut(good_.begin(), good_.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(Loads(cut)) << "cut at " << n;
  }
  EXPECT_FALSE(plat::LastModuleError().empty());
}

TEST_F(CorruptModule, BadHeadersAreRefused) {
  auto bad = good_;
  bad[0] = 'X';
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  Put32(bad, 0x3C, 0xFFFFFFF0u);  // PE header past the end
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  bad[kPe] = 'Q';
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  Put16(bad, kPe + 24, 0x1234);  // unknown optional header
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  Put16(bad, kPe + 20, 8);  // an optional header too short for its fields
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  Put16(bad, kPe + 6, 0xFFFF);  // absurd section count
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  Put32(bad, kSectionTable + 16, 0x7FFFFFFF);  // section data larger than the file
  EXPECT_FALSE(Loads(bad));
}

TEST_F(CorruptModule, DirectoryDamageIsRefused) {
  auto bad = good_;
  Put32(bad, kRsrc + 16 + 4, 0x80000000u);  // the first type's directory is the root again
  EXPECT_FALSE(Loads(bad));
  EXPECT_NE(plat::LastModuleError().find("loop"), std::string::npos);

  bad = good_;
  Put32(bad, kRsrc + 16 + 4, 0x80FFFFF0u);  // a directory past the section
  EXPECT_FALSE(Loads(bad));

  bad = good_;
  Put16(bad, kRsrc + 12, 0xFFFF);  // more entries than the section holds
  Put16(bad, kRsrc + 14, 0xFFFF);
  EXPECT_FALSE(Loads(bad));

  bad = good_;
  ASSERT_NE(Get32(bad, kRsrc + 16) & 0x80000000u, 0u);  // the fixture's first type is named
  Put32(bad, kRsrc + 16, 0x8FFFFFF0u);  // its name past the end
  EXPECT_FALSE(Loads(bad));

  bad = good_;
  Put32(bad, kRsrc + 16, 0x00120000u);  // a number above 16 bits
  EXPECT_FALSE(Loads(bad));
}

TEST_F(CorruptModule, DataPastTheEndIsRefused) {
  std::size_t entry = FirstDataEntry(good_);
  auto bad = good_;
  Put32(bad, entry, 0xFFFFFF00u);  // address outside every section
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  Put32(bad, entry + 4, 0x10000000u);  // size past the section
  EXPECT_FALSE(Loads(bad));
  bad = good_;
  Put32(bad, entry + 4, 0);  // an empty resource is fine
  EXPECT_TRUE(Loads(bad));
}

TEST_F(CorruptModule, AModuleWithoutResourcesLoadsEmpty) {
  auto none = good_;
  Put32(none, kPe + 24 + 96 + 16, 0);  // no resource directory
  plat::HMODULE m = plat::LoadLibraryFromMemory(none);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(plat::FindResource(m, 7, "HELP"), nullptr);
  plat::FreeLibrary(m);
  EXPECT_TRUE(plat::ReadResourceDirectory(none).records.empty());
}

TEST(ModuleFiles, MissingOrEmptyFilesAreRefused) {
  EXPECT_EQ(plat::LoadLibrary("/nonexistent/x.dll"), nullptr);
  EXPECT_EQ(plat::LoadLibrary(""), nullptr);
  EXPECT_EQ(plat::LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(plat::LoadLibraryFromMemory({}), nullptr);
  EXPECT_EQ(plat::LoadLibrary(QUEN_TEST_DATA_DIR), nullptr);  // a folder
}

}  // namespace
