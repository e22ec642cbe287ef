#pragma once
// The readers of the 3D content the display objects load out of the ".nob"
// archive: the name index (resource 202 of the program), material lists, and
// the archive's model, material, texture and palette resources. Each checks
// every size and count before it reads; bad bytes give a status, never a read
// past the end. The archive lookups go through a resolver, so the readers work
// on bytes alone. Game thread only.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SGContext;
struct SGMaterial;
struct SGModel;
struct SGTextureMap;

// Status codes of the readers.
constexpr std::uint32_t kDispOk = 0;
constexpr std::uint32_t kDispNoMemory = 1;
constexpr std::uint32_t kDispBadFormat = 2;   // unrecognised texture format
constexpr std::uint32_t kDispMissing = 1793;  // a named resource is not in the index or archive
constexpr std::uint32_t kDispDamaged = 1794;  // a resource shorter than its records say

// The name index: a count, then per entry a NUL-padded 48-byte flattened name
// and a 32-bit resource number, sorted by unsigned bytes.
class ModelIndexTable {
 public:
  static constexpr std::size_t kNameSize = 48;
  static constexpr std::size_t kEntrySize = 52;
  // Numbers below this are not archive resources.
  static constexpr std::uint32_t kFirstResource = 500;

  ModelIndexTable() = default;
  // Refuses (false, empty table) bytes shorter than their count says.
  bool Assign(std::span<const std::uint8_t> bytes);
  std::uint32_t Count() const { return count_; }
  // The resource number of the flattened key, 0 when missing.
  std::uint32_t Find(std::string_view key) const;
  // The key of a name: put behind `directory` unless it holds a backslash,
  // backslashes and dots turned into underscores, lower case, from the first
  // "3ddata" on (the whole flattened name when there is none).
  static std::string KeyOf(const char* directory, const char* name);
  // KeyOf then Find; numbers below kFirstResource count as missing (0).
  std::uint32_t Lookup(const char* directory, const char* name) const;

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint32_t count_ = 0;
};

// A material list: one name a line, lines ending in a line feed (a carriage
// return before it dropped), each kept to 31 characters, the text ended by
// 0x1A or its end. A last line without its line feed counts.
std::vector<std::string> ParseMaterialList(std::span<const std::uint8_t> bytes);

// Finds a resource by name for the readers: its bytes (empty when missing;
// with no store at all every name is missing). Each span Fetch hands out is
// given back to Release once it is read.
class DispResources {
 public:
  explicit DispResources(SGContext* ctx = nullptr) : context(ctx) {}
  virtual ~DispResources() = default;
  virtual std::span<const std::uint8_t> Fetch(const std::string& /*name*/) const { return {}; }
  virtual void Release(std::span<const std::uint8_t> /*bytes*/) const {}
  SGContext* context = nullptr;
};

// A model resource: a copy length, then the stored model block.
std::uint32_t ReadModelResource(std::span<const std::uint8_t> bytes, SGModel** out);
// A material resource: the 32-byte record, its shade data, and the texture's
// name when the record names one (read through the resolver).
std::uint32_t ReadMaterialResource(const DispResources& res, std::span<const std::uint8_t> bytes, SGMaterial** out);
// A texture resource: the 32-byte header, the texels for the frame buffer's
// colours, the texels of its own palette and that palette's name.
std::uint32_t ReadTextureResource(const DispResources& res, std::span<const std::uint8_t> bytes, SGTextureMap** out);
// A palette resource: count - 1 in the first byte, then 4 bytes a colour.
std::uint32_t ReadPaletteResource(std::span<const std::uint8_t> bytes, const std::string& name, SGTextureMap* into);
// A copy of an 8-bit texture with every row mirrored left to right (one
// reference, sharing the palette).
SGTextureMap* MirrorTexture(const SGTextureMap* source);
