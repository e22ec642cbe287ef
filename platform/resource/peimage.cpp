#include "platform/resource/peimage.h"

#include <optional>
#include <set>

#include "platform/core/bytes.h"
#include "platform/resource/text1252.h"

namespace plat {
namespace {

constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kMaxSections = 96;
constexpr std::size_t kResourceDirIndex = 2;

struct Section {
  std::uint64_t va = 0;
  std::uint64_t rawSize = 0;
  std::uint64_t rawOffset = 0;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> image) : image_(image) {}

  ResourceListing Run() {
    ResourceListing out;
    if (!ReadHeaders()) {
      out.error = error_;
      return out;
    }
    if (resRva_ != 0 && !ReadDirectory(0, 0, ResName(0), ResName(0), out.records)) {
      out.records.clear();
      out.error = error_;
    }
    return out;
  }

 private:
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }

  bool ReadHeaders() {
    ByteReader r(image_);
    if (image_.size() < 64 || r.U16() != 0x5A4D) return Fail("not a module: no MZ header");
    r.Seek(0x3C);
    std::uint32_t peOffset = r.U32();
    r.Seek(peOffset);
    if (!r.Ok() || r.U32() != 0x00004550) return Fail("not a module: no PE signature");
    r.Skip(2);  // machine
    std::uint16_t sectionCount = r.U16();
    r.Skip(12);  // time stamp, symbol table, symbol count
    std::uint16_t optionalSize = r.U16();
    r.Skip(2);  // characteristics
    if (!r.Ok()) return Fail("truncated file header");
    if (sectionCount > kMaxSections) return Fail("too many sections");

    std::size_t optionalStart = r.Pos();
    auto optional = r.Bytes(optionalSize);
    if (!r.Ok()) return Fail("truncated optional header");
    ByteReader o(optional);
    std::uint16_t magic = o.U16();
    std::size_t countAt = 0;
    if (magic == kMagicPe32) {
      countAt = 92;
    } else if (magic == kMagicPe32Plus) {
      countAt = 108;
    } else {
      return Fail("unknown optional header magic");
    }
    o.Seek(countAt);
    std::uint32_t dirCount = o.U32();
    if (!o.Ok()) return Fail("truncated optional header");
    if (dirCount > kResourceDirIndex) {
      o.Skip(kResourceDirIndex * 8);
      resRva_ = o.U32();
      o.Skip(4);  // size: the directory's own counts bound it
      if (!o.Ok()) return Fail("truncated data directories");
    }

    r.Seek(optionalStart + optionalSize);
    for (std::size_t i = 0; i < sectionCount; ++i) {
      Section s;
      r.Skip(12);  // name, virtual size: only the bytes in the file are read
      s.va = r.U32();
      s.rawSize = r.U32();
      s.rawOffset = r.U32();
      r.Skip(16);  // relocations, line numbers, characteristics
      if (!r.Ok()) return Fail("truncated section table");
      if (s.rawOffset + s.rawSize > image_.size()) return Fail("section data past the end of the file");
      sections_.push_back(s);
    }
    if (resRva_ == 0) return true;

    auto base = MapRva(resRva_, 16);
    if (!base) return Fail("resource directory outside the file");
    // Directory offsets count from the directory's start and stay in its section.
    const Section& s = *SectionOf(resRva_);
    std::uint64_t end = s.rawOffset + s.rawSize;
    dir_ = image_.subspan(static_cast<std::size_t>(*base), static_cast<std::size_t>(end - *base));
    return true;
  }

  const Section* SectionOf(std::uint64_t rva) const {
    for (const Section& s : sections_) {
      if (rva >= s.va && rva - s.va < s.rawSize) return &s;
    }
    return nullptr;
  }

  // The file offset of `size` bytes at `rva`, all inside one section's data.
  std::optional<std::uint64_t> MapRva(std::uint64_t rva, std::uint64_t size) const {
    const Section* s = SectionOf(rva);
    if (s == nullptr) {
      if (size == 0) {  // an empty block may sit right at a section's end
        for (const Section& t : sections_) {
          if (rva == t.va + t.rawSize) return t.rawOffset + t.rawSize;
        }
      }
      return std::nullopt;
    }
    std::uint64_t within = rva - s->va;
    if (within + size > s->rawSize) return std::nullopt;
    return s->rawOffset + within;
  }

  bool ReadName(std::uint32_t field, ResName& out) {
    if ((field & kHighBit) == 0) {
      if (field > 0xFFFF) return Fail("resource number out of range");
      out = ResName(static_cast<int>(field));
      return true;
    }
    ByteReader r(dir_, field & ~kHighBit);
    std::uint16_t length = r.U16();
    ByteReader units(r.Bytes(std::size_t{length} * 2));
    if (!r.Ok()) return Fail("resource name past the end of the directory");
    std::string name;
    name.reserve(length);
    for (std::size_t i = 0; i < length; ++i) name.push_back(Utf16ToCp1252(units.U16()));
    // A stored "#12" stays a name: the directory says it is a string.
    out = ResName::Literal(name);
    return true;
  }

  bool ReadDirectory(std::uint32_t offset, int level, const ResName& type, const ResName& name,
                     std::vector<ResourceRecord>& out) {
    if (!visited_.insert(offset).second) return Fail("resource directory loop");
    ByteReader r(dir_, offset);
    r.Skip(12);  // characteristics, time stamp, version
    std::size_t count = std::size_t{r.U16()} + r.U16();
    if (!r.Ok() || count * 8 > r.Remaining()) return Fail("resource directory past the end");
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t nameField = r.U32();
      std::uint32_t dataField = r.U32();
      bool isDirectory = (dataField & kHighBit) != 0;
      std::uint32_t target = dataField & ~kHighBit;
      if (level < 2) {
        ResName key{0};
        if (!ReadName(nameField, key)) return false;
        if (!isDirectory) return Fail("resource directory entry without a subdirectory");
        bool ok = level == 0 ? ReadDirectory(target, 1, key, name, out) : ReadDirectory(target, 2, type, key, out);
        if (!ok) return false;
      } else {
        if (isDirectory) return Fail("resource directory nested too deep");
        if ((nameField & kHighBit) != 0 || nameField > 0xFFFF) return Fail("bad resource language");
        if (!ReadData(target, type, name, static_cast<WORD>(nameField), out)) return false;
      }
    }
    return true;
  }

  bool ReadData(std::uint32_t offset, const ResName& type, const ResName& name, WORD language,
                std::vector<ResourceRecord>& out) {
    ByteReader r(dir_, offset);
    std::uint32_t rva = r.U32();
    std::uint32_t size = r.U32();
    std::uint32_t codePage = r.U32();
    if (!r.Ok()) return Fail("resource data entry past the end");
    auto at = MapRva(rva, size);
    if (!at) return Fail("resource data outside the file");
    ResourceRecord rec;
    rec.type = type;
    rec.name = name;
    rec.language = language;
    rec.codePage = codePage;
    rec.offset = static_cast<std::size_t>(*at);
    rec.size = size;
    out.push_back(std::move(rec));
    return true;
  }

  std::span<const std::uint8_t> image_;
  std::span<const std::uint8_t> dir_;
  std::vector<Section> sections_;
  std::uint32_t resRva_ = 0;
  std::set<std::uint32_t> visited_;
  std::string error_;
};

}  // namespace

ResourceListing ReadResourceDirectory(std::span<const std::uint8_t> image) { return Reader(image).Run(); }

}  // namespace plat
