#pragma once
// The 3D views' content, generated deterministically from fixed seeds: every
// model, material list, material, texture and palette the views name, as the
// resources of the ".nob" archive, with the index resource 202 that maps their
// flattened names to resource ids, and the scene file with its palette.
// May be called from several threads.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/sgdata/sgdata.h"

namespace content3d {

using sgdata::Image;

// Resource types of the archive.
enum ResourceType : std::uint32_t { kModel = 1, kMaterial = 2, kTexture = 3, kPalette = 4, kList = 5 };

struct Asset {
  std::string path;  // below the 3D data directory, DOS separators: "halos\cube.mdl"
  std::uint32_t type = 0;
  Image data;
};

// A mesh for a model file: triangles with vertex and texture-coordinate
// indices and a material index, and the model's hard points.
struct MeshTri {
  std::uint32_t v[3];
  std::uint32_t uv[3];
  std::uint32_t material;
};
struct Mesh {
  std::vector<std::array<float, 3>> verts;
  std::vector<std::array<float, 2>> uvs;
  std::vector<MeshTri> tris;
  std::vector<std::array<float, 3>> hardPoints;
};
// The model file (size word, then the stored block) of a one-level model.
Image MakeMeshModelFile(const Mesh& mesh);
// A two-sided square of half size `half` facing along z (billboards); a box
// of half extents; a lumpy rock of about `radius` shaped by `seed`.
Mesh MakeQuad(float half);
Mesh MakeBox(float hx, float hy, float hz);
Mesh MakeRock(float radius, std::uint32_t seed);
// Adds a box of half extents `half` about `centre` to the mesh.
void AppendBox(Mesh* m, const std::array<float, 3>& centre, const std::array<float, 3>& half);

// Draws the picture of a mesh (x forward, z up) seen from direction
// `toCamera` (the studio's Picture, or PlaceholderPicture).
using PictureMaker = std::function<Image(const Mesh& mesh, const std::array<float, 3>& toCamera)>;

// Every asset, in a fixed order, with the pictures of models by `maker`.
std::vector<Asset> MakeCatalog(const PictureMaker& maker);

// "3ddata_" + the path with backslashes and dots turned into underscores, in
// lower case: the key the views look names up by.
std::string Flatten(const std::string& path);

// The archive's first resource id is kBaseId + 1.
constexpr std::uint32_t kBaseId = 500;
constexpr std::size_t kIndexNameSize = 48;

// The index resource 202: the entry count, then per entry the NUL-padded
// flattened name (48 bytes) and the resource id, sorted by unsigned bytes.
// Throws std::invalid_argument for a name that does not fit or appears twice.
Image MakeIndexTable(const std::vector<Asset>& catalog);
// The ".nob" archive of the catalog in index order (stdio mode).
Image MakeArchive(const std::vector<Asset>& catalog);

// The scene description "Quenbar.con" and its palette "palette.dat".
std::string MakeSceneFile();
Image MakeScenePalette();

// A material file of `type` and colour word (palette index in byte 0, then
// blue, green, red) with the texture named (none when empty).
Image MakeMaterial(std::uint32_t type, std::uint32_t colour, const std::string& texture);

// An 8-bit texture with its own palette file: rock, glow (suns, halos), a
// solid colour, or grid lines every 8 texels over transparent texels (0),
// `width` x `height` from the sizes that have fills.
enum class Look { kRock, kGlow, kSolid, kGrid };
Image MakeTexture(Look look, std::uint32_t width, std::uint32_t height, std::uint32_t seed,
                  const std::string& paletteName);
Image MakeTexturePalette(Look look, std::uint32_t seed);
// A glow's palette in one colour (red, green, blue at full brightness), its
// brightest entries turning white with `whiteCore`.
Image MakeGlowPalette(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool whiteCore);

// The unit pictures' view codes (17), whether the views draw a code mirrored,
// and the direction from the unit to the camera of a code (x forward, z up).
const std::array<int, 17>& ViewCodes();
bool ViewCodeMirrored(int code);
std::array<float, 3> ViewCodeDirection(int code);
// The hull of a guild (0-4) and unit class (0-10, 11 the wreck), x forward,
// z up, in the guild's own lines: faces of material 0 are plates, of material
// 1 the guild's trim.
Mesh MakeHullMesh(std::uint32_t guild, std::uint32_t unitClass);
// Pictures of models (unit pictures, the asteroids' pictures):
// kUnitPictureSide squared texels, 0 empty, else the brightness: plates
// 1..kTrimTexel - 1, trim (faces of material 1) kTrimTexel..255.
constexpr std::uint32_t kUnitPictureSide = 64;
constexpr std::uint8_t kTrimTexel = 192;
// Suns and halos are glow discs a billboard stretches over much of the view:
// drawn from a small texture they break into blocks, so they take a large
// square one whatever their seed.
constexpr std::pair<std::uint32_t, std::uint32_t> kGlowSize = {128, 128};
// A stand-in picture (a disc whatever the mesh) for what needs the names and
// sizes of the pictures but not their looks: the index, tests.
Image PlaceholderPicture(const Mesh& mesh, const std::array<float, 3>& toCamera);
// Per guild directory "GUILD<n>\": "<class><n>0<code>.mat" with its ".ptx"
// (and for mirrored codes ".xtx": the view from the other side, mirrored, as
// the views mirror it back) for the eleven classes and the wreck, the pictures
// drawn by `maker` from each guild's own hulls, coloured by the guild's
// palette "units.pal": plates in its hue, trim in its glow.
void AddUnitPictures(std::vector<Asset>* out, const PictureMaker& maker);

// Frame series of explosions ("explode\\exp100" .. "exp900", "rap100" ..
// "rap800", "sdbr00"), shield effects ("g<n>\\shieldfx\\@shld00", "nxef00",
// "rshd00") and
// the flares of stars 0 to kFlareStars - 1 ("sun\\sflr<id>0"): frames
// "<base>01.mat" to the frame count, each with its texture.
constexpr int kFlareStars = 64;
std::uint32_t EffectFrameCount();
void AddEffects(std::vector<Asset>* out);

}  // namespace content3d
