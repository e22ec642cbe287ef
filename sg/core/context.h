#pragma once
// The context: the first object an application creates. It owns a scratch
// buffer and the name the application gave it, holds debug switches, and links
// the device that draws (the frame buffer's device information, an optional
// Direct3D state and the installed palette), for which it prepares textures
// and materials.

#include <cstdint>
#include <cstdio>

#include "sg/core/sgerror.h"

struct SGDDInfo;
struct SGD3DDevice;
struct SGHashTable;
struct SGMaterial;
struct SGPalEntry;
struct SGTextureMap;

constexpr std::uint32_t SG_CTX_DEBUG_NO_TEXTURES = 0x1;
constexpr std::uint32_t SG_CTX_DEBUG_DRAW = 0x2;
constexpr std::uint32_t SG_CTX_DEBUG_LOG = 0x10;
constexpr std::uint32_t SG_CTX_DEBUG_TRI_COLOURS = 0x80;  // every triangle in the colour of its number
constexpr std::uint32_t SG_CTX_DEBUG_NO_FILL = 0x400;

// The longest name the application may hand out, without its terminator.
constexpr std::uint32_t SG_CONTEXT_NAME_MAX = 1024;

struct SGContext {
  std::uint32_t ctxBufferSize;  // bytes of ctxBuffer; users double it as needed
  std::uint8_t* ctxBuffer;
  std::uint32_t ctxParam;
  std::uint32_t ctxDebug;
  std::uint32_t ctxParamPair[2];
  std::FILE* ctxDebugLog;
  char* ctxName;
  SGDDInfo* ctxDDI;        // not owned
  SGD3DDevice* ctxD3D;     // not owned
  SGPalEntry* ctxPalette;  // 256 entries installed in the frame buffer, not owned
  std::uint32_t ctxPaletteUsed;
};

// Maps a colour word (red low byte, then green, blue) to the palette index given
// to it. Made by the first 8-bit preparation of a 32-bit texture, freed with the
// last context.
extern SGHashTable* g_sgColourIndexTable;

// 0, 1, or SG_ERROR_CONTEXT_NAME when the application's name hook refuses.
SGError SGContextCreate(SGContext** out);
// Frees the buffer, the name and the record; leaves the debug log and devices.
SGError SGContextDestroy(SGContext* ctx);
SGError SGContextSetParam(SGContext* ctx, std::uint32_t param);
SGError SGContextSetParamPair(SGContext* ctx, const std::uint32_t pair[2]);
// Opens "debug.log" when SG_CTX_DEBUG_LOG turns on (clearing the bit again when
// it cannot be opened) and closes it when the bit turns off.
SGError SGContextSetDebug(SGContext* ctx, std::uint32_t flags);
SGError SGContextSetMaxTextureSize(SGContext* ctx, std::uint32_t width, std::uint32_t height);

// Prepares a texture for the context's device and records the context in it;
// 0, 1, SG_ERROR_UNSUPPORTED, or the device layer's status.
SGError SGContextPrepareTexture(SGContext* ctx, SGTextureMap* txm);
// Frees the texture's device copy and forgets the context.
SGError ISGContextReleaseTexture(SGTextureMap* txm);
// Prepares a material and its texture.
SGError SGContextPrepareMaterial(SGContext* ctx, SGMaterial* mat);
SGError ISGContextReleaseMaterial(SGMaterial* mat);
// Builds the palette's colours in the device pixel format (tpMapped).
SGError ISGContextMapPalette(SGContext* ctx, SGTextureMap* txm);
// Writes table[texel] for every 8-bit texel as 32-bit values, rows packed.
SGError ISGTextureExpandIndexed(const SGTextureMap* txm, const std::uint32_t* table, std::uint32_t* out);
