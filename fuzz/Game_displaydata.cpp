// The readers of the 3D content the display objects load, from any bytes: the
// first byte picks the reader (name index, material list, model, material,
// texture, palette); the rest is the resource. A material's texture and a
// texture's palette are read from well-formed resources of the generator, so
// the fuzzed record meets real ones behind it. Nothing may be read past the
// resource; whatever is made is freed again.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/views/world/DispData.h"
#include "fuzz/seeds.h"
#include "platform/core/bytes.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "tools/sgdata/sgdata.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Texels(std::uint32_t w, std::uint32_t h) {
  Bytes t(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(i * 13);
  return t;
}

const Bytes& Palette() {
  static const Bytes p = sgdata::MakePalette(sgdata::Spectrum(32));
  return p;
}

const Bytes& Texture() {
  static const Bytes t = sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8 | SG_TXM_PALETTE_FILE, 16, 16,
                                                         Texels(16, 16), Texels(16, 16), "P");
  return t;
}

struct FixedResources : DispResources {
  std::span<const std::uint8_t> Fetch(const std::string& name) const override {
    if (name == "P") return Palette();
    if (name == "T") return Texture();
    return {};
  }
};

const DispResources& Resources() {
  static const FixedResources resources;
  return resources;
}

Bytes With(std::uint8_t reader, const Bytes& body) {
  Bytes out{reader};
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked([] {
    plat::ByteWriter index;
    index.U32(2);
    for (const char* name : {"3ddata_a_mat", "3ddata_b_mdl"}) {
      std::uint8_t padded[48] = {};
      for (std::size_t i = 0; name[i]; ++i) padded[i] = static_cast<std::uint8_t>(name[i]);
      index.WriteBytes(padded);
      index.U32(501);
    }
    const std::string list = "a.mat\r\nb.mat\r\n";
    SGMaterial mat{};
    mat.matType = SG_MAT_TYPE_TRANSPARENT_TEXTURE;
    return fuzz::Seeds{With(0, index.Take()),
                       With(1, Bytes(list.begin(), list.end())),
                       With(2, sgdata::MakeShipModelFile(sgdata::ShipShape{})),
                       With(3, sgdata::MakeMaterialFile(mat, {}, "T")),
                       With(4, Texture()),
                       With(5, Palette())};
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  // A copy of exactly the resource's size, so a read past it is caught.
  const Bytes body(data + 1, data + size);
  const std::span<const std::uint8_t> bytes(body);
  switch (data[0] % 6) {
    case 0: {
      ModelIndexTable table;
      if (table.Assign(bytes)) {
        table.Find("3ddata_a_mat");
        table.Lookup("C:\\QUENBAR\\3DDATA\\", "b.mdl");
      }
      break;
    }
    case 1:
      ParseMaterialList(bytes);
      break;
    case 2: {
      SGModel* model = nullptr;
      if (ReadModelResource(bytes, &model) == kDispOk) SGModelFree(model);
      break;
    }
    case 3: {
      SGMaterial* mat = nullptr;
      if (ReadMaterialResource(Resources(), bytes, &mat) == kDispOk) SGMaterialDestroy(mat);
      break;
    }
    case 4: {
      SGTextureMap* txm = nullptr;
      if (ReadTextureResource(Resources(), bytes, &txm) == kDispOk) {
        SGTextureMap* mirror = MirrorTexture(txm);
        SGTextureMapRelease(mirror);
        SGTextureMapRelease(txm);
      }
      break;
    }
    default: {
      SGTextureMap holder{};
      SGTextureInfo info{};
      holder.txmInfo = &info;
      if (ReadPaletteResource(bytes, "P", &holder) == kDispOk) ISGTexturePaletteRelease(info.tpiPal);
      break;
    }
  }
  return 0;
}
