#include "tools/rc/moduleimage.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>

#include "platform/core/bytes.h"
#include "platform/resource/text1252.h"

namespace rc {
namespace {

constexpr std::uint32_t kFileAlign = 0x200;
constexpr std::uint32_t kSectionAlign = 0x1000;
constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kPeOffset = 0x80;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kDirHeaderSize = 16;
constexpr std::uint32_t kDirEntrySize = 8;
constexpr std::uint32_t kDataEntrySize = 16;

std::uint32_t AlignUp(std::uint32_t v, std::uint32_t unit) { return (v + unit - 1) / unit * unit; }

// A directory key: names as upper-case UTF-16, ordered as the format wants.
struct Key {
  bool isId = false;
  std::uint16_t id = 0;
  std::u16string name;

  static Key Of(const plat::ResName& n) {
    Key k;
    k.isId = n.IsId();
    k.id = n.Id();
    for (char c : n.Name()) k.name.push_back(plat::Cp1252ToUtf16(static_cast<unsigned char>(plat::UpperResChar(c))));
    return k;
  }
  bool operator<(const Key& o) const {
    if (isId != o.isId) return !isId;
    if (isId) return id < o.id;
    return name < o.name;
  }
};

using LangMap = std::map<std::uint16_t, const Resource*>;
using NameMap = std::map<Key, LangMap>;
using TypeMap = std::map<Key, NameMap>;

// The 16-bit program that runs when the module is started under DOS: print
// the message at offset 0x0E and exit.
const std::uint8_t kDosStub[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
constexpr std::string_view kDosMessage = "This file holds resources only.\r\r\n$";

void WriteDosHeader(plat::ByteWriter& w) {
  w.U16(0x5A4D);        // "MZ"
  w.U16(0x90);          // bytes on the last page
  w.U16(3);             // pages
  w.U16(0);             // relocations
  w.U16(4);             // header paragraphs
  w.U16(0);             // minimum extra paragraphs
  w.U16(0xFFFF);        // maximum extra paragraphs
  w.U16(0);             // ss
  w.U16(0xB8);          // sp
  w.U16(0);             // checksum
  w.U16(0);             // ip
  w.U16(0);             // cs
  w.U16(0x40);          // relocation table
  w.U16(0);             // overlay
  w.Zeros(8 + 4 + 20);  // reserved, OEM fields, reserved
  w.U32(kPeOffset);
  w.WriteBytes(kDosStub);
  w.Chars(kDosMessage);
  w.Zeros(kPeOffset - w.Size());
}

// The .rsrc section's bytes, laid out from section offset 0.
std::vector<std::uint8_t> BuildSection(const TypeMap& types) {
  // Offsets of everything first: directories, data entries, names, data.
  std::uint32_t dirBytes = kDirHeaderSize + kDirEntrySize * static_cast<std::uint32_t>(types.size());
  std::uint32_t leafCount = 0;
  for (const auto& [type, names] : types) {
    dirBytes += kDirHeaderSize + kDirEntrySize * static_cast<std::uint32_t>(names.size());
    for (const auto& [name, langs] : names) {
      dirBytes += kDirHeaderSize + kDirEntrySize * static_cast<std::uint32_t>(langs.size());
      leafCount += static_cast<std::uint32_t>(langs.size());
    }
  }
  std::uint32_t dataEntriesAt = dirBytes;
  std::uint32_t namesAt = dataEntriesAt + leafCount * kDataEntrySize;

  plat::ByteWriter names;
  std::map<std::u16string, std::uint32_t> nameOffsets;
  auto nameField = [&](const Key& k) -> std::uint32_t {
    if (k.isId) return k.id;
    auto [it, fresh] = nameOffsets.emplace(k.name, namesAt + static_cast<std::uint32_t>(names.Size()));
    if (fresh) {
      names.U16(static_cast<std::uint16_t>(k.name.size()));
      for (char16_t c : k.name) names.U16(c);
    }
    return kHighBit | it->second;
  };
  // Names are laid down in directory order so the layout is fixed by the input.
  for (const auto& [type, nameMap] : types) {
    nameField(type);
    for (const auto& entry : nameMap) nameField(entry.first);
  }
  names.Align(8);
  std::uint32_t dataAt = namesAt + static_cast<std::uint32_t>(names.Size());

  plat::ByteWriter dirs;
  plat::ByteWriter entries;
  plat::ByteWriter data;
  auto header = [](plat::ByteWriter& w, const auto& map) {
    std::uint16_t named = 0;
    for (const auto& e : map) named += e.first.isId ? 0 : 1;
    w.U32(0);  // characteristics
    w.U32(0);  // time stamp: none, so equal inputs give equal files
    w.U32(0);  // version
    w.U16(named);
    w.U16(static_cast<std::uint16_t>(map.size() - named));
  };

  // Breadth first: the root, every type directory, every name directory.
  std::uint32_t next = kDirHeaderSize + kDirEntrySize * static_cast<std::uint32_t>(types.size());
  header(dirs, types);
  for (const auto& [type, nameMap] : types) {
    dirs.U32(nameField(type));
    dirs.U32(kHighBit | next);
    next += kDirHeaderSize + kDirEntrySize * static_cast<std::uint32_t>(nameMap.size());
  }
  for (const auto& [type, nameMap] : types) {
    header(dirs, nameMap);
    for (const auto& [name, langs] : nameMap) {
      dirs.U32(nameField(name));
      dirs.U32(kHighBit | next);
      next += kDirHeaderSize + kDirEntrySize * static_cast<std::uint32_t>(langs.size());
    }
  }
  std::uint32_t leaf = 0;
  for (const auto& [type, nameMap] : types) {
    for (const auto& [name, langs] : nameMap) {
      dirs.U32(0);
      dirs.U32(0);
      dirs.U32(0);
      dirs.U16(0);  // languages are numbers only
      dirs.U16(static_cast<std::uint16_t>(langs.size()));
      for (const auto& [lang, res] : langs) {
        dirs.U32(lang);
        dirs.U32(dataEntriesAt + leaf * kDataEntrySize);
        ++leaf;
        entries.U32(kSectionRva + dataAt + static_cast<std::uint32_t>(data.Size()));
        entries.U32(static_cast<std::uint32_t>(res->data.size()));
        entries.U32(0);  // code page
        entries.U32(0);
        data.WriteBytes(res->data);
        data.Align(8);
      }
    }
  }

  plat::ByteWriter out;
  out.WriteBytes(dirs.Data());
  out.WriteBytes(entries.Data());
  out.WriteBytes(names.Data());
  out.WriteBytes(data.Data());
  return out.Take();
}

}  // namespace

std::vector<std::uint8_t> WriteModuleImage(const std::vector<Resource>& resources, ImageFormat format) {
  TypeMap types;
  for (const Resource& r : resources) {
    if (r.type.Name().size() > 0xFFFF || r.name.Name().size() > 0xFFFF) {
      throw std::invalid_argument("resource name longer than 65535 characters");
    }
    auto& langs = types[Key::Of(r.type)][Key::Of(r.name)];
    if (!langs.emplace(r.language, &r).second) {
      throw std::invalid_argument("resource defined twice: " +
                                  (r.name.IsId() ? std::to_string(r.name.Id()) : r.name.Name()));
    }
  }
  std::vector<std::uint8_t> section = BuildSection(types);
  const bool plus = format == ImageFormat::Pe32Plus;
  const auto virtualSize = static_cast<std::uint32_t>(section.size());
  const std::uint32_t rawSize = AlignUp(virtualSize, kFileAlign);
  const std::uint32_t headersSize = kFileAlign;

  plat::ByteWriter w;
  WriteDosHeader(w);
  w.U32(0x00004550);              // "PE\0\0"
  w.U16(plus ? 0x8664 : 0x014C);  // machine
  w.U16(1);                       // sections
  w.U32(0);                       // time stamp
  w.U32(0);                       // symbol table
  w.U32(0);                       // symbols
  w.U16(plus ? 240 : 224);        // optional header size
  w.U16(plus ? 0x2022 : 0x2102);  // executable image, DLL; 32-bit or large-address aware

  w.U16(plus ? 0x20B : 0x10B);
  w.U8(1);  // linker version
  w.U8(0);
  w.U32(0);            // code
  w.U32(rawSize);      // initialised data
  w.U32(0);            // uninitialised data
  w.U32(0);            // entry point: none
  w.U32(kSectionRva);  // base of code
  if (plus) {
    w.U64(0x180000000ull);
  } else {
    w.U32(kSectionRva);  // base of data
    w.U32(0x10000000u);
  }
  w.U32(kSectionAlign);
  w.U32(kFileAlign);
  w.U16(4);  // operating system version
  w.U16(0);
  w.U16(0);  // image version
  w.U16(0);
  w.U16(4);  // subsystem version
  w.U16(0);
  w.U32(0);  // reserved
  w.U32(kSectionRva + AlignUp(std::max<std::uint32_t>(virtualSize, 1), kSectionAlign));
  w.U32(headersSize);
  w.U32(0);  // checksum
  w.U16(2);  // subsystem: windows
  w.U16(0);  // DLL characteristics
  auto sizeField = [&](std::uint64_t v) { plus ? w.U64(v) : w.U32(static_cast<std::uint32_t>(v)); };
  sizeField(0x100000);  // stack reserve
  sizeField(0x1000);    // stack commit
  sizeField(0x100000);  // heap reserve
  sizeField(0x1000);    // heap commit
  w.U32(0);             // loader flags
  w.U32(16);            // data directories
  for (int i = 0; i < 16; ++i) {
    w.U32(i == 2 ? kSectionRva : 0);
    w.U32(i == 2 ? virtualSize : 0);
  }

  w.Chars(std::string_view(".rsrc\0\0\0", 8));
  w.U32(virtualSize);
  w.U32(kSectionRva);
  w.U32(rawSize);
  w.U32(headersSize);
  w.U32(0);  // relocations
  w.U32(0);  // line numbers
  w.U16(0);
  w.U16(0);
  w.U32(0x40000040u);  // initialised data, readable
  w.Zeros(headersSize - w.Size());

  w.WriteBytes(section);
  w.Align(kFileAlign);
  return w.Take();
}

}  // namespace rc
