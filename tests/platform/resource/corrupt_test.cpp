// Damaged modules are refused with an error and never read past their end.
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/core/bytes.h"
#include "platform/resource/module.h"
#include "platform/resource/peimage.h"
#include "tests/platform/resource/fixture.h"

namespace {

constexpr std::size_t kPe = 0x80;             // where the fixture's PE header starts
constexpr std::size_t kSectionTable = 0x178;  // after a 224-byte optional header
constexpr std::size_t kRsrc = 0x200;          // the resource section's file offset

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint32_t v = 0;
  EXPECT_TRUE(plat::ByteReader(b).ReadAt(at, v)) << at;
  return v;
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

// A field of the module overwritten: its place, width in bytes and new value.
struct Patch {
  std::size_t at;
  int width;
  std::uint32_t value;
};

class CorruptModule : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = restest::FixtureBytes();
    ASSERT_GT(good_.size(), kRsrc);
    ASSERT_TRUE(Loads(good_));
  }
  std::vector<std::uint8_t> With(std::initializer_list<Patch> patches) const {
    auto bad = good_;
    for (const Patch& p : patches) {
      plat::ByteWriter w(bad);
      EXPECT_TRUE(p.width == 1   ? w.WriteAt(p.at, static_cast<std::uint8_t>(p.value))
                  : p.width == 2 ? w.WriteAt(p.at, static_cast<std::uint16_t>(p.value))
                                 : w.WriteAt(p.at, p.value))
          << p.at;
    }
    return bad;
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

TEST_F(CorruptModule, BadHeadersAndDirectoriesAreRefused) {
  ASSERT_NE(Get32(good_, kRsrc + 16) & 0x80000000u, 0u);  // the fixture's first type is named
  const std::pair<Patch, const char*> cases[] = {
      {{0, 1, 'X'}, "no MZ"},
      {{0x3C, 4, 0xFFFFFFF0u}, "PE header past the end"},
      {{kPe, 1, 'Q'}, "no PE signature"},
      {{kPe + 24, 2, 0x1234}, "unknown optional header"},
      {{kPe + 20, 2, 8}, "an optional header too short for its fields"},
      {{kPe + 6, 2, 0xFFFF}, "absurd section count"},
      {{kSectionTable + 16, 4, 0x7FFFFFFF}, "section data larger than the file"},
      {{kRsrc + 16 + 4, 4, 0x80FFFFF0u}, "a directory past the section"},
      {{kRsrc + 16, 4, 0x8FFFFFF0u}, "the first type's name past the end"},
      {{kRsrc + 16, 4, 0x00120000u}, "a number above 16 bits"},
  };
  for (const auto& [patch, why] : cases) EXPECT_FALSE(Loads(With({patch}))) << why;
  // More entries than the section holds.
  EXPECT_FALSE(Loads(With({{kRsrc + 12, 2, 0xFFFF}, {kRsrc + 14, 2, 0xFFFF}})));
  // The first type's directory is the root again.
  EXPECT_FALSE(Loads(With({{kRsrc + 16 + 4, 4, 0x80000000u}})));
  EXPECT_NE(plat::LastModuleError().find("loop"), std::string::npos);
}

TEST_F(CorruptModule, DataPastTheEndIsRefused) {
  const std::size_t entry = FirstDataEntry(good_);
  EXPECT_FALSE(Loads(With({{entry, 4, 0xFFFFFF00u}})));      // address outside every section
  EXPECT_FALSE(Loads(With({{entry + 4, 4, 0x10000000u}})));  // size past the section
  EXPECT_TRUE(Loads(With({{entry + 4, 4, 0}})));             // an empty resource is fine
}

TEST_F(CorruptModule, AModuleWithoutResourcesLoadsEmpty) {
  const auto none = With({{kPe + 24 + 96 + 16, 4, 0}});  // no resource directory
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
