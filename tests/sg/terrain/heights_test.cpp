// Height files, height sets shared by pages, and the page index.

#include <tuple>

#include "support/terrainfixture.h"

#include "sg/core/hash.h"

namespace terraintest {
namespace {

using Heights = TerrainTest;

SGPageHeightInfo* Set(SGScene* scene, std::uint32_t key) {
  SGHashValue v = 0;
  EXPECT_EQ(SGHashFind(scene->scnHeightTable, key, &v), SG_ERROR_NONE);
  return reinterpret_cast<SGPageHeightInfo*>(v);
}

TEST_F(Heights, FlatFileLoadsWithUprightNormalsAndItsRange) {
  World w;
  w.files = {HeightFile(17, Flat(17, 100))};
  Open(w);
  SGPage* page = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 1, 2, &page), SG_ERROR_NONE);
  EXPECT_EQ(page->pagLoc[0], 2);
  EXPECT_EQ(page->pagLoc[1], 1);
  EXPECT_EQ(page->pagOrigin[0], 32.f);
  EXPECT_EQ(page->pagOrigin[1], 16.f);
  EXPECT_NE(page->pagFlags & SG_PAGE_FLAG_HEIGHTS, 0u);
  const SGPageHeightLOD* phl = page->pagHeightLOD;
  ASSERT_EQ(phl->phlSize, 17u);
  for (std::size_t i = 0; i < 17 * 17; ++i) {
    ASSERT_EQ(phl->phlNormals[i], 0x88) << i;
    ASSERT_EQ(phl->phlHeights[i], 100) << i;
  }
  EXPECT_FLOAT_EQ(page->pagHeightInfo->phiCeiling, 20.f);
  EXPECT_FLOAT_EQ(page->pagHeightInfo->phiFloor, 20.f);
  EXPECT_EQ(SGSceneLoadPage(Scene(), 0, 0, 1, 2, &page), SG_ERROR_PAGE_RESIDENT);
}

// A 65-sample file in a scene of 17-sample pages is reduced twice: a ramp
// stays a ramp at four times the step (the weighted means of a linear field
// are the field itself inside; the edges lean inward).
TEST_F(Heights, LargerFileIsReducedToThePageSize) {
  World w;
  w.files = {HeightFile(65, Ramp(65, 3))};
  Open(w);
  SGPage* page = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 0, &page), SG_ERROR_NONE);
  const SGPageHeightLOD* phl = page->pagHeightLOD;
  ASSERT_EQ(phl->phlSize, 17u);
  EXPECT_EQ(Scene()->scnMaxLOD, 4u);
  for (std::uint32_t x = 1; x < 16; ++x) {
    EXPECT_EQ(phl->phlHeights[5 * 17 + x], x * 12) << x;
  }
  EXPECT_EQ(page->pagHeightInfo->phiNumTerrLODs, 5u);
}

TEST_F(Heights, BadHeightFilesAreRefusedAndLeaveNoPage) {
  World w;
  w.files = {
      {},                           // empty
      {17, 1, 2, 3},                // short
      {0},                          // no samples
      {0xF0, 1, 2, 3},              // negative size
      HeightFile(9, Flat(9, 1)),    // smaller than the pages
      HeightFile(18, Flat(18, 1)),  // not reducible to 17
      HeightFile(66, Flat(66, 1)),  // passes end at 18
  };
  w.keyOf = [](std::int32_t c, std::int32_t) { return static_cast<std::uint32_t>(c); };
  w.size[0] = 8;
  Open(w);
  for (std::uint32_t key = 0; key < w.files.size(); ++key) {
    SGPage* page = nullptr;
    const SGError err = SGSceneLoadPage(Scene(), key, 0, 0, static_cast<std::int32_t>(key), &page);
    EXPECT_TRUE(err == SG_ERROR_HEIGHT_FILE || err == SG_ERROR_HEIGHT_SIZE) << key << " " << err;
    EXPECT_EQ(Scene()->scnPages, nullptr) << key;
    EXPECT_EQ(Set(Scene(), key)->phiFlags & SG_PHI_LOADED, 0u) << key;
  }
  SGPage* page = nullptr;
  EXPECT_EQ(SGSceneLoadPage(Scene(), 99, 0, 0, 0, &page), SG_ERROR_HASH_NOT_FOUND);
  EXPECT_EQ(Scene()->scnPages, nullptr);
}

// Pages of one height index share its grids; each further page has slots of
// its own so its vertices are made for it. The last page to let go unloads a
// named set, and the next page reads the file again.
TEST_F(Heights, PagesShareGridsButNotSlotsAndTheLastReleaseUnloads) {
  World w;
  w.files = {HeightFile(17, Cone(17, 200, 10))};
  Open(w);
  SGPage* a = nullptr;
  SGPage* b = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 0, &a), SG_ERROR_NONE);
  a->pagHeightLOD->phlVerts[5].tvTimeStamp = 77;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 1, &b), SG_ERROR_NONE);
  EXPECT_EQ(a->pagHeightLOD->phlHeights, b->pagHeightLOD->phlHeights);
  EXPECT_EQ(a->pagHeightLOD->phlNormals, b->pagHeightLOD->phlNormals);
  EXPECT_NE(a->pagHeightLOD->phlVerts, b->pagHeightLOD->phlVerts);
  EXPECT_EQ(b->pagHeightLOD->phlVerts[5].tvTimeStamp, 0u);
  SGPageHeightInfo* phi = Set(Scene(), 0);
  EXPECT_EQ(phi->phiRefCnt, 2u);
  ISGSceneFreePage(Scene(), a);
  EXPECT_EQ(phi->phiRefCnt, 1u);
  EXPECT_EQ(b->pagHeightLOD->phlHeights[8 * 17 + 8], 200);
  ISGSceneFreePage(Scene(), b);
  EXPECT_EQ(phi, Set(Scene(), 0));
  EXPECT_EQ(phi->phiFlags & SG_PHI_LOADED, 0u);
  EXPECT_EQ(phi->phiLOD, nullptr);
  drive_.Write("h0.hgt", HeightFile(17, Flat(17, 7)));
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 3, 3, &a), SG_ERROR_NONE);
  EXPECT_EQ(a->pagHeightLOD->phlHeights[0], 7);
}

// Locations wrap by the world size; a missing page is asked for once, and a
// hook that loads nothing leaves no page behind.
TEST_F(Heights, PageLookupWrapsAndAsksForMissingPages) {
  World w;
  w.files = {HeightFile(17, Flat(17, 1))};
  Open(w);
  const std::int32_t minusOne[2] = {-1, -1};
  SGPage* page = nullptr;
  ASSERT_EQ(SGSceneGetPage(Scene(), &page, minusOne, 1), SG_ERROR_NONE);
  EXPECT_EQ(page->pagLoc[0], 3);
  EXPECT_EQ(page->pagLoc[1], 3);
  EXPECT_EQ(terrain_.requests_, 1);
  SGPage* again = nullptr;
  const std::int32_t same[2] = {7, 3};
  ASSERT_EQ(SGSceneGetPage(Scene(), &again, same, 1), SG_ERROR_NONE);
  EXPECT_EQ(again, page);
  EXPECT_EQ(terrain_.requests_, 1);
  const std::int32_t other[2] = {1, 2};
  EXPECT_EQ(SGSceneGetPage(Scene(), &again, other, 0), SG_ERROR_PAGE_MISSING);
  SGSceneSetPageCallback(
      Scene(), [](std::int32_t, std::int32_t, std::uintptr_t) {}, 0);
  EXPECT_EQ(SGSceneGetPage(Scene(), &again, other, 1), SG_ERROR_PAGE_MISSING);
  // Only the resident page is left in the index.
  EXPECT_EQ(Scene()->scnPages, page);
  EXPECT_EQ(page->pagXNext, nullptr);
  EXPECT_EQ(page->pagYNext, nullptr);
}

// The index keeps rows by y and pages by x whatever the order of loading, and
// freeing pages anywhere keeps the links whole.
TEST_F(Heights, PageIndexStaysSortedThroughLoadsAndFrees) {
  World w;
  w.files = {HeightFile(17, Flat(17, 1))};
  Open(w);
  const int order[][2] = {{2, 1}, {0, 1}, {3, 0}, {1, 1}, {0, 3}, {1, 0}, {3, 3}};
  std::vector<SGPage*> pages;
  for (const auto& cr : order) {
    SGPage* p = nullptr;
    ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, cr[1], cr[0], &p), SG_ERROR_NONE);
    pages.push_back(p);
  }
  auto walk = [&] {
    std::vector<std::pair<int, int>> seen;
    for (SGPage* row = Scene()->scnPages; row != nullptr; row = row->pagYNext) {
      EXPECT_EQ(*row->pagBack, row);
      for (SGPage* p = row; p != nullptr; p = p->pagXNext) {
        EXPECT_EQ(*p->pagBack, p);
        seen.emplace_back(p->pagLoc[1], p->pagLoc[0]);
      }
    }
    return seen;
  };
  auto seen = walk();
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.size(), 7u);
  ISGSceneFreePage(Scene(), pages[1]);  // head of row 1
  ISGSceneFreePage(Scene(), pages[2]);  // last of row 0
  ISGSceneFreePage(Scene(), pages[4]);  // head of row 3
  seen = walk();
  const std::vector<std::pair<int, int>> left{{0, 1}, {1, 1}, {1, 2}, {3, 3}};
  EXPECT_EQ(seen, left);
}

// The index as (row, column) pairs in walking order, every back link checked.
std::vector<std::pair<int, int>> IndexOf(const SGScene* scene) {
  std::vector<std::pair<int, int>> seen;
  for (SGPage* row = scene->scnPages; row != nullptr; row = row->pagYNext) {
    EXPECT_EQ(*row->pagBack, row);
    for (SGPage* p = row; p != nullptr; p = p->pagXNext) {
      EXPECT_EQ(*p->pagBack, p);
      seen.emplace_back(p->pagLoc[1], p->pagLoc[0]);
    }
  }
  return seen;
}

// Moving a page relinks it at the wrapped location, putting out a page that
// lay there; taking a place hands the newcomer the old page's links and
// cache slot. Either way the page put out is the caller's, whole and apart.
TEST_F(Heights, PagesMoveAndTakeOverPlacesInTheIndex) {
  World w;
  w.files = {HeightFile(17, Flat(17, 1))};
  Open(w);
  SGPage* a = nullptr;
  SGPage* b = nullptr;
  SGPage* c = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 0, &a), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 1, &b), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 2, 3, &c), SG_ERROR_NONE);

  const std::int32_t wrapped[2] = {-1, 5};  // column 3, row 1 of a 4 x 4 world
  ASSERT_EQ(SGSceneMovePage(Scene(), a, wrapped), SG_ERROR_NONE);
  EXPECT_EQ(IndexOf(Scene()), (std::vector<std::pair<int, int>>{{0, 1}, {1, 3}, {2, 3}}));
  EXPECT_EQ(a->pagOrigin[0], 3 * w.pageSize);
  EXPECT_EQ(a->pagOrigin[1], 1 * w.pageSize);

  const std::int32_t ontoC[2] = {3, 2};
  ASSERT_EQ(SGSceneMovePage(Scene(), b, ontoC), SG_ERROR_NONE);
  EXPECT_EQ(IndexOf(Scene()), (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
  EXPECT_EQ(c->pagBack, nullptr) << "the page put out is unlinked";
  SGPage* found = nullptr;
  ASSERT_EQ(SGSceneGetPage(Scene(), &found, ontoC, 0), SG_ERROR_NONE);
  EXPECT_EQ(found, b);

  // c takes a's place, which the camera's cache holds.
  const double eye[3] = {3.5 * w.pageSize, 1.5 * w.pageSize, 10.0};
  ASSERT_EQ(ISGSceneFillCache(Scene(), eye), SG_ERROR_NONE);
  const std::int32_t atA[2] = {3, 1};
  ASSERT_EQ(SGSceneTakePage(Scene(), c, atA), SG_ERROR_NONE);
  EXPECT_EQ(IndexOf(Scene()), (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
  EXPECT_EQ(Scene()->scnPages, c);
  EXPECT_EQ(c->pagYNext, b);
  EXPECT_EQ(std::make_tuple(a->pagBack, a->pagXNext, a->pagYNext), std::make_tuple(nullptr, nullptr, nullptr));
  EXPECT_EQ(Scene()->scnCache[1][3], c);
  ASSERT_EQ(SGSceneGetPage(Scene(), &found, atA, 0), SG_ERROR_NONE);
  EXPECT_EQ(found, c);

  // Nobody at the place: the page only takes the location, unlinked.
  const std::int32_t empty[2] = {0, 0};
  ASSERT_EQ(SGSceneTakePage(Scene(), a, empty), SG_ERROR_NONE);
  EXPECT_EQ(a->pagBack, nullptr);
  EXPECT_EQ(std::make_pair(int{a->pagLoc[0]}, int{a->pagLoc[1]}), std::make_pair(0, 0));
  EXPECT_EQ(IndexOf(Scene()).size(), 2u);
  ISGSceneFreePage(Scene(), a);
  // What the scene does not offer says so.
  EXPECT_EQ(SGSceneUnsupported(0, 0, 0, 0, 0), SG_ERROR_UNSUPPORTED);
}

// A page freed while the camera's cache holds it is not found again there
// (under the sanitizers a stale slot is a read of freed memory).
TEST_F(Heights, AFreedPageLeavesTheCache) {
  World w;
  w.files = {HeightFile(17, Flat(17, 1))};
  Open(w);
  SGPage* page = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 1, 1, &page), SG_ERROR_NONE);
  const double eye[3] = {1.5 * Scene()->scnPageSize, 1.5 * Scene()->scnPageSize, 10.0};
  ASSERT_EQ(ISGSceneFillCache(Scene(), eye), SG_ERROR_NONE);
  ISGSceneFreePage(Scene(), page);
  const std::int32_t loc[2] = {1, 1};
  SGPage* found = nullptr;
  EXPECT_EQ(SGSceneGetPage(Scene(), &found, loc, 0), SG_ERROR_PAGE_MISSING);
  EXPECT_EQ(found, nullptr);
}

TEST_F(Heights, CallerGridsStayTheCallersAndAreChecked) {
  World w;
  Open(w);
  auto heights = Ramp(17, 2);
  std::vector<std::uint8_t> normals(17 * 17, 0x88);
  EXPECT_EQ(SGSceneAddHeightGrid(Scene(), heights.data(), normals.data(), 20, 0, 17, 5), SG_ERROR_HEIGHT_SIZE);
  ASSERT_EQ(SGSceneAddHeightGrid(Scene(), heights.data(), normals.data(), 32, 0, 17, 5), SG_ERROR_NONE);
  SGPage* page = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 5, 0, 0, 0, &page), SG_ERROR_NONE);
  EXPECT_EQ(page->pagHeightLOD->phlHeights, heights.data());
  EXPECT_FLOAT_EQ(page->pagHeightInfo->phiCeiling, 32 * 0.2f);
  // Freed with the scene: the grids are not (the vectors free them).
}

}  // namespace
}  // namespace terraintest

namespace terraintest {
namespace {

// Texture sets are shared by count; the last page to let go frees the levels
// read from files, while a level the caller installed stays for later pages.
TEST_F(Heights, TextureSetsAreSharedAndCallerLevelsOutliveThePages) {
  World w;
  w.files = {HeightFile(17, Flat(17, 1))};
  Open(w);
  SGPage* a = nullptr;
  SGPage* b = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 0, &a), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 1, &b), SG_ERROR_NONE);
  SGPageTexInfo* pti = a->pagTextureInfo;
  ASSERT_EQ(pti, b->pagTextureInfo);
  EXPECT_EQ(pti->ptiRefCnt, 2u);
  SGTextureMap* installed = pti->ptiTexLODs[0];
  ISGSceneFreePage(Scene(), a);
  ISGSceneFreePage(Scene(), b);
  EXPECT_EQ(pti->ptiRefCnt, 0u);
  EXPECT_EQ(pti->ptiTexLODs[0], installed);
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 2, 2, &a), SG_ERROR_NONE);
  EXPECT_EQ(a->pagTextureInfo->ptiTexLODs[0], installed);
  // A level neither named nor installed cannot be read again; one past the set's levels is refused.
  SGPage* c = nullptr;
  SGTextureMap* txm = Checker(8, 1, 2);
  ASSERT_EQ(SGSceneSetTexLOD(Scene(), txm, 4, 1), SG_ERROR_NONE);
  SGTextureMapRelease(txm);
  EXPECT_EQ(SGSceneLoadPage(Scene(), 0, 4, 3, 3, &c), SG_ERROR_NONE);  // level 0 unnamed and empty, 1 installed
  EXPECT_EQ(SGPageLoadTexLOD(Scene(), c, 0), SG_ERROR_PAGE_MISSING);
  EXPECT_EQ(SGPageLoadTexLOD(Scene(), c, 5), SG_ERROR_INST_INDEX);
}

}  // namespace
}  // namespace terraintest

namespace terraintest {
namespace {

// A texture header file: format, a word, width, height, pitch, three words, then the texels.
std::vector<std::uint8_t> TextureFile(std::uint32_t size, std::uint8_t texel) {
  sgtest::Bytes b;
  b.U32(SG_TXM_FORMAT_IDX8).U32(0).U32(size).U32(size).U32(size).U32(0).U32(0).U32(0);
  b.Fill(static_cast<std::size_t>(size) * size, texel);
  return b.b;
}

// The description file's "TEXTURE" lines name the files of a set's levels:
// the first page of the set reads them all, the last to let go frees them, and
// a set naming a file that is not there refuses its page.
TEST_F(Heights, TextureLinesLoadTheirFilesWithTheFirstPage) {
  World w;
  w.files = {HeightFile(17, Flat(17, 1))};
  w.moreLines = "TEXTURE 7 2 fine.tex coarse.tex\nTEXTURE 8 1 missing.tex\n";
  drive_.Write("fine.tex", TextureFile(64, 5));
  drive_.Write("coarse.tex", TextureFile(16, 6));
  Open(w);
  SGPage* page = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 7, 0, 0, &page), SG_ERROR_NONE);
  SGPageTexInfo* pti = page->pagTextureInfo;
  ASSERT_EQ(pti->ptiNumTexLODs, 2u);
  ASSERT_NE(pti->ptiTexLODs[0], nullptr);
  ASSERT_NE(pti->ptiTexLODs[1], nullptr);
  EXPECT_EQ(pti->ptiTexLODs[0]->txmSize.u[0], 64u);
  EXPECT_EQ(pti->ptiTexLODs[1]->txmInfo->tpiTexels[0], 6);
  ISGSceneFreePage(Scene(), page);
  EXPECT_EQ(pti->ptiTexLODs[0], nullptr);
  EXPECT_NE(SGSceneLoadPage(Scene(), 0, 8, 0, 1, &page), SG_ERROR_NONE);
  const std::int32_t loc[2] = {1, 0};
  EXPECT_EQ(SGSceneGetPage(Scene(), &page, loc, 0), SG_ERROR_PAGE_MISSING);
}

}  // namespace
}  // namespace terraintest

namespace terraintest {
namespace {

TEST_F(Heights, TextureLevelsAreReleasedAndReadAgainByKey) {
  World w;
  w.files = {HeightFile(17, Flat(17, 1))};
  w.moreLines = "TEXTURE 7 2 fine.tex coarse.tex\n";
  drive_.Write("fine.tex", TextureFile(64, 5));
  drive_.Write("coarse.tex", TextureFile(16, 6));
  Open(w);
  SGPage* page = nullptr;
  ASSERT_EQ(SGSceneLoadPage(Scene(), 0, 0, 0, 0, &page), SG_ERROR_NONE);  // texture set 0
  ASSERT_EQ(SGPageLoadTexLODByKey(Scene(), page, 7, 1), SG_ERROR_NONE);
  SGPageTexInfo* pti = page->pagTextureInfo;
  EXPECT_EQ(pti->ptiRefCnt, 1u);
  EXPECT_EQ(pti->ptiTexLODs[0], nullptr);
  ASSERT_NE(pti->ptiTexLODs[1], nullptr);
  EXPECT_EQ(SGSceneReleaseTexLOD(Scene(), 7, 1), SG_ERROR_NONE);
  EXPECT_EQ(pti->ptiTexLODs[1], nullptr);
  EXPECT_EQ(SGSceneReleaseTexLOD(Scene(), 7, 2), SG_ERROR_INST_INDEX);
  ASSERT_EQ(SGPageLoadTexLOD(Scene(), page, 1), SG_ERROR_NONE);
  EXPECT_EQ(pti->ptiTexLODs[1]->txmSize.u[0], 16u);
  EXPECT_EQ(SGPageReleaseTexLOD(Scene(), page, 1), SG_ERROR_NONE);
  // The page lets go; the scene's own reference on set 7 goes last and takes the key with it.
  ASSERT_EQ(SGSceneRefTextures(Scene(), 7), SG_ERROR_NONE);
  ISGSceneFreePage(Scene(), page);
  EXPECT_EQ(SGSceneReleaseTextures(Scene(), 7), SG_ERROR_NONE);
  EXPECT_EQ(SGSceneReleaseTextures(Scene(), 7), SG_ERROR_HASH_NOT_FOUND);
}

}  // namespace
}  // namespace terraintest
