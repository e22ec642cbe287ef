// The archive reader against archives the tools' writer makes: both read modes,
// ids, references, fix-ups, and damaged files.
#include <gtest/gtest.h>

#include <cstring>

#include "media/ArchiveFormat.h"
#include "media/ResourceArchive.h"
#include "tests/media/archive/archive_fixture.h"

namespace archivetest {
namespace {

std::uint32_t Word(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

class ModeTest : public ArchiveTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(ModeTest, RoundTripKeepsBytesTypesAndFixupsInsideTheBlock) {
  const std::vector<nob::Resource> resources = {Linked(7, 0xA1, 64), Linked(3, 0xB2, 1000), Linked(1, 0xC3, 8)};
  const std::string path = Put("world.nob", 500, GetParam(), resources);
  const std::string before = drive_.Read("world.nob");
  ASSERT_EQ(ArchiveOpen(path.c_str(), 0), kArchiveOk);
  for (std::uint32_t i = 0; i < resources.size(); ++i) {
    const std::uint32_t id = 501 + 2 * i;
    EXPECT_EQ(ResourceSize(id), resources[i].data.size());
    EXPECT_EQ(ResourceGetType(id), resources[i].type);
    std::uint8_t* data = ResourceGet(id);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, resources[i].data.data(), resources[i].data.size()), 0);
    EXPECT_EQ(Word(data), resources[i].data.size() / 2);  // relative, inside the block
    EXPECT_EQ(ResourceGetId(data), id);
    EXPECT_EQ(ResourceRelease(data), 0);
  }
  ArchiveClose("WORLD.NOB");
  EXPECT_EQ(ResourceSize(501), 0u);
  EXPECT_EQ(drive_.Read("world.nob"), before);
}

TEST_P(ModeTest, IdsResolveOverTheArchiveRange) {
  ASSERT_EQ(ArchiveOpen(Put("ids.nob", 500, GetParam(), {Linked(1, 1), Linked(2, 2), Linked(3, 3)}).c_str(), 0), 0);
  EXPECT_EQ(ResourceGetType(501), 1u);
  EXPECT_EQ(ResourceGetType(503), 2u);
  EXPECT_EQ(ResourceGetType(505), 3u);
  EXPECT_EQ(ResourceGetType(500), 1u);
  EXPECT_EQ(ResourceSize(499), 0u);
  // Index 3 is the mapped directory's extra record; a stdio one has none.
  EXPECT_EQ(ResourceBlockSize(506) != 0, GetParam() == kArchiveModeMapped);
  EXPECT_EQ(ResourceGet(507), nullptr);
}

TEST_P(ModeTest, ReferencesFreeWithTheLastReleaseUnlessResident) {
  ASSERT_EQ(ArchiveOpen(Put("refs.nob", 0, GetParam(), {Linked(1, 1), Linked(1, 2, 64, kArchiveResident)}).c_str(), 0),
            0);
  std::uint8_t* a = ResourceGet(1);
  EXPECT_EQ(ResourceGet(1), a);
  ResourceRelease(a);
  EXPECT_EQ(ResourceGetRefCount(1), 1);
  EXPECT_TRUE(ResourceGetBlock(1) != nullptr || GetParam() == kArchiveModeMapped);
  ResourceRelease(a);
  EXPECT_EQ(ResourceGetRefCount(1), 0);
  EXPECT_EQ(ResourceGetId(a), 0u);  // no longer loaded
  std::uint8_t* r = ResourceGet(3);
  ResourceRelease(r);
  EXPECT_EQ(ResourceGetId(r), 3u);  // resident stays
  EXPECT_EQ(ResourceRelease(nullptr), 0);
  EXPECT_EQ(ResourceRelease(reinterpret_cast<void*>(std::uintptr_t{3})), 0);
  EXPECT_EQ(ResourceGetRefCount(3), 0);
}

TEST_P(ModeTest, CallerBufferIsGivenBackOnRelease) {
  ASSERT_EQ(ArchiveOpen(Put("into.nob", 10, GetParam(), {Linked(5, 9, 40)}).c_str(), 0), 0);
  std::vector<std::uint8_t> buffer(ResourceBlockSize(11));
  ASSERT_EQ(buffer.size(), 48u);
  std::uint8_t* data = ResourceGetInto(11, buffer.data());
  ASSERT_EQ(data, buffer.data() + 8);
  EXPECT_EQ(data[39], 9);
  EXPECT_EQ(Word(buffer.data() + 4), 0xFEDCFEDCu);
  EXPECT_EQ(ResourceRelease(data), 1);
  EXPECT_EQ(ResourceGetId(data), 0u);
}

TEST_P(ModeTest, PreloadAndHooksAndEnumeration) {
  static std::vector<std::pair<std::uint32_t, std::intptr_t>> unloaded;
  unloaded.clear();
  ASSERT_EQ(TypeSetUnloadHook(4,
                              [](std::uint32_t id, std::uint8_t*, std::intptr_t arg) {
                                unloaded.push_back({id, arg});
                              }),
            1);
  EXPECT_EQ(TypeGetLoadHook(4), nullptr);
  ASSERT_EQ(ArchiveOpen(Put("b.nob", 100, GetParam(), {Linked(4, 1, 16, kArchivePreload), Linked(4, 2)}).c_str(), 1),
            0);
  ASSERT_EQ(ArchiveOpen(Put("a.nob", 20, GetParam(), {Linked(2, 3)}).c_str(), 0), 0);
  ResourceCursor cursor;
  std::vector<std::uint32_t> ids;
  while (ResourceEnumNext(&cursor)) {
    ids.push_back(cursor.id);
    if (cursor.id == 101) {
      EXPECT_NE(cursor.data, nullptr);  // preloaded
    }
  }
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{21, 101, 103}));
  std::uint8_t* d = ResourceGet(103);
  ResourceRelease(d);
  ArchiveClose("b");
  EXPECT_EQ(unloaded, (std::vector<std::pair<std::uint32_t, std::intptr_t>>{{103, 0}, {101, 1}}));
}

INSTANTIATE_TEST_SUITE_P(BothModes, ModeTest, ::testing::Values(kArchiveModeStdio, kArchiveModeMapped));

TEST_F(ArchiveTest, OpenRefusesBadFilesWithAStatus) {
  const auto good = nob::WriteArchive(0, kArchiveModeStdio, {Linked(1, 1)});
  std::string lower = AsString(*good);
  lower.replace(0, 5, "hvfat");
  EXPECT_EQ(ArchiveOpen(PutBytes("lower.nob", lower).c_str(), 0), 0);
  std::string badMode = lower;
  badMode[8] = 3;
  EXPECT_EQ(ArchiveOpen(PutBytes("mode.nob", badMode).c_str(), 0), kArchiveBadTag);
  std::string badTag = lower;
  badTag[0] = 'X';
  EXPECT_EQ(ArchiveOpen(PutBytes("tag.nob", badTag).c_str(), 0), kArchiveBadTag);
  EXPECT_EQ(ArchiveOpen(PutBytes("short.nob", lower.substr(0, 20)).c_str(), 0), kArchiveShortRead);
  EXPECT_EQ(ArchiveOpen(drive_.Dos("missing.nob").c_str(), 0), kArchiveCannotOpen);
  EXPECT_EQ(ArchiveOpen(PutBytes("averylongname15.nob", lower).c_str(), 0), kArchiveCannotOpen);
  // A directory claiming far more entries than the file holds is not allocated.
  std::string huge = lower;
  huge[12] = huge[13] = huge[14] = huge[15] = '\xFF';
  EXPECT_EQ(ArchiveOpen(PutBytes("huge.nob", huge).c_str(), 0), kArchiveShortRead);
}

TEST_F(ArchiveTest, PathWithoutDotGetsTheExtension) {
  Put("plain.nob", 0, kArchiveModeStdio, {Linked(1, 1)});
  EXPECT_EQ(ArchiveOpen(drive_.Dos("plain").c_str(), 0), 0);
  PutBytes("dotted.dir", "");
  EXPECT_EQ(ArchiveOpen(drive_.Dos("dotted.dir").c_str(), 0), kArchiveShortRead);
}

TEST_F(ArchiveTest, EveryTruncationIsRefusedOrReadInsideTheFile) {
  for (const std::uint32_t mode : {kArchiveModeStdio, kArchiveModeMapped}) {
    const std::string whole = AsString(*nob::WriteArchive(0, mode, {Linked(1, 1, 32), Linked(2, 2, 48)}));
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
      const std::string path = PutBytes("cut.nob", whole.substr(0, cut));
      const int status = ArchiveOpen(path.c_str(), 0);
      if (status != kArchiveOk) continue;
      // The last resource's data or table is what the cut lost.
      EXPECT_EQ(ResourceGet(3), nullptr) << "mode " << mode << " cut " << cut;
      ArchiveClose("cut.nob");
    }
  }
}

TEST_F(ArchiveTest, FixupsOutsideTheDataAreRefused) {
  for (const std::uint32_t mode : {kArchiveModeStdio, kArchiveModeMapped}) {
    std::string image = AsString(*nob::WriteArchive(0, mode, {Linked(1, 1, 32), Linked(1, 2, 32)}));
    const std::size_t records = mode == kArchiveModeMapped ? 3 : 2;
    const std::size_t recordSize = ArchiveRecordSize(mode);
    const std::size_t first = kArchiveHeaderSize + records * recordSize;
    // Resource 0: its table names a word past the data.
    image[first + 32] = 30;
    // Resource 1: its word points past the data.
    image[first + 36] = 99;
    ASSERT_EQ(ArchiveOpen(PutBytes("fix.nob", image).c_str(), 0), 0);
    EXPECT_EQ(ResourceGet(1), nullptr);
    EXPECT_EQ(ResourceGet(3), nullptr);
    ArchiveClose("fix.nob");
  }
  EXPECT_FALSE(nob::WriteArchive(0, 1, {nob::Resource{1, 0, std::vector<std::uint8_t>(8, 0xFF), {0}}}).has_value());
  EXPECT_FALSE(nob::WriteArchive(1, 1, {}).has_value());
}

TEST_F(ArchiveTest, FailuresLeaveNoTraceInOtherArchivesOrCallerBuffers) {
  // A failed preload closes only the archive it opened, not an open one of the
  // same name from another directory.
  Put("same.nob", 0, kArchiveModeStdio, {Linked(1, 0x11, 32)});
  std::string bad = AsString(*nob::WriteArchive(0, kArchiveModeStdio, {Linked(1, 0x22, 32, kArchivePreload)}));
  bad[kArchiveHeaderSize + 20] = 99;  // its size runs past the file
  PutBytes("sub/same.nob", bad);
  ASSERT_EQ(ArchiveOpen(drive_.Dos("same.nob").c_str(), 0), 0);
  EXPECT_EQ(ArchiveOpen(drive_.Dos("sub/same.nob").c_str(), 1), kArchiveDamaged);
  std::uint8_t* data = ResourceGet(1);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data[31], 0x11);
  ResourceRelease(data);
  ArchiveClose("same.nob");
  // A read into a caller buffer that fails does not keep the buffer as data.
  ASSERT_EQ(ArchiveOpen(PutBytes("broken.nob", bad).c_str(), 0), 0);
  std::vector<std::uint8_t> buffer(ResourceBlockSize(1));
  EXPECT_EQ(ResourceGetInto(1, buffer.data()), nullptr);
  EXPECT_EQ(ResourceGetBlock(1), nullptr);
  EXPECT_EQ(ResourceGetId(buffer.data() + 8), 0u);
}

TEST_F(ArchiveTest, MappedResourcesEachHaveTheirOwnAddress) {
  // An empty resource is not given its neighbour's address.
  ASSERT_EQ(
      ArchiveOpen(Put("empty.nob", 0, kArchiveModeMapped, {nob::Resource{1, 0, {}, {}}, Linked(2, 2)}).c_str(), 0), 0);
  std::uint8_t* empty = ResourceGet(1);
  std::uint8_t* next = ResourceGet(3);
  ASSERT_NE(empty, next);
  EXPECT_EQ(ResourceGetId(empty), 1u);
  EXPECT_EQ(ResourceGetId(next), 3u);
  ArchiveClose("empty.nob");
  // Two records at one offset: the second is refused while the first is held.
  std::string image = AsString(*nob::WriteArchive(0, kArchiveModeMapped, {Linked(1, 1, 32), Linked(1, 2, 32)}));
  std::memcpy(&image[kArchiveHeaderSize + kArchiveMappedEntrySize + 16], &image[kArchiveHeaderSize + 16], 4);
  ASSERT_EQ(ArchiveOpen(PutBytes("twice.nob", image).c_str(), 0), 0);
  std::uint8_t* first = ResourceGet(1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ResourceGet(3), nullptr);
  EXPECT_EQ(ResourceRelease(first), 0);
  EXPECT_NE(ResourceGet(3), nullptr);
}

TEST_F(ArchiveTest, MappedDataIsPrivateToTheProcess) {
  const std::string path = Put("map.nob", 0, kArchiveModeMapped, {Linked(1, 1)});
  const std::string before = drive_.Read("map.nob");
  ASSERT_EQ(ArchiveOpen(path.c_str(), 0), 0);
  std::uint8_t* data = ResourceGet(1);
  ASSERT_NE(data, nullptr);
  data[10] = 0x55;
  ResourceRelease(data);
  ArchiveClose("map.nob");
  EXPECT_EQ(drive_.Read("map.nob"), before);
}

}  // namespace
}  // namespace archivetest
