// The readers of the 3D content: the name index, material lists, and model,
// material, texture and palette resources, whole and damaged; and the shared
// material cache.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/DispData.h"
#include "platform/core/bytes.h"
#include "sg/core/malloc.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "tools/sgdata/sgdata.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Index(std::vector<std::pair<std::string, std::uint32_t>> entries, std::uint32_t count) {
  plat::ByteWriter w;
  w.U32(count);
  for (const auto& [name, id] : entries) {
    std::uint8_t padded[48] = {};
    std::memcpy(padded, name.data(), name.size());
    w.WriteBytes(padded);
    w.U32(id);
  }
  return w.Take();
}

TEST(ModelIndex, SearchesNeverLeaveTheTableAndCountsBeyondItAreRefused) {
  const Bytes bytes = Index({{"3ddata_a_mat", 501}, {"3ddata_m_mdl", 502}, {"3ddata_z_lst", 499}}, 3);
  ModelIndexTable t;
  ASSERT_TRUE(t.Assign(bytes));
  EXPECT_EQ(t.Find("3ddata_a_mat"), 501u);  // first
  EXPECT_EQ(t.Find("3ddata_m_mdl"), 502u);
  EXPECT_EQ(t.Find("3ddata_z_lst"), 499u);  // last
  EXPECT_EQ(t.Find("0"), 0u);               // below every entry
  EXPECT_EQ(t.Find("~"), 0u);               // above every entry
  EXPECT_EQ(t.Find("3ddata_b"), 0u);
  EXPECT_EQ(t.Find(std::string(60, 'x')), 0u);
  // Numbers below 500 are not archive resources.
  EXPECT_EQ(t.Lookup("", "3DDATA\\z.lst"), 0u);
  // A count beyond the bytes, or no count at all, leaves an empty table.
  EXPECT_FALSE(t.Assign(Index({{"3ddata_a_mat", 501}}, 2)));
  EXPECT_EQ(t.Count(), 0u);
  EXPECT_EQ(t.Find("3ddata_a_mat"), 0u);
  EXPECT_FALSE(t.Assign(Bytes{1, 0}));
  EXPECT_FALSE(t.Assign(Index({}, 0xFFFFFFFF)));
}

TEST(ModelIndex, RelativeAndFlattenedNamesGiveTheSameKey) {
  EXPECT_EQ(ModelIndexTable::KeyOf("C:\\QUENBAR\\", "3DDATA\\Asteroid\\3dAst\\AST01.PAL"),
            "3ddata_asteroid_3dast_ast01_pal");
  EXPECT_EQ(ModelIndexTable::KeyOf("C:\\QUENBAR\\3DDATA\\", "BBMedium.mdl"), "3ddata_bbmedium_mdl");
  EXPECT_EQ(ModelIndexTable::KeyOf("", "3ddata_asteroid_3dast_ast01_pal"), "3ddata_asteroid_3dast_ast01_pal");
  EXPECT_EQ(ModelIndexTable::KeyOf("", "C:\\QUENBAR\\3DDATA\\sun\\sun0.mat"), "3ddata_sun_sun0_mat");
  // A look-up flattens the name as KeyOf does; a name longer than any key,
  // however long, finds nothing.
  ModelIndexTable t;
  const Bytes bytes = Index({{"3ddata_sun_sflr10_mat", 601}, {"3ddata_sun_sun0_mat", 602}}, 2);
  ASSERT_TRUE(t.Assign(bytes));
  EXPECT_EQ(t.Lookup("C:\\QUENBAR\\3DDATA\\sun\\", "SFLR10.MAT"), 601u);
  EXPECT_EQ(t.Lookup("ignored\\", "C:\\QUENBAR\\3DDATA\\sun\\sun0.mat"), 602u);
  EXPECT_EQ(t.Lookup(nullptr, "3DDATA\\sun\\sun0.mat"), 602u);
  EXPECT_EQ(t.Lookup("C:\\QUENBAR\\3DDATA\\sun\\", "sflr11.mat"), 0u);
  const std::string longName(5000, 'a');
  EXPECT_EQ(t.Lookup("C:\\QUENBAR\\3DDATA\\sun\\", longName.c_str()), 0u);
  EXPECT_EQ(ModelIndexTable::KeyOf("C:\\", longName.c_str()), "c:_" + longName);
}

TEST(MaterialList, LinesEndAtLineFeedsAndTheTextAtItsEndMark) {
  const std::string text = "one.mat\r\ntwo.mat\nthis_name_is_longer_than_thirty_one.mat\r\nlast.mat";
  const auto lines = ParseMaterialList({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "one.mat");
  EXPECT_EQ(lines[1], "two.mat");
  EXPECT_EQ(lines[2], "this_name_is_longer_than_thirty");
  EXPECT_EQ(lines[3], "last.mat");  // no line end
  const std::string ended = std::string("a.mat\n\x1A") + "b.mat\n";
  EXPECT_EQ(ParseMaterialList({reinterpret_cast<const std::uint8_t*>(ended.data()), ended.size()}),
            std::vector<std::string>{"a.mat"});
  EXPECT_TRUE(ParseMaterialList({}).empty());
}

// Resources by name for the readers, as the archive would give them.
struct Store : DispResources {
  std::map<std::string, Bytes> files;
  std::span<const std::uint8_t> Fetch(const std::string& name) const override {
    auto it = files.find(name);
    if (it == files.end()) return {};
    return it->second;
  }
  const DispResources& Resources() const { return *this; }
};

Bytes Texture(std::uint32_t w, std::uint32_t h) {
  Bytes texels(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint8_t>(i % 7);
  return sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8 | SG_TXM_PALETTE_FILE, w, h, texels, texels, "P.PAL");
}

Bytes Palette() { return sgdata::MakePalette(sgdata::Spectrum(16)); }

Bytes Material(const std::string& texture) {
  SGMaterial mat{};
  mat.matType = SG_MAT_TYPE_TRANSPARENT_TEXTURE;
  return sgdata::MakeMaterialFile(mat, {}, texture);
}

TEST(ArchiveRecords, WholeResourcesReadAndEveryShortOneIsRefused) {
  Store store;
  store.files["P.PAL"] = Palette();
  store.files["T.PTX"] = Texture(16, 8);
  const Bytes material = Material("T.PTX");
  SGMaterial* mat = nullptr;
  ASSERT_EQ(ReadMaterialResource(store.Resources(), material, &mat), kDispOk);
  ASSERT_NE(mat->matTexMap, nullptr);
  EXPECT_EQ(mat->matTexMap->txmSize.u[0], 16u);
  EXPECT_EQ(mat->matTexMap->txmInfo->tpiTexels[9], 9 % 7);
  EXPECT_EQ(mat->matTexMap->txmInfo->tpiPal->tpNumColours, 16u);
  // Mirrored rows.
  SGTextureMap* mirror = MirrorTexture(mat->matTexMap);
  ASSERT_NE(mirror, nullptr);
  EXPECT_EQ(mirror->txmInfo->tpiTexels[0], mat->matTexMap->txmInfo->tpiTexels[15]);
  EXPECT_EQ(mirror->txmInfo->tpiTexels[16 + 3], mat->matTexMap->txmInfo->tpiTexels[16 + 12]);
  SGTextureMapRelease(mirror);
  SGMaterialDestroy(mat);

  // Every cut of the material, its texture and its palette is refused.
  for (std::size_t cut = 0; cut < material.size(); ++cut) {
    const Bytes part(material.begin(), material.begin() + static_cast<long>(cut));
    SGMaterial* m = nullptr;
    EXPECT_NE(ReadMaterialResource(store.Resources(), part, &m), kDispOk) << cut;
    EXPECT_EQ(m, nullptr);
  }
  const Bytes texture = store.files["T.PTX"];
  for (std::size_t cut = 0; cut + 6 < texture.size(); cut += 7) {
    store.files["T.PTX"] = Bytes(texture.begin(), texture.begin() + static_cast<long>(cut));
    SGMaterial* m = nullptr;
    EXPECT_NE(ReadMaterialResource(store.Resources(), material, &m), kDispOk) << cut;
  }
  store.files["T.PTX"] = texture;
  const Bytes palette = store.files["P.PAL"];
  store.files["P.PAL"] = Bytes(palette.begin(), palette.begin() + 20);
  SGMaterial* m = nullptr;
  EXPECT_EQ(ReadMaterialResource(store.Resources(), material, &m), kDispDamaged);
  store.files.erase("P.PAL");
  EXPECT_EQ(ReadMaterialResource(store.Resources(), material, &m), kDispMissing);
  // A shade table longer than the resource.
  Bytes big = sgdata::MakeMaterialFile(SGMaterial{}, {}, "");
  big[22] = 1;  // 0x10000 shades
  big[26] = 1;  // of 0x10000 bytes
  EXPECT_EQ(ReadMaterialResource(store.Resources(), big, &m), kDispDamaged);
  // A texture of a form the views do not draw.
  Bytes odd = texture;
  odd[0] = 6;
  odd[2] = 0;
  SGTextureMap* t = nullptr;
  EXPECT_EQ(ReadTextureResource(store.Resources(), odd, &t), kDispBadFormat);
}

TEST(ArchiveRecords, AModelsCopyLengthMustLieInsideItsResource) {
  sgdata::ShipShape shape;
  const Bytes file = sgdata::MakeShipModelFile(shape);
  SGModel* model = nullptr;
  ASSERT_EQ(ReadModelResource(file, &model), kDispOk);
  SGModelFree(model);
  Bytes longer = file;
  longer[0] = static_cast<std::uint8_t>(longer[0] + 1);
  EXPECT_EQ(ReadModelResource(longer, &model), kDispDamaged);
  EXPECT_EQ(ReadModelResource(Bytes{1, 2}, &model), kDispDamaged);
  EXPECT_EQ(model, nullptr);
}

}  // namespace
