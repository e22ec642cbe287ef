#pragma once
// The Direct3D layer's part in preparing and releasing textures and materials.
// That layer installs its entry points when it creates a device state for a
// context (ctxD3D); the context and material code reach the device only here.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGContext;
struct SGD3DDevice;
struct SGMaterial;
struct SGTextureMap;

struct SGD3DEntryPoints {
  // The state exists and may draw (its flag bit 0 is clear).
  bool (*usable)(const SGD3DDevice* device);
  SGError (*createTexture8)(SGContext* ctx, SGTextureMap* txm);
  SGError (*createTexture16)(SGContext* ctx, SGTextureMap* txm);
  // Frees the texture's device copy (tpiDDInfo).
  void (*freeTexture)(SGTextureMap* txm);
  SGError (*createMaterial)(SGContext* ctx, SGMaterial* mat);
  // Frees the material's Direct3D part (maiD3D).
  void (*freeMaterial)(SGMaterial* mat);
  void (*setMaxTextureSize)(SGContext* ctx, std::uint32_t width, std::uint32_t height);
};

// Installs (or with null removes) the Direct3D layer's entry points.
void ISGD3DSetEntryPoints(const SGD3DEntryPoints* entry);
// The installed entry points; a context with a device state requires them.
const SGD3DEntryPoints* ISGD3DEntry();
