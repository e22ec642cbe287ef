#pragma once
// Generators of the 3D library's file images: stored model blocks and model
// files, 8-bit textures in the sizes that have fills, texture header files,
// palettes and materials. Images are built through the library's own records
// and writers, so what they produce is what the readers accept.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sg/material/material.h"
#include "sg/model/model.h"

namespace sgdata {

using Image = std::vector<std::uint8_t>;

// A ship-like model: a box hull with normals and texture coordinates on LOD 0,
// a turret part on the model's transform slot 0, the same hull vertices drawn
// with fewer faces on LOD 1, and a billboard on the farthest LOD. Bounds,
// radii and face planes are filled in.
struct ShipShape {
  float length = 4.f;
  float width = 2.f;
  float height = 1.f;
  std::vector<std::array<float, 3>> hardPoints = {{0.f, 0.f, 0.5f}, {1.5f, 0.f, 0.5f}};
  bool billboard = true;
};

// The stored block of the model.
Image MakeShipBlock(const ShipShape& shape);
// A model file: the block's size word, then the block.
Image MakeShipModelFile(const ShipShape& shape);

// Hard points closing LOD 0's chain of `model`, numbered in order; throws
// std::bad_alloc when the library has no memory for one.
void AppendHardPoints(SGModel* model, const std::vector<std::array<float, 3>>& points);
// The stored block of `model`, which is freed either way; throws
// std::bad_alloc when it cannot be packed.
Image PackModelBlock(SGModel* model);
// A model file of a stored block: the block's size word, then the block.
Image ModelFile(const Image& block);

// The texture sizes (width, height) that have fills, in fill order.
inline constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 11> kFillSizes = {{{16, 16},
                                                                                        {32, 32},
                                                                                        {64, 64},
                                                                                        {128, 128},
                                                                                        {256, 256},
                                                                                        {512, 512},
                                                                                        {64, 32},
                                                                                        {128, 64},
                                                                                        {128, 32},
                                                                                        {256, 128},
                                                                                        {256, 64}}};

// A ".bin" texture (sizes powers of two) with a checker pattern of palette
// indices starting at `firstIndex`.
Image MakeBinTexture(std::uint32_t width, std::uint32_t height, std::uint8_t firstIndex);
// A palette file of 1 to 256 colours.
Image MakePalette(const std::vector<SGPalEntry>& colours);
// `count` colours running through the spectrum, entry 0 black.
std::vector<SGPalEntry> Spectrum(std::uint32_t count);
// A texture header file of an 8-bit format whose texels index its own palette
// file `paletteName` (formats 8 to 10, or any format with SG_TXM_PALETTE_FILE);
// `frameIndices` and `ownIndices` hold width x height texels each.
Image MakePalettedTextureFile(std::uint32_t format, std::uint32_t width, std::uint32_t height,
                              const Image& frameIndices, const Image& ownIndices, const std::string& paletteName);
// A material file: the record, the shade table (numShades x rowSize bytes) and,
// when `textureName` is not empty, the texture's name.
Image MakeMaterialFile(const SGMaterial& mat, const Image& shadeTable, const std::string& textureName);

}  // namespace sgdata
