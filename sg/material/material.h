#pragma once
// Materials and texture maps. A texture map owns its texels, info record, name
// and device copy; palettes are shared between texture maps by reference count;
// a material owns its info record and shade table and holds one reference on
// its texture map. On disk a material and a texture header are 32-byte
// little-endian records; in memory they are native records.

#include <cstddef>
#include <cstdint>

#include "sg/core/sgerror.h"

struct SGContext;
struct SGDataPath;
struct SGD3DMatInfo;
struct SGTexDDInfo;

// Size of the material and texture-header records on disk.
constexpr std::size_t SG_RECORD_SIZE = 32;

// Texel formats (low 16 bits of txmFormat) and flag bits.
constexpr std::uint32_t SG_TXM_FORMAT_RGBA32 = 0;
constexpr std::uint32_t SG_TXM_FORMAT_RAW1 = 1;
constexpr std::uint32_t SG_TXM_FORMAT_IDX8 = 2;
constexpr std::uint32_t SG_TXM_FORMAT_IDX8_ALPHA = 3;
constexpr std::uint32_t SG_TXM_FORMAT_IDX8_B = 4;
constexpr std::uint32_t SG_TXM_FORMAT_IDX8_KEYED = 5;
constexpr std::uint32_t SG_TXM_FORMAT_PAL8 = 8;
constexpr std::uint32_t SG_TXM_FORMAT_PAL8_B = 9;
constexpr std::uint32_t SG_TXM_FORMAT_PAL8_KEYED = 10;
constexpr std::uint32_t SG_TXM_FORMAT_MASK = 0xFFFF;
constexpr std::uint32_t SG_TXM_KEYED = 0x10000;
constexpr std::uint32_t SG_TXM_PALETTE_FILE = 0x100000;
constexpr std::uint32_t SG_TXM_NO_DRAW = 0x200000;

// Material types (low 19 bits of matType) and the flag bits above them.
constexpr std::uint32_t SG_MAT_TYPE_FLAT = 1;
constexpr std::uint32_t SG_MAT_TYPE_SHADED = 2;
constexpr std::uint32_t SG_MAT_TYPE_TEXTURE = 3;
constexpr std::uint32_t SG_MAT_TYPE_SHADED_TEXTURE = 4;
constexpr std::uint32_t SG_MAT_TYPE_SHADED_TRANSPARENT = 6;
constexpr std::uint32_t SG_MAT_TYPE_TRANSPARENT_TEXTURE = 7;
constexpr std::uint32_t SG_MAT_TYPE_SHADED_TRANSPARENT_TEXTURE = 9;
constexpr std::uint32_t SG_MAT_TYPE_MASK = 0x7FFFF;
constexpr std::uint32_t SG_MAT_TYPE_FOG = 0x10000;  // fogged variant, added while drawing
constexpr std::uint32_t SG_MAT_TYPE_ALPHA = 0x200000;
constexpr std::uint32_t SG_MAT_TYPE_SRC_COLOUR_BLEND = 0x400000;
constexpr std::uint32_t SG_MAT_TYPE_VERTEX_COLOUR = 0x800000;
constexpr std::uint32_t SG_MAT_TYPE_ALPHA_STRIP = 0x1000000;

// One palette colour: red, green, blue and a spare byte.
struct SGPalEntry {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  std::uint8_t spare;
};

struct SGVec2u {
  std::uint32_t u[2];
};

// Colours are always allocated for 256 entries (those past tpNumColours are
// black), so any 8-bit texel indexes a colour.
struct SGTexturePalette {
  char* tpName;
  SGPalEntry* tpColours;
  void* tpMapped;  // colours in the device's pixel format, 256 entries of 16 or 32 bits
  std::uint32_t tpNumColours;
  std::uint32_t tpRefCnt;
};

struct SGTextureInfo {
  std::uint8_t* tpiTexels;
  SGTexDDInfo* tpiDDInfo;
  SGTexturePalette* tpiPal;
};

struct SGTextureMap {
  std::uint32_t txmFormat;
  char* txmName;
  SGVec2u txmSize;  // width, height in texels
  std::uint32_t txmPitch;
  SGTextureInfo* txmInfo;
  SGContext* txmContext;
  std::uint32_t txmRefCnt;
};

struct SGMaterialInfo {
  std::uint8_t* maiLUT;
  SGD3DMatInfo* maiD3D;
  float maiScale;
};

struct SGMaterial {
  std::uint32_t matType;
  std::uint32_t matColour;  // byte 0 palette index, bytes 1..3 blue, green, red
  SGTextureMap* matTexMap;
  float matAmbient;
  float matDiffuse;
  std::uint32_t matNumShades;
  std::uint32_t matShadeRowSize;
  SGMaterialInfo* matInfo;
};

// A node of a caller's list of texture maps searched by SGTextureMapFind.
struct SGTextureListNode {
  SGTextureListNode* tlNext;
  SGTextureMap* tlMap;
};

// The 32-byte texture header record: format, width, height and pitch are read;
// the name, info, context and count words are not. SG_ERROR_TEXTURE_READ when short.
SGError SGTextureHeaderRead(const std::uint8_t* bytes, std::size_t size, SGTextureMap* out);
void SGTextureHeaderWrite(const SGTextureMap* txm, std::uint8_t out[SG_RECORD_SIZE]);
// The 32-byte material record: the scalar fields, and whether a texture name
// follows (a non-zero texture word). Pointers are not taken from the record.
SGError SGMaterialRecordRead(const std::uint8_t* bytes, std::size_t size, SGMaterial* out, bool* hasTexture);
void SGMaterialRecordWrite(const SGMaterial* mat, bool hasTexture, std::uint8_t out[SG_RECORD_SIZE]);

// Loads a texture by name: ".tga" (opened unchanged) or ".bin" by the last four
// characters, any other name as a texture header file through the data path.
// The new map has one reference, no name, and the data path's context.
SGError SGTextureMapLoad(const SGDataPath* dp, const char* name, SGTextureMap** out);
// Drops one reference; the last one frees texels, palette share, device copy,
// name and map. Null is accepted.
SGError SGTextureMapRelease(SGTextureMap* txm);
// The first map of the list whose name equals `name`, with one more reference;
// SG_ERROR_FILE_OPEN when none.
SGError SGTextureMapFind(const SGTextureListNode* first, const char* name, SGTextureMap** out);
// A copy with its own texels, sharing the palette.
SGError SGTextureMapCopy(const SGTextureMap* txm, SGTextureMap** out);

// Reads a material file through the data path.
SGError SGMaterialLoad(const SGDataPath* dp, const char* name, SGMaterial** out);
// Frees a material and drops its texture reference; null is accepted.
SGError SGMaterialDestroy(SGMaterial* mat);
SGError SGMaterialSetScale(SGMaterial* mat, float scale);
SGError SGMaterialGetScale(const SGMaterial* mat, float* out);

// Frees a palette when its last texture map lets it go.
void ISGTexturePaletteRelease(SGTexturePalette* pal);
