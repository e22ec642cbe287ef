#include "Game/views/world/DispData.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/core/bytes.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/raster/ddinfo.h"

namespace {

constexpr std::size_t kMaxListLine = 31;
constexpr std::size_t kMaxTextureName = 255;
constexpr std::uint8_t kEndOfText = 0x1A;

// The texture's name: up to 255 characters, ended by a NUL, a line end or the
// resource's end.
std::string ReadName(plat::ByteReader& r) {
  std::string name;
  while (r.Remaining() > 0 && name.size() < kMaxTextureName) {
    const char c = static_cast<char>(r.U8());
    if (c == '\0' || c == '\r' || c == '\n') break;
    name += c;
  }
  return name;
}

void FreeTexture(SGTextureMap* txm) {
  if (!txm) return;
  if (txm->txmInfo) {
    SGFree(txm->txmInfo->tpiTexels);
    ISGTexturePaletteRelease(txm->txmInfo->tpiPal);
    SGFree(txm->txmInfo);
  }
  SGFree(txm->txmName);
  SGFree(txm);
}

}  // namespace

bool ModelIndexTable::Assign(std::span<const std::uint8_t> bytes) {
  bytes_ = {};
  count_ = 0;
  plat::ByteReader r(bytes);
  const std::uint32_t count = r.U32();
  if (!r.Ok() || count > (bytes.size() - 4) / kEntrySize) return false;
  bytes_ = bytes;
  count_ = count;
  return true;
}

std::uint32_t ModelIndexTable::Find(std::string_view key) const {
  // Entries compare as their NUL-padded names, unsigned byte by byte.
  std::uint8_t padded[kNameSize] = {};
  std::memcpy(padded, key.data(), std::min(key.size(), kNameSize));
  if (key.size() > kNameSize) return 0;
  std::uint32_t lo = 0, hi = count_;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    const std::uint8_t* entry = bytes_.data() + 4 + static_cast<std::size_t>(mid) * kEntrySize;
    const int c = std::memcmp(entry, padded, kNameSize);
    if (c == 0) {
      return static_cast<std::uint32_t>(entry[kNameSize]) | (static_cast<std::uint32_t>(entry[kNameSize + 1]) << 8) |
             (static_cast<std::uint32_t>(entry[kNameSize + 2]) << 16) |
             (static_cast<std::uint32_t>(entry[kNameSize + 3]) << 24);
    }
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return 0;
}

namespace {

// The key of KeyOf in `out`, put together in place: a flare looks for its
// next frame at every step, and the last look finds none. A name too long
// for `out` gives a key too long for any entry.
std::string_view KeyInto(const char* directory, const char* name, std::span<char> out) {
  const char* head = std::strchr(name, '\\') || !directory ? "" : directory;
  const int length = std::snprintf(out.data(), out.size(), "%s%s", head, name);
  if (length < 0 || static_cast<std::size_t>(length) >= out.size()) return {out.data(), out.size()};
  const std::string_view full(out.data(), static_cast<std::size_t>(length));
  for (char& c : out.first(full.size()))
    c = c == '\\' || c == '.' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto at = full.find("3ddata");
  return at == std::string_view::npos ? full : full.substr(at);
}

}  // namespace

std::string ModelIndexTable::KeyOf(const char* directory, const char* name) {
  std::vector<char> out(std::strlen(name) + (directory ? std::strlen(directory) : 0) + 1);
  return std::string(KeyInto(directory, name, out));
}

std::uint32_t ModelIndexTable::Lookup(const char* directory, const char* name) const {
  std::array<char, 1024> key;
  const std::uint32_t number = Find(KeyInto(directory, name, key));
  return number < kFirstResource ? 0 : number;
}

std::vector<std::string> ParseMaterialList(std::span<const std::uint8_t> bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool pending = false;
  for (const std::uint8_t b : bytes) {
    if (b == kEndOfText) break;
    if (b == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line.substr(0, kMaxListLine));
      line.clear();
      pending = false;
      continue;
    }
    line += static_cast<char>(b);
    pending = true;
  }
  if (pending) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line.substr(0, kMaxListLine));
  }
  return lines;
}

std::uint32_t ReadModelResource(std::span<const std::uint8_t> bytes, SGModel** out) {
  *out = nullptr;
  plat::ByteReader r(bytes);
  const std::uint32_t length = r.U32();
  if (!r.Ok() || length > r.Remaining()) return kDispDamaged;
  SGModel* model = nullptr;
  const SGError err = SGModelRelocate(bytes.data() + 4, length, &model);
  if (err == SG_ERROR_NO_MEMORY) return kDispNoMemory;
  if (err != SG_ERROR_NONE) return kDispDamaged;
  *out = model;
  return kDispOk;
}

std::uint32_t ReadPaletteResource(std::span<const std::uint8_t> bytes, const std::string& name, SGTextureMap* into) {
  if (bytes.empty()) return kDispDamaged;
  const std::uint32_t n = bytes[0] + 1u;
  if (bytes.size() < 1 + 4 * static_cast<std::size_t>(n)) return kDispDamaged;
  auto* pal = static_cast<SGTexturePalette*>(SGCalloc(1, sizeof(SGTexturePalette)));
  if (!pal) return kDispNoMemory;
  pal->tpRefCnt = 1;
  pal->tpName = static_cast<char*>(SGMalloc(name.size() + 1));
  pal->tpColours = static_cast<SGPalEntry*>(SGCalloc(256, sizeof(SGPalEntry)));
  if (!pal->tpName || !pal->tpColours) {
    ISGTexturePaletteRelease(pal);
    return kDispNoMemory;
  }
  std::memcpy(pal->tpName, name.c_str(), name.size() + 1);
  for (std::uint32_t i = 0; i < n; ++i)
    pal->tpColours[i] = SGPalEntry{bytes[1 + 4 * i], bytes[2 + 4 * i], bytes[3 + 4 * i], bytes[4 + 4 * i]};
  pal->tpNumColours = n;
  ISGTexturePaletteRelease(into->txmInfo->tpiPal);
  into->txmInfo->tpiPal = pal;
  return kDispOk;
}

std::uint32_t ReadTextureResource(const DispResources& res, std::span<const std::uint8_t> bytes, SGTextureMap** out) {
  *out = nullptr;
  auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  if (!txm) return kDispNoMemory;
  txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  if (!txm->txmInfo) {
    FreeTexture(txm);
    return kDispNoMemory;
  }
  const auto fail = [&](std::uint32_t status) {
    FreeTexture(txm);
    return status;
  };
  if (SGTextureHeaderRead(bytes.data(), bytes.size(), txm) != SG_ERROR_NONE) return fail(kDispDamaged);
  const std::uint32_t format = txm->txmFormat & SG_TXM_FORMAT_MASK;
  // Only the 8-bit forms the views draw with are kept.
  const bool eightBit = format == SG_TXM_FORMAT_IDX8 || format == SG_TXM_FORMAT_IDX8_B ||
                        format == SG_TXM_FORMAT_IDX8_KEYED || format == SG_TXM_FORMAT_PAL8 ||
                        format == SG_TXM_FORMAT_PAL8_B || format == SG_TXM_FORMAT_PAL8_KEYED;
  if (!eightBit) return fail(kDispBadFormat);
  const std::uint32_t w = txm->txmSize.u[0], h = txm->txmSize.u[1];
  if (w == 0 || h == 0 || txm->txmPitch < w) return fail(kDispDamaged);
  plat::ByteReader r(bytes, SG_RECORD_SIZE);
  const std::uint64_t frameTexels = static_cast<std::uint64_t>(w) * h;
  const std::uint64_t ownTexels = static_cast<std::uint64_t>(h) * txm->txmPitch;
  const SGContext* ctx = res.context;
  const bool indexed = ctx && ctx->ctxDDI && ctx->ctxDDI->ddiMode == SG_FB_MODE_IDX;
  const bool ownPalette = format >= SG_TXM_FORMAT_PAL8 || (txm->txmFormat & SG_TXM_PALETTE_FILE) != 0;
  if (ownPalette && !indexed) {
    // The texels of the texture's own palette follow those for the frame
    // buffer's colours.
    if (frameTexels > r.Remaining() || !r.Skip(static_cast<std::size_t>(frameTexels))) return fail(kDispDamaged);
  }
  if (ownTexels > r.Remaining()) return fail(kDispDamaged);
  txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(ownTexels) + 2));
  if (!txm->txmInfo->tpiTexels) return fail(kDispNoMemory);
  const auto texels = r.Bytes(static_cast<std::size_t>(ownTexels));
  std::memcpy(txm->txmInfo->tpiTexels, texels.data(), texels.size());
  if (ownPalette && !indexed) {
    while (r.Remaining() > 0 && std::isspace(bytes[r.Pos()])) r.Skip(1);
    std::string palette;
    while (r.Remaining() > 0 && !std::isspace(bytes[r.Pos()]) && bytes[r.Pos()] != 0 &&
           palette.size() < kMaxTextureName)
      palette += static_cast<char>(r.U8());
    if (palette.empty()) return fail(kDispDamaged);
    const auto pal = res.Fetch(palette);
    if (pal.empty()) return fail(kDispMissing);
    const std::uint32_t status = ReadPaletteResource(pal, palette, txm);
    res.Release(pal);
    if (status != kDispOk) return fail(status);
  }
  switch (format) {
    case SG_TXM_FORMAT_IDX8_KEYED:
    case SG_TXM_FORMAT_PAL8_KEYED:
      txm->txmFormat = SG_TXM_FORMAT_IDX8 | SG_TXM_KEYED;
      break;
    case SG_TXM_FORMAT_PAL8_B:
      txm->txmFormat = SG_TXM_FORMAT_IDX8_B;
      break;
    case SG_TXM_FORMAT_PAL8:
      txm->txmFormat = SG_TXM_FORMAT_IDX8;
      break;
    default:
      txm->txmFormat = format;
      break;
  }
  txm->txmRefCnt = 1;
  txm->txmContext = res.context;
  *out = txm;
  return kDispOk;
}

std::uint32_t ReadMaterialResource(const DispResources& res, std::span<const std::uint8_t> bytes, SGMaterial** out) {
  *out = nullptr;
  auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
  if (!mat) return kDispNoMemory;
  const auto fail = [&](std::uint32_t status) {
    SGMaterialDestroy(mat);
    return status;
  };
  bool hasTexture = false;
  if (SGMaterialRecordRead(bytes.data(), bytes.size(), mat, &hasTexture) != SG_ERROR_NONE) return fail(kDispDamaged);
  mat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
  if (!mat->matInfo) return fail(kDispNoMemory);
  plat::ByteReader r(bytes, SG_RECORD_SIZE);
  const std::uint64_t info = static_cast<std::uint64_t>(mat->matNumShades) * mat->matShadeRowSize;
  if (info > r.Remaining()) return fail(kDispDamaged);
  if (info != 0) {
    mat->matInfo->maiLUT = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(info)));
    if (!mat->matInfo->maiLUT) return fail(kDispNoMemory);
    const auto data = r.Bytes(static_cast<std::size_t>(info));
    std::memcpy(mat->matInfo->maiLUT, data.data(), data.size());
  }
  if (hasTexture) {
    const std::string name = ReadName(r);
    const auto tex = name.empty() ? std::span<const std::uint8_t>() : res.Fetch(name);
    if (tex.empty()) return fail(kDispMissing);
    const std::uint32_t status = ReadTextureResource(res, tex, &mat->matTexMap);
    res.Release(tex);
    if (status != kDispOk) return fail(status);
  }
  *out = mat;
  return kDispOk;
}

SGTextureMap* MirrorTexture(const SGTextureMap* source) {
  if (!source || !source->txmInfo || !source->txmInfo->tpiTexels) return nullptr;
  auto* txm = static_cast<SGTextureMap*>(SGCalloc(1, sizeof(SGTextureMap)));
  if (!txm) return nullptr;
  txm->txmInfo = static_cast<SGTextureInfo*>(SGCalloc(1, sizeof(SGTextureInfo)));
  const std::uint32_t w = source->txmSize.u[0], h = source->txmSize.u[1], pitch = source->txmPitch;
  if (txm->txmInfo)
    txm->txmInfo->tpiTexels = static_cast<std::uint8_t*>(SGMalloc(static_cast<std::size_t>(pitch) * h + 2));
  if (!txm->txmInfo || !txm->txmInfo->tpiTexels) {
    FreeTexture(txm);
    return nullptr;
  }
  txm->txmFormat = source->txmFormat;
  txm->txmSize = source->txmSize;
  txm->txmPitch = pitch;
  txm->txmRefCnt = 1;
  txm->txmContext = source->txmContext;
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* from = source->txmInfo->tpiTexels + static_cast<std::size_t>(y) * pitch;
    std::uint8_t* to = txm->txmInfo->tpiTexels + static_cast<std::size_t>(y) * pitch;
    for (std::uint32_t x = 0; x < w; ++x) to[x] = from[w - 1 - x];
  }
  if (SGTexturePalette* pal = source->txmInfo->tpiPal) {
    ++pal->tpRefCnt;
    txm->txmInfo->tpiPal = pal;
  }
  return txm;
}
