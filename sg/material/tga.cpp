#include "sg/material/tga.h"

#include <cstring>

#include "platform/core/bytes.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"

namespace {

constexpr int kHeaderSize = 18;

std::uint32_t BytesPerPixel(const TgaFile* tga) { return (tga->pixelDepth + 7u) / 8u; }

bool ReadBytes(TgaFile* tga, std::uint8_t* out, std::size_t n) {
  if (std::fread(out, 1, n, tga->file) != n) {
    return false;
  }
  tga->filePos += n;
  return true;
}

bool Seek(TgaFile* tga, std::uint64_t offset) {
  if (offset == tga->filePos) {
    return true;
  }
  if (std::fseek(tga->file, static_cast<long>(offset), SEEK_SET) != 0) {
    return false;
  }
  tga->filePos = offset;
  return true;
}

std::uint8_t Expand5(std::uint32_t c) { return static_cast<std::uint8_t>(c == 0 ? 0 : c * 8 + 7); }
std::uint8_t Expand2(std::uint32_t c) { return static_cast<std::uint8_t>(c == 0 ? 0 : c * 64 + 63); }

void Decode16(TgaFile* tga, std::uint32_t v) {
  tga->pixel[0] = Expand5((v >> 10) & 31);
  tga->pixel[1] = Expand5((v >> 5) & 31);
  tga->pixel[2] = Expand5(v & 31);
}

// Decodes one stored pixel value into tga->pixel.
bool ReadPixel(TgaFile* tga) {
  tga->pixel[3] = 255;
  std::uint8_t b[4] = {};
  const std::uint32_t n = BytesPerPixel(tga);
  if (tga->colourMapped) {
    if (n == 0 || n > 4 || !ReadBytes(tga, b, n)) {
      return false;
    }
    std::uint32_t index = 0;
    for (std::uint32_t i = n; i-- > 0;) {
      index = (index << 8) | b[i];
    }
    // The map holds entries first .. first + length - 1; others are refused.
    if (index < tga->colourMapFirst || index - tga->colourMapFirst >= tga->colourMapLength) {
      return false;
    }
    const std::uint32_t entryBytes = (tga->colourMapEntryBits + 7u) / 8u;
    const std::uint8_t* e = tga->colourMap + (index - tga->colourMapFirst) * entryBytes;
    switch (tga->colourMapEntryBits) {
      case 32:
        tga->pixel[3] = e[3];
        [[fallthrough]];
      case 24:
        tga->pixel[0] = e[2];
        tga->pixel[1] = e[1];
        tga->pixel[2] = e[0];
        return true;
      case 16:
        Decode16(tga, e[0] | (static_cast<std::uint32_t>(e[1]) << 8));
        return true;
      default:
        return false;
    }
  }
  switch (tga->pixelDepth) {
    case 8:
      if (!ReadBytes(tga, b, 1)) {
        return false;
      }
      if (tga->grey) {
        tga->pixel[0] = tga->pixel[1] = tga->pixel[2] = b[0];
      } else {
        tga->pixel[0] = Expand2((b[0] >> 4) & 3);
        tga->pixel[1] = Expand2((b[0] >> 2) & 3);
        tga->pixel[2] = Expand2(b[0] & 3);
      }
      return true;
    case 15:
    case 16:
      if (!ReadBytes(tga, b, 2)) {
        return false;
      }
      Decode16(tga, b[0] | (static_cast<std::uint32_t>(b[1]) << 8));
      return true;
    case 32:
      if (!ReadBytes(tga, b, 4)) {
        return false;
      }
      tga->pixel[3] = b[3];
      tga->pixel[0] = b[2];
      tga->pixel[1] = b[1];
      tga->pixel[2] = b[0];
      return true;
    case 24:
      if (!ReadBytes(tga, b, 3)) {
        return false;
      }
      tga->pixel[0] = b[2];
      tga->pixel[1] = b[1];
      tga->pixel[2] = b[0];
      return true;
    default:
      return false;
  }
}

// Decodes `count` texels into `out` (null: decode and drop).
bool ReadPixels(TgaFile* tga, std::uint32_t count, std::uint8_t* out) {
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!tga->runLength) {
      if (!ReadPixel(tga)) {
        return false;
      }
    } else if (tga->remaining == 0) {
      std::uint8_t h = 0;
      if (!ReadBytes(tga, &h, 1)) {
        return false;
      }
      tga->inRun = (h & 0x80) != 0;
      tga->remaining = (h & 0x7Fu) + 1;
      if (!ReadPixel(tga)) {
        return false;
      }
      tga->pixelPos += tga->inRun ? tga->remaining : 1;
    } else if (!tga->inRun) {
      if (!ReadPixel(tga)) {
        return false;
      }
      tga->pixelPos += 1;
    }
    if (tga->runLength) {
      --tga->remaining;
    }
    if (out != nullptr) {
      std::memcpy(out + 4 * static_cast<std::size_t>(i), tga->pixel, 4);
    }
  }
  return true;
}

void ClearPacket(TgaFile* tga) {
  tga->inRun = false;
  tga->remaining = 0;
}

// Positions the reader at logical row `row`, column `column`.
bool Position(TgaFile* tga, std::int32_t row, std::int32_t column) {
  const std::uint64_t w = static_cast<std::uint64_t>(tga->width);
  const std::int32_t f = tga->height - 1 - row;
  if (!tga->runLength) {
    return Seek(tga, tga->dataOffset +
                         (static_cast<std::uint64_t>(f) * w + static_cast<std::uint64_t>(column)) * BytesPerPixel(tga));
  }
  const std::uint64_t p = static_cast<std::uint64_t>(f) * w + static_cast<std::uint64_t>(column);
  if (tga->pixelPos - (tga->inRun ? tga->remaining : 0) == p) {
    return true;
  }
  if (f > tga->lastKnownRow) {
    if (!Seek(tga, tga->rowOffsets[tga->lastKnownRow])) {
      return false;
    }
    ClearPacket(tga);
    tga->pixelPos = static_cast<std::uint64_t>(tga->lastKnownRow) * w;
    while (tga->lastKnownRow < f) {
      if (!ReadPixels(tga, static_cast<std::uint32_t>(w), nullptr)) {
        return false;
      }
      tga->rowOffsets[++tga->lastKnownRow] = static_cast<std::uint32_t>(tga->filePos);
    }
  } else {
    if (!Seek(tga, tga->rowOffsets[f])) {
      return false;
    }
    ClearPacket(tga);
  }
  tga->pixelPos = static_cast<std::uint64_t>(f) * w;
  return ReadPixels(tga, static_cast<std::uint32_t>(column), nullptr);
}

}  // namespace

std::int32_t TgaInit(TgaFile* tga, const char* name) {
  std::memset(tga, 0, sizeof(*tga));
  if (name == nullptr) {
    return -1;
  }
  const std::size_t len = std::strlen(name) + 1;
  tga->name = static_cast<char*>(SGMalloc(len));
  if (tga->name == nullptr) {
    return -1;
  }
  std::memcpy(tga->name, name, len);
  tga->file = ISGFileOpen(name, "rb");
  return tga->file != nullptr ? 0 : -1;
}

std::int32_t TgaReadHeader(TgaFile* tga) {
  std::uint8_t h[kHeaderSize];
  if (!ReadBytes(tga, h, kHeaderSize)) {
    return -1;
  }
  plat::ByteReader r(h);
  tga->idLength = r.U8();
  tga->colourMapType = r.U8();
  tga->imageType = r.U8();
  tga->colourMapFirst = r.U16();
  tga->colourMapLength = r.U16();
  tga->colourMapEntryBits = r.U8();
  r.Skip(4);  // origin
  tga->width = r.I16();
  tga->height = r.I16();
  tga->pixelDepth = r.U8();
  tga->descriptor = r.U8();
  switch (tga->imageType) {
    case 1:
    case 2:
    case 3:
    case 9:
    case 10:
    case 11:
      break;
    default:
      return -1;
  }
  tga->colourMapped = tga->imageType == 1 || tga->imageType == 9;
  tga->grey = tga->imageType == 3 || tga->imageType == 11;
  tga->runLength = tga->imageType >= 9;
  if (tga->idLength != 0) {
    tga->imageId = static_cast<char*>(SGCalloc(tga->idLength + 1u, 1));
    if (tga->imageId == nullptr || !ReadBytes(tga, reinterpret_cast<std::uint8_t*>(tga->imageId), tga->idLength)) {
      return -1;
    }
  }
  tga->colourMapBytes = tga->colourMapLength * ((tga->colourMapEntryBits + 7u) / 8u);
  if (tga->colourMapBytes != 0) {
    tga->colourMap = static_cast<std::uint8_t*>(SGMalloc(tga->colourMapBytes));
    if (tga->colourMap == nullptr || !ReadBytes(tga, tga->colourMap, tga->colourMapBytes)) {
      return -1;
    }
  }
  tga->dataOffset = static_cast<std::uint32_t>(tga->filePos);
  // An empty or negative size has no pixels to address, and pixels of no bytes
  // cannot be read.
  if (tga->width <= 0 || tga->height <= 0 || BytesPerPixel(tga) == 0) {
    return -1;
  }
  // The pixel data must be able to hold the image: raw data byte for byte, and
  // run-length data at most 128 pixels per packet byte.
  const std::uint64_t pixels = static_cast<std::uint64_t>(tga->width) * static_cast<std::uint64_t>(tga->height);
  const std::uint64_t left = ISGFileRemaining(tga->file);
  if (tga->runLength ? pixels > 128 * left : pixels * BytesPerPixel(tga) > left) {
    return -1;
  }
  tga->rowOffsets = static_cast<std::uint32_t*>(SGCalloc(static_cast<std::size_t>(tga->height), sizeof(std::uint32_t)));
  if (tga->rowOffsets == nullptr) {
    return -1;
  }
  tga->rowOffsets[0] = tga->dataOffset;
  tga->lastKnownRow = 0;
  return 0;
}

std::int32_t TgaOpen(TgaFile* tga, const char* name) {
  if (TgaInit(tga, name) != 0) {
    return -1;
  }
  return TgaReadHeader(tga);
}

std::int32_t TgaReadImage(TgaFile* tga, std::int32_t column, std::int32_t row, std::uint32_t count,
                          std::uint32_t* outCount, std::uint8_t* buffer) {
  *outCount = 0;
  const std::int32_t w = tga->width;
  if (tga->rowOffsets == nullptr || column < 0 || column >= w || row < 0 || row >= tga->height) {
    return -1;
  }
  // The region must end inside the image.
  const std::uint64_t start =
      static_cast<std::uint64_t>(row) * static_cast<std::uint64_t>(w) + static_cast<std::uint64_t>(column);
  if (start + count > static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(tga->height)) {
    return -1;
  }
  const std::uint32_t first =
      count < static_cast<std::uint32_t>(w - column) ? count : static_cast<std::uint32_t>(w - column);
  const std::uint32_t full = (count - first) / static_cast<std::uint32_t>(w);
  const std::uint32_t rem = (count - first) - full * static_cast<std::uint32_t>(w);
  // File order is bottom-up: the last piece of the region comes first.
  if (rem != 0) {
    if (!Position(tga, row + static_cast<std::int32_t>(full) + 1, 0) ||
        !ReadPixels(tga, rem, buffer + 4 * static_cast<std::size_t>(count - rem))) {
      return -1;
    }
  }
  for (std::int32_t r = row + static_cast<std::int32_t>(full); r > row; --r) {
    std::uint8_t* dst = buffer + 4 * (static_cast<std::size_t>(first) +
                                      static_cast<std::size_t>(r - row - 1) * static_cast<std::size_t>(w));
    if (!Position(tga, r, 0) || !ReadPixels(tga, static_cast<std::uint32_t>(w), dst)) {
      return -1;
    }
  }
  if (!Position(tga, row, column) || !ReadPixels(tga, first, buffer)) {
    return -1;
  }
  *outCount = count;
  return 0;
}

std::int32_t TgaClose(TgaFile* tga) {
  if (tga == nullptr) {
    return 0;
  }
  SGFree(tga->name);
  if (tga->file != nullptr) {
    std::fclose(tga->file);
  }
  SGFree(tga->colourMap);
  SGFree(tga->imageId);
  SGFree(tga->rowOffsets);
  std::memset(tga, 0, sizeof(*tga));
  return 0;
}

bool TgaIsTgaName(const char* name) {
  const std::size_t len = std::strlen(name);
  return len >= 4 && std::strcmp(name + len - 4, ".tga") == 0;
}
