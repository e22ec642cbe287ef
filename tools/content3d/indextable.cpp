// The name index resource 202 and the archive of the catalog.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>

#include "platform/core/bytes.h"
#include "tools/content3d/content3d.h"
#include "tools/nob/nobwriter.h"

namespace content3d {

std::string Flatten(const std::string& path) {
  std::string out = "3ddata_";
  for (const char ch : path) {
    out += ch == '\\' || ch == '.' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  }
  return out;
}

Image MakeIndexTable(const std::vector<Asset>& catalog) {
  std::vector<std::pair<std::string, std::uint32_t>> entries;
  for (std::uint32_t i = 0; i < catalog.size(); ++i) {
    std::string name = Flatten(catalog[i].path);
    if (name.size() >= kIndexNameSize) throw std::invalid_argument("index name too long: " + name);
    entries.push_back({std::move(name), nob::ResourceId(kBaseId, i)});
  }
  // std::string compares as unsigned bytes.
  std::sort(entries.begin(), entries.end());
  for (std::size_t i = 1; i < entries.size(); ++i)
    if (entries[i].first == entries[i - 1].first) throw std::invalid_argument("name twice: " + entries[i].first);
  plat::ByteWriter w;
  w.U32(static_cast<std::uint32_t>(entries.size()));
  for (const auto& [name, id] : entries) {
    std::uint8_t padded[kIndexNameSize] = {};
    std::memcpy(padded, name.data(), name.size());
    w.WriteBytes(padded);
    w.U32(id);
  }
  return w.Take();
}

Image MakeArchive(const std::vector<Asset>& catalog) {
  std::vector<nob::Resource> resources;
  for (const Asset& a : catalog) resources.push_back({a.type, 0, a.data, {}});
  auto image = nob::WriteArchive(kBaseId, 1, resources);
  if (!image) throw std::invalid_argument("the catalog does not fit an archive");
  return std::move(*image);
}

}  // namespace content3d
