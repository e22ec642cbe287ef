// Texture maps: loading from ".bin", ".tga" and texture header files, palettes,
// reference counts.

#include <cctype>
#include <cstring>

#include "platform/core/bytes.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/material/material.h"
#include "sg/material/tga.h"
#include "sg/raster/ddinfo.h"

namespace {

constexpr std::size_t kMaxNameUsed = 511;
constexpr std::size_t kMaxPaletteName = 255;

// Frees whatever a failed load had built, and closes its file.
SGError Fail(SGError err, SGTextureMap* txm, std::FILE* file) {
  if (file != nullptr) {
    std::fclose(file);
  }
  if (txm != nullptr) {
    if (txm->txmInfo != nullptr) {
      SGFree(txm->txmInfo->tpiTexels);
      ISGTexturePaletteRelease(txm->txmInfo->tpiPal);
      SGFree(txm->txmInfo);
    }
    SGFree(txm->txmName);
    SGFree(txm);
  }
  return err;
}

bool Alloc(SGTextureMap** txm) {
  *txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  if (*txm == nullptr) {
    return false;
  }
  (*txm)->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  return (*txm)->txmInfo != nullptr;
}

std::uint32_t BytesPerTexel(std::uint32_t format) {
  switch (format & SG_TXM_FORMAT_MASK) {
    case SG_TXM_FORMAT_RGBA32:
      return 4;
    case SG_TXM_FORMAT_IDX8_ALPHA:
      return 2;
    default:
      return 1;
  }
}

bool KnownFormat(std::uint32_t format) {
  const std::uint32_t f = format & SG_TXM_FORMAT_MASK;
  return f <= SG_TXM_FORMAT_IDX8_KEYED || (f >= SG_TXM_FORMAT_PAL8 && f <= SG_TXM_FORMAT_PAL8_KEYED);
}

// Reads height x pitch texel bytes from the current position; `shortStatus` when
// the file holds fewer.
SGError ReadTexels(SGTextureMap* txm, std::FILE* file, SGError shortStatus) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(txm->txmSize.u[1]) * txm->txmPitch;
  if (bytes > ISGFileRemaining(file)) {
    return shortStatus;
  }
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(bytes)));
  if (txm->txmInfo->tpiTexels == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  if (std::fread(txm->txmInfo->tpiTexels, 1, static_cast<std::size_t>(bytes), file) != bytes) {
    return shortStatus;
  }
  return SG_ERROR_NONE;
}

// One white-space-delimited word of at most kMaxPaletteName characters.
bool ReadWord(std::FILE* file, char* out) {
  int c = std::fgetc(file);
  while (c != EOF && std::isspace(c) != 0) {
    c = std::fgetc(file);
  }
  std::size_t n = 0;
  while (c != EOF && std::isspace(c) == 0) {
    if (n == kMaxPaletteName) {
      return false;
    }
    out[n++] = static_cast<char>(c);
    c = std::fgetc(file);
  }
  out[n] = '\0';
  return n != 0;
}

SGError ReadPalette(const SGDataPath* dp, const char* name, SGTexturePalette** out) {
  auto* pal = static_cast<SGTexturePalette*>(SGCalloc(1, sizeof(SGTexturePalette)));
  if (pal == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  pal->tpRefCnt = 1;
  *out = pal;
  const std::size_t len = std::strlen(name) + 1;
  pal->tpName = static_cast<char*>(SGMalloc(len));
  pal->tpColours = static_cast<SGPalEntry*>(SGCalloc(256, sizeof(SGPalEntry)));
  if (pal->tpName == nullptr || pal->tpColours == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  std::memcpy(pal->tpName, name, len);
  std::FILE* file = nullptr;
  if (SGDataPathOpen(dp, name, "rb", &file) != SG_ERROR_NONE) {
    return SG_ERROR_FILE_OPEN;
  }
  std::uint8_t bytes[1 + 4 * 256];
  const std::size_t got = std::fread(bytes, 1, sizeof(bytes), file);
  std::fclose(file);
  if (got < 1) {
    return SG_ERROR_TEXTURE_SHORT;
  }
  const std::uint32_t n = bytes[0] + 1u;
  if (got < 1 + 4 * static_cast<std::size_t>(n)) {
    return SG_ERROR_TEXTURE_SHORT;
  }
  for (std::uint32_t i = 0; i < n; ++i) {
    pal->tpColours[i] = SGPalEntry{bytes[1 + 4 * i], bytes[2 + 4 * i], bytes[3 + 4 * i], bytes[4 + 4 * i]};
  }
  pal->tpNumColours = n;
  return SG_ERROR_NONE;
}

// The texels that index the texture's own palette: the block after the one for
// the frame buffer's palette, then the palette file named after it.
SGError ReadPalettedTexels(const SGDataPath* dp, SGTextureMap* txm, std::FILE* file) {
  const std::uint64_t skip = static_cast<std::uint64_t>(txm->txmSize.u[0]) * txm->txmSize.u[1];
  if (skip > ISGFileRemaining(file) || std::fseek(file, static_cast<long>(skip), SEEK_CUR) != 0) {
    return SG_ERROR_TEXTURE_SHORT;
  }
  SGError err = ReadTexels(txm, file, SG_ERROR_FILE_READ);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  char palName[kMaxPaletteName + 1];
  if (!ReadWord(file, palName)) {
    return SG_ERROR_FILE_READ;
  }
  return ReadPalette(dp, palName, &txm->txmInfo->tpiPal);
}

SGError LoadHeaderFile(const SGDataPath* dp, const char* name, SGTextureMap** out) {
  std::FILE* file = nullptr;
  if (SGDataPathOpen(dp, name, "rb", &file) != SG_ERROR_NONE) {
    return SG_ERROR_FILE_OPEN;
  }
  SGTextureMap* txm = nullptr;
  if (!Alloc(&txm)) {
    return Fail(SG_ERROR_NO_MEMORY, txm, file);
  }
  std::uint8_t header[SG_RECORD_SIZE];
  const std::size_t got = std::fread(header, 1, sizeof(header), file);
  if (SGTextureHeaderRead(header, got, txm) != SG_ERROR_NONE) {
    return Fail(SG_ERROR_TEXTURE_READ, txm, file);
  }
  if (!KnownFormat(txm->txmFormat)) {
    return Fail(SG_ERROR_UNSUPPORTED, txm, file);
  }
  // Rows must hold their texels: a pitch below the width would make every
  // reader of the texels run past the block.
  if (txm->txmSize.u[0] == 0 || txm->txmSize.u[1] == 0 ||
      txm->txmPitch < static_cast<std::uint64_t>(txm->txmSize.u[0]) * BytesPerTexel(txm->txmFormat)) {
    return Fail(SG_ERROR_TEXTURE_FORMAT, txm, file);
  }
  const SGContext* ctx = dp != nullptr ? dp->dpContext : nullptr;
  const bool indexed = ctx != nullptr && ctx->ctxDDI != nullptr && ctx->ctxDDI->ddiMode == SG_FB_MODE_IDX;
  std::uint32_t format = txm->txmFormat & SG_TXM_FORMAT_MASK;
  const bool ownPalette = format >= SG_TXM_FORMAT_PAL8;
  SGError err = SG_ERROR_NONE;
  if (ownPalette && indexed) {
    // An indexed frame buffer takes the texels that index its own palette.
    static constexpr std::uint32_t kIndexedForm[] = {SG_TXM_FORMAT_IDX8, SG_TXM_FORMAT_IDX8_B,
                                                     SG_TXM_FORMAT_IDX8_KEYED};
    txm->txmFormat = kIndexedForm[format - SG_TXM_FORMAT_PAL8];
    format = txm->txmFormat;
    err = ReadTexels(txm, file, SG_ERROR_FILE_READ);
  } else if (!indexed && (ownPalette || (txm->txmFormat & SG_TXM_PALETTE_FILE) != 0)) {
    err = ReadPalettedTexels(dp, txm, file);
  } else {
    err = ReadTexels(txm, file, SG_ERROR_FILE_READ);
  }
  if (err != SG_ERROR_NONE) {
    return Fail(err, txm, file);
  }
  switch (format) {
    case SG_TXM_FORMAT_IDX8_KEYED:
    case SG_TXM_FORMAT_PAL8_KEYED:
      txm->txmFormat = SG_TXM_FORMAT_IDX8 | SG_TXM_KEYED;
      break;
    case SG_TXM_FORMAT_PAL8:
      txm->txmFormat = SG_TXM_FORMAT_IDX8;
      break;
    case SG_TXM_FORMAT_PAL8_B:
      txm->txmFormat = SG_TXM_FORMAT_IDX8_B;
      break;
    default:
      break;
  }
  std::fclose(file);
  txm->txmRefCnt = 1;
  txm->txmContext = dp != nullptr ? dp->dpContext : nullptr;
  *out = txm;
  return SG_ERROR_NONE;
}

SGError LoadBin(const SGDataPath* dp, const char* name, SGTextureMap* txm) {
  std::FILE* file = nullptr;
  if (SGDataPathOpen(dp, name, "rb", &file) != SG_ERROR_NONE) {
    return SG_ERROR_TEXTURE_READ;
  }
  std::uint8_t size[2];
  if (std::fread(size, 1, 2, file) != 2) {
    std::fclose(file);
    return SG_ERROR_TEXTURE_FORMAT;
  }
  txm->txmFormat = SG_TXM_FORMAT_IDX8;
  txm->txmSize.u[0] = 1u << (size[0] & 31);
  txm->txmSize.u[1] = 1u << (size[1] & 31);
  txm->txmPitch = txm->txmSize.u[0];
  const SGError err = ReadTexels(txm, file, SG_ERROR_TEXTURE_READ);
  std::fclose(file);
  return err;
}

SGError LoadTga(const char* name, SGTextureMap* txm) {
  TgaFile tga;
  if (TgaOpen(&tga, name) != 0) {
    TgaClose(&tga);
    return SG_ERROR_TEXTURE_READ;
  }
  const std::uint32_t w = static_cast<std::uint32_t>(tga.width);
  const std::uint32_t h = static_cast<std::uint32_t>(tga.height);
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(w) * h * 4));
  if (txm->txmInfo->tpiTexels == nullptr) {
    TgaClose(&tga);
    return SG_ERROR_NO_MEMORY;
  }
  std::uint32_t got = 0;
  const bool ok = TgaReadImage(&tga, 0, 0, w * h, &got, txm->txmInfo->tpiTexels) == 0;
  TgaClose(&tga);
  if (!ok) {
    return SG_ERROR_TEXTURE_READ;
  }
  txm->txmFormat = SG_TXM_FORMAT_RGBA32;
  txm->txmSize.u[0] = w;
  txm->txmSize.u[1] = h;
  txm->txmPitch = 4 * w;
  return SG_ERROR_NONE;
}

}  // namespace

SGError SGTextureHeaderRead(const std::uint8_t* bytes, std::size_t size, SGTextureMap* out) {
  plat::ByteReader r(std::span<const std::uint8_t>(bytes, size));
  if (r.Remaining() < SG_RECORD_SIZE) {
    return SG_ERROR_TEXTURE_READ;
  }
  out->txmFormat = r.U32();
  r.Skip(4);
  out->txmSize.u[0] = r.U32();
  out->txmSize.u[1] = r.U32();
  out->txmPitch = r.U32();
  return SG_ERROR_NONE;
}

void SGTextureHeaderWrite(const SGTextureMap* txm, std::uint8_t out[SG_RECORD_SIZE]) {
  plat::ByteWriter w(std::span<std::uint8_t>(out, SG_RECORD_SIZE));
  w.U32(txm->txmFormat);
  w.Zeros(4);
  w.U32(txm->txmSize.u[0]);
  w.U32(txm->txmSize.u[1]);
  w.U32(txm->txmPitch);
  w.Zeros(SG_RECORD_SIZE - w.Size());
}

SGError SGTextureMapLoad(const SGDataPath* dp, const char* name, SGTextureMap** out) {
  *out = nullptr;
  char used[kMaxNameUsed + 1];
  std::strncpy(used, name, kMaxNameUsed);
  used[kMaxNameUsed] = '\0';
  const std::size_t len = std::strlen(used);
  const char* tail = len >= 4 ? used + len - 4 : "";
  const bool tga = std::strcmp(tail, ".tga") == 0;
  if (!tga && std::strcmp(tail, ".bin") != 0) {
    return LoadHeaderFile(dp, used, out);
  }
  SGTextureMap* txm = nullptr;
  if (!Alloc(&txm)) {
    return Fail(SG_ERROR_NO_MEMORY, txm, nullptr);
  }
  const SGError err = tga ? LoadTga(used, txm) : LoadBin(dp, used, txm);
  if (err != SG_ERROR_NONE) {
    return Fail(err, txm, nullptr);
  }
  txm->txmRefCnt = 1;
  txm->txmContext = dp != nullptr ? dp->dpContext : nullptr;
  *out = txm;
  return SG_ERROR_NONE;
}

void ISGTexturePaletteRelease(SGTexturePalette* pal) {
  if (pal == nullptr) {
    return;
  }
  ISG_ASSERT(pal->tpRefCnt != 0, "material");
  if (--pal->tpRefCnt != 0) {
    return;
  }
  SGFree(pal->tpMapped);
  SGFree(pal->tpColours);
  SGFree(pal->tpName);
  SGFree(pal);
}

SGError SGTextureMapRelease(SGTextureMap* txm) {
  if (txm == nullptr) {
    return SG_ERROR_NONE;
  }
  if (txm->txmRefCnt != 0 && --txm->txmRefCnt != 0) {
    return SG_ERROR_NONE;
  }
  if (txm->txmInfo != nullptr) {
    SGFree(txm->txmInfo->tpiTexels);
    txm->txmInfo->tpiTexels = nullptr;
    ISGTexturePaletteRelease(txm->txmInfo->tpiPal);
    txm->txmInfo->tpiPal = nullptr;
    ISGContextReleaseTexture(txm);
    SGFree(txm->txmInfo);
  }
  SGFree(txm->txmName);
  SGFree(txm);
  return SG_ERROR_NONE;
}

SGError SGTextureMapFind(const SGTextureListNode* first, const char* name, SGTextureMap** out) {
  for (const SGTextureListNode* n = first; n != nullptr; n = n->tlNext) {
    SGTextureMap* txm = n->tlMap;
    if (txm != nullptr && txm->txmName != nullptr && std::strcmp(txm->txmName, name) == 0) {
      ++txm->txmRefCnt;
      *out = txm;
      return SG_ERROR_NONE;
    }
  }
  return SG_ERROR_FILE_OPEN;
}

SGError SGTextureMapCopy(const SGTextureMap* txm, SGTextureMap** out) {
  SGTextureMap* copy = nullptr;
  if (!Alloc(&copy)) {
    return Fail(SG_ERROR_NO_MEMORY, copy, nullptr);
  }
  const std::size_t bytes = static_cast<std::size_t>(txm->txmSize.u[1]) * txm->txmPitch;
  copy->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(bytes));
  if (copy->txmInfo->tpiTexels == nullptr) {
    return Fail(SG_ERROR_NO_MEMORY, copy, nullptr);
  }
  std::memcpy(copy->txmInfo->tpiTexels, txm->txmInfo->tpiTexels, bytes);
  copy->txmFormat = txm->txmFormat;
  copy->txmSize = txm->txmSize;
  copy->txmPitch = txm->txmPitch;
  copy->txmContext = txm->txmContext;
  copy->txmRefCnt = txm->txmRefCnt;
  copy->txmInfo->tpiPal = txm->txmInfo->tpiPal;
  if (copy->txmInfo->tpiPal != nullptr) {
    ++copy->txmInfo->tpiPal->tpRefCnt;
  }
  *out = copy;
  return SG_ERROR_NONE;
}
