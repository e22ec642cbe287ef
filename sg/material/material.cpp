// Materials: the 32-byte record, material files, destruction.

#include "sg/material/material.h"
#include "platform/core/bytes.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/d3d/sgd3d.h"

namespace {

constexpr std::size_t kMaxTextureName = 255;

bool IsPowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

SGError Fail(SGError err, SGMaterial* mat, std::FILE* file) {
  if (file != nullptr) {
    std::fclose(file);
  }
  SGMaterialDestroy(mat);
  return err;
}

}  // namespace

SGError SGMaterialRecordRead(const std::uint8_t* bytes, std::size_t size, SGMaterial* out, bool* hasTexture) {
  plat::ByteReader r(std::span<const std::uint8_t>(bytes, size));
  if (r.Remaining() < SG_RECORD_SIZE) {
    return SG_ERROR_FILE_READ;
  }
  out->matType = r.U32();
  out->matColour = r.U32();
  *hasTexture = r.U32() != 0;
  out->matAmbient = r.F32();
  out->matDiffuse = r.F32();
  out->matNumShades = r.U32();
  out->matShadeRowSize = r.U32();
  return SG_ERROR_NONE;
}

void SGMaterialRecordWrite(const SGMaterial* mat, bool hasTexture, std::uint8_t out[SG_RECORD_SIZE]) {
  plat::ByteWriter w(std::span<std::uint8_t>(out, SG_RECORD_SIZE));
  w.U32(mat->matType);
  w.U32(mat->matColour);
  w.U32(hasTexture ? 1 : 0);
  w.F32(mat->matAmbient);
  w.F32(mat->matDiffuse);
  w.U32(mat->matNumShades);
  w.U32(mat->matShadeRowSize);
  w.Zeros(SG_RECORD_SIZE - w.Size());
}

SGError SGMaterialLoad(const SGDataPath* dp, const char* name, SGMaterial** out) {
  *out = nullptr;
  auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
  if (mat == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  std::FILE* file = nullptr;
  if (SGDataPathOpen(dp, name, "rb", &file) != SG_ERROR_NONE) {
    return Fail(SG_ERROR_FILE_OPEN, mat, nullptr);
  }
  std::uint8_t record[SG_RECORD_SIZE];
  bool hasTexture = false;
  const std::size_t got = std::fread(record, 1, sizeof(record), file);
  if (SGMaterialRecordRead(record, got, mat, &hasTexture) != SG_ERROR_NONE) {
    return Fail(SG_ERROR_FILE_READ, mat, file);
  }
  mat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
  if (mat->matInfo == nullptr) {
    return Fail(SG_ERROR_NO_MEMORY, mat, file);
  }
  if (mat->matNumShades != 0) {
    // The shade table is checked against the file before anything is allocated.
    const std::uint64_t bytes = static_cast<std::uint64_t>(mat->matNumShades) * mat->matShadeRowSize;
    if (bytes > ISGFileRemaining(file)) {
      return Fail(SG_ERROR_TEXTURE_SHORT, mat, file);
    }
    mat->matInfo->maiLUT = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(bytes)));
    if (mat->matInfo->maiLUT == nullptr) {
      return Fail(SG_ERROR_NO_MEMORY, mat, file);
    }
    if (std::fread(mat->matInfo->maiLUT, 1, static_cast<std::size_t>(bytes), file) != bytes) {
      return Fail(SG_ERROR_TEXTURE_SHORT, mat, file);
    }
  }
  if (hasTexture) {
    // One line of up to 255 characters names the texture, taken as it stands.
    char texName[kMaxTextureName + 1];
    if (std::fgets(texName, sizeof(texName), file) == nullptr) {
      texName[0] = '\0';
    }
    const SGError err = SGTextureMapLoad(dp, texName, &mat->matTexMap);
    if (err != SG_ERROR_NONE) {
      return Fail(err, mat, file);
    }
    const SGTextureMap* txm = mat->matTexMap;
    if (!IsPowerOfTwo(txm->txmSize.u[0]) || txm->txmSize.u[1] > txm->txmSize.u[0]) {
      return Fail(SG_ERROR_TEXTURE_FORMAT, mat, file);
    }
  }
  std::fclose(file);
  *out = mat;
  return SG_ERROR_NONE;
}

SGError SGMaterialDestroy(SGMaterial* mat) {
  if (mat == nullptr) {
    return SG_ERROR_NONE;
  }
  if (mat->matInfo != nullptr && mat->matInfo->maiD3D != nullptr) {
    ISG_ASSERT(ISGD3DEntry(), "material");
    ISGD3DEntry()->freeMaterial(mat);
  }
  if (mat->matTexMap != nullptr) {
    SGTextureMapRelease(mat->matTexMap);
    mat->matTexMap = nullptr;
  }
  if (mat->matInfo != nullptr) {
    SGFree(mat->matInfo->maiLUT);
    SGFree(mat->matInfo);
  }
  SGFree(mat);
  return SG_ERROR_NONE;
}

SGError SGMaterialSetScale(SGMaterial* mat, float scale) {
  ISG_ASSERT(mat && mat->matInfo, "material");
  mat->matInfo->maiScale = scale;
  return SG_ERROR_NONE;
}

SGError SGMaterialGetScale(const SGMaterial* mat, float* out) {
  ISG_ASSERT(mat && mat->matInfo, "material");
  *out = mat->matInfo->maiScale;
  return SG_ERROR_NONE;
}
