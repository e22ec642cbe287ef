#pragma once
// Reader of TGA images: uncompressed and run-length encoded, true-colour, grey
// and colour-mapped. Every pixel comes out as 4 bytes (red, green, blue, alpha);
// rows count from the top of the image. A read may start at any pixel.
// Operations return 0 on success and -1 on failure; a reader that was opened
// must be closed whatever happened.

#include <cstdint>
#include <cstdio>

struct TgaFile {
  // Header fields.
  std::uint8_t idLength;
  std::uint8_t colourMapType;
  std::uint8_t imageType;
  std::uint16_t colourMapFirst;
  std::uint16_t colourMapLength;
  std::uint8_t colourMapEntryBits;
  std::int16_t width;
  std::int16_t height;
  std::uint8_t pixelDepth;
  std::uint8_t descriptor;

  char* name;
  std::FILE* file;
  bool colourMapped;
  bool grey;
  bool runLength;
  char* imageId;
  std::uint8_t* colourMap;
  std::uint32_t colourMapBytes;
  std::uint32_t dataOffset;
  std::uint32_t* rowOffsets;  // start offset of each file row of a run-length image
  std::int32_t lastKnownRow;
  bool inRun;
  std::uint32_t remaining;  // pixels still to come in the current packet
  std::uint8_t pixel[4];    // red, green, blue, alpha
  std::uint64_t filePos;
  std::uint64_t pixelPos;
};

std::int32_t TgaOpen(TgaFile* tga, const char* name);
std::int32_t TgaInit(TgaFile* tga, const char* name);
std::int32_t TgaReadHeader(TgaFile* tga);
// Reads `count` pixels from (column, row) on, along the row and on through the
// following rows, as 4-byte texels into `buffer`; *outCount is `count` on success.
std::int32_t TgaReadImage(TgaFile* tga, std::int32_t column, std::int32_t row, std::uint32_t count,
                          std::uint32_t* outCount, std::uint8_t* buffer);
std::int32_t TgaClose(TgaFile* tga);
bool TgaIsTgaName(const char* name);
