// The module image: its headers and directory follow the format's rules, and
// the reader gets back exactly what was written.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <tuple>

#include "platform/core/bytes.h"
#include "platform/resource/peimage.h"
#include "tests/tools/rc/helpers.h"

namespace {

std::vector<rc::Resource> Sample() {
  std::vector<rc::Resource> rs;
  auto add = [&](plat::ResName type, plat::ResName name, std::vector<std::uint8_t> data) {
    rc::Resource r;
    r.type = std::move(type);
    r.name = std::move(name);
    r.data = std::move(data);
    rs.push_back(std::move(r));
  };
  add("IMA", "zeta.ima", {1, 2, 3});
  add("IMA", 5, {4});
  add("IMA", "Alpha.ima", {5, 6});
  add("IMA", 2, {});
  add(plat::RT_RCDATA, 9, std::vector<std::uint8_t>(1000, 0xAB));
  add("HELP", "beta", {7});
  add("help", 1, {8});  // the same type, by another spelling
  return rs;
}

struct Entry {
  bool named;
  std::string name;  // upper case as stored
  std::uint32_t id;
};

// The entries of the directory at `offset` of the resource section.
std::vector<Entry> Entries(const std::vector<std::uint8_t>& image, std::size_t rsrc, std::size_t offset,
                           std::uint16_t* namedCount = nullptr) {
  plat::ByteReader r(image, rsrc + offset + 12);
  std::uint16_t named = r.U16();
  std::uint16_t ids = r.U16();
  if (namedCount) *namedCount = named;
  std::vector<Entry> out;
  for (int i = 0; i < named + ids; ++i) {
    std::uint32_t n = r.U32();
    r.U32();
    Entry e{(n & 0x80000000u) != 0, {}, n};
    if (e.named) {
      plat::ByteReader s(image, rsrc + (n & 0x7FFFFFFF));
      std::uint16_t len = s.U16();
      for (int k = 0; k < len; ++k) e.name.push_back(static_cast<char>(s.U16()));
    }
    out.push_back(e);
  }
  EXPECT_TRUE(r.Ok());
  return out;
}

TEST(ModuleImage, HeadersFollowTheFormat) {
  auto image = rc::WriteModuleImage(Sample());
  plat::ByteReader r(image);
  EXPECT_EQ(r.U16(), 0x5A4D);
  r.Seek(0x3C);
  std::uint32_t pe = r.U32();
  r.Seek(pe);
  EXPECT_EQ(r.U32(), 0x00004550u);
  EXPECT_EQ(r.U16(), 0x014C);  // i386
  EXPECT_EQ(r.U16(), 1);       // one section
  r.Skip(12);
  EXPECT_EQ(r.U16(), 224);
  EXPECT_EQ(r.U16() & 0x2002, 0x2002);  // executable image, DLL
  std::size_t opt = r.Pos();
  EXPECT_EQ(r.U16(), 0x10B);
  r.Seek(opt + 32);
  std::uint32_t sectionAlign = r.U32();
  std::uint32_t fileAlign = r.U32();
  EXPECT_EQ(sectionAlign, 0x1000u);
  EXPECT_EQ(fileAlign, 0x200u);
  r.Seek(opt + 56);
  std::uint32_t sizeOfImage = r.U32();
  std::uint32_t sizeOfHeaders = r.U32();
  r.Seek(opt + 92);
  EXPECT_EQ(r.U32(), 16u);
  r.Seek(opt + 96 + 2 * 8);
  std::uint32_t resRva = r.U32();
  std::uint32_t resSize = r.U32();

  r.Seek(opt + 224);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data() + r.Pos()), 5), ".rsrc");
  r.Skip(8);
  std::uint32_t vsize = r.U32();
  std::uint32_t va = r.U32();
  std::uint32_t rawSize = r.U32();
  std::uint32_t rawPtr = r.U32();
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(va, resRva);
  EXPECT_EQ(vsize, resSize);
  EXPECT_EQ(va % sectionAlign, 0u);
  EXPECT_EQ(rawPtr % fileAlign, 0u);
  EXPECT_EQ(rawSize % fileAlign, 0u);
  EXPECT_GE(rawSize, vsize);
  EXPECT_EQ(sizeOfHeaders, rawPtr);
  EXPECT_EQ(sizeOfImage % sectionAlign, 0u);
  EXPECT_GE(sizeOfImage, va + vsize);
  EXPECT_EQ(image.size(), rawPtr + rawSize);
}

TEST(ModuleImage, DirectoriesListNamesSortedThenNumbersAscending) {
  auto image = rc::WriteModuleImage(Sample());
  const std::size_t rsrc = 0x200;
  std::uint16_t named = 0;
  auto types = Entries(image, rsrc, 0, &named);
  ASSERT_EQ(types.size(), 3u);
  EXPECT_EQ(named, 2);
  EXPECT_EQ(types[0].name, "HELP");
  EXPECT_EQ(types[1].name, "IMA");
  EXPECT_FALSE(types[2].named);
  EXPECT_EQ(types[2].id, 10u);

  // The IMA names: ALPHA.IMA, ZETA.IMA, then 2, 5.
  plat::ByteReader r(image, rsrc + 16 + 8 + 4);
  std::uint32_t imaDir = r.U32() & 0x7FFFFFFF;
  auto names = Entries(image, rsrc, imaDir, &named);
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(named, 2);
  EXPECT_EQ(names[0].name, "ALPHA.IMA");
  EXPECT_EQ(names[1].name, "ZETA.IMA");
  EXPECT_EQ(std::make_tuple(names[2].id, names[3].id), std::make_tuple(2u, 5u));
}

TEST(ModuleImage, ReaderGetsBackEveryResourceByteForByte) {
  for (auto format : {rc::ImageFormat::Pe32, rc::ImageFormat::Pe32Plus}) {
    auto resources = Sample();
    auto image = rc::WriteModuleImage(resources, format);
    auto listing = plat::ReadResourceDirectory(image);
    ASSERT_TRUE(listing.error.empty()) << listing.error;
    EXPECT_EQ(listing.records.size(), resources.size());
    rctest::Loaded m(image);
    ASSERT_NE(m.Get(), nullptr) << plat::LastModuleError();
    for (const auto& res : resources) {
      plat::HRSRC h = plat::FindResource(m.Get(), res.name, res.type);
      ASSERT_NE(h, nullptr);
      ASSERT_EQ(plat::SizeofResource(m.Get(), h), res.data.size());
      const plat::BYTE* p = plat::LockResource(plat::LoadResource(m.Get(), h));
      ASSERT_NE(p, nullptr);
      EXPECT_TRUE(std::equal(res.data.begin(), res.data.end(), p));
    }
    for (const auto& rec : listing.records) EXPECT_EQ(rec.language, rc::kDefaultLanguage);
  }
}

TEST(ModuleImage, SameInputSameBytes) {
  auto a = rc::WriteModuleImage(Sample());
  auto shuffled = Sample();
  std::reverse(shuffled.begin(), shuffled.end());
  EXPECT_EQ(a, rc::WriteModuleImage(shuffled));
  auto empty = rc::WriteModuleImage({});
  EXPECT_TRUE(plat::ReadResourceDirectory(empty).error.empty());
}

TEST(ModuleImage, DuplicatesAreRefused) {
  auto rs = Sample();
  rs.push_back(rs[0]);
  rs.back().name = plat::ResName("ZETA.IMA");
  EXPECT_THROW(rc::WriteModuleImage(rs), std::invalid_argument);
}

// Random damage to a module never makes the reader read past the end; the
// sanitizer builds catch any that would.
TEST(ModuleImage, RandomDamageIsSurvived) {
  auto good = rc::WriteModuleImage(Sample());
  std::mt19937 rng(1234);
  for (int round = 0; round < 2000; ++round) {
    auto bad = good;
    int hits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < hits; ++i) {
      // Most damage goes to the headers and the directory, where it matters.
      std::size_t at = rng() % 2 ? rng() % 0x200 : 0x200 + rng() % 0x100;
      bad[at] = static_cast<std::uint8_t>(rng());
    }
    plat::HMODULE m = plat::LoadLibraryFromMemory(bad);
    if (m != nullptr) {
      for (const auto& res : Sample()) {
        plat::HRSRC h = plat::FindResource(m, res.name, res.type);
        auto bytes = plat::ResourceBytes(m, res.name, res.type);
        if (h != nullptr) {
          EXPECT_EQ(plat::SizeofResource(m, h), bytes.size());
        }
      }
      plat::FreeLibrary(m);
    }
  }
}

}  // namespace
