// The text index: a program module whose index resource (201, "INDEXTABLE")
// and string tables come from the input, then every lookup the game makes:
// Find, the raw text, and the finished text into a buffer and a new block.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Game/base/GIDString.h"
#include "fuzz/scratch.h"
#include "platform/core/bytes.h"
#include "platform/resource/module.h"

namespace {

struct Resource {
  std::string typeName;  // empty: the type is typeId
  std::uint16_t typeId = 0;
  std::uint16_t nameId = 0;
  std::vector<std::uint8_t> data;
};

// Zeros up to offset `n`, when the image is shorter.
void PadTo(plat::ByteWriter& w, std::size_t n) {
  if (n > w.Size()) w.Zeros(n - w.Size());
}

// A directory of `named` + `numbered` zeroed entries; the offset of its first entry.
std::size_t Directory(plat::ByteWriter& w, std::uint16_t named, std::uint16_t numbered) {
  w.Zeros(12);
  w.U16(named);
  w.U16(numbered);
  const std::size_t first = w.Size();
  w.Zeros(8 * (std::size_t{named} + numbered));
  return first;
}

constexpr std::uint32_t kSectionVa = 0x1000;
constexpr std::uint32_t kSectionFileOffset = 0x200;
constexpr std::uint32_t kSubdirectory = 0x80000000u;

// A 32-bit resource-only module image: each resource on a path of its own
// through the three directory levels (named types must come first).
std::vector<std::uint8_t> ModuleImage(const std::vector<Resource>& resources) {
  plat::ByteWriter sec;
  const auto named = static_cast<std::uint16_t>(
      std::count_if(resources.begin(), resources.end(), [](const Resource& r) { return !r.typeName.empty(); }));
  const std::size_t root = Directory(sec, named, static_cast<std::uint16_t>(resources.size() - named));
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const Resource& res = resources[i];
    const std::size_t rootEntry = root + 8 * i;
    if (res.typeName.empty()) {
      sec.WriteAt<std::uint32_t>(rootEntry, res.typeId);
    } else {
      sec.WriteAt<std::uint32_t>(rootEntry, kSubdirectory | static_cast<std::uint32_t>(sec.Size()));
      sec.U16(static_cast<std::uint16_t>(res.typeName.size()));
      for (char c : res.typeName) sec.U16(static_cast<std::uint8_t>(c));
      sec.Align(4);
    }
    sec.WriteAt<std::uint32_t>(rootEntry + 4, kSubdirectory | static_cast<std::uint32_t>(sec.Size()));
    const std::size_t nameEntry = Directory(sec, 0, 1);
    sec.WriteAt<std::uint32_t>(nameEntry, res.nameId);
    sec.WriteAt<std::uint32_t>(nameEntry + 4, kSubdirectory | static_cast<std::uint32_t>(sec.Size()));
    const std::size_t languageEntry = Directory(sec, 0, 1);
    sec.WriteAt<std::uint32_t>(languageEntry, 0x0409);
    sec.WriteAt<std::uint32_t>(languageEntry + 4, static_cast<std::uint32_t>(sec.Size()));
    const std::size_t dataEntry = sec.Size();
    sec.Zeros(16);
    sec.WriteAt<std::uint32_t>(dataEntry, kSectionVa + static_cast<std::uint32_t>(sec.Size()));
    sec.WriteAt<std::uint32_t>(dataEntry + 4, static_cast<std::uint32_t>(res.data.size()));
    sec.WriteBytes(res.data);
    sec.Align(4);
  }

  plat::ByteWriter image;
  image.U16(0x5A4D);
  PadTo(image, 0x3C);
  image.U32(0x40);
  image.U32(0x00004550);
  image.U16(0x014C);  // machine
  image.U16(1);       // sections
  image.Zeros(12);
  image.U16(224);     // optional header size
  image.U16(0x2102);  // characteristics: a DLL
  const std::size_t optional = image.Size();
  image.U16(0x10B);
  PadTo(image, optional + 92);
  image.U32(16);  // data directories
  PadTo(image, optional + 96 + 2 * 8);
  image.U32(kSectionVa);
  image.U32(static_cast<std::uint32_t>(sec.Size()));
  PadTo(image, optional + 224);
  image.Chars(".rsrc");
  image.Zeros(3);  // the name's field is 8 bytes
  image.U32(static_cast<std::uint32_t>(sec.Size()));
  image.U32(kSectionVa);
  image.U32(static_cast<std::uint32_t>(sec.Size()));
  image.U32(kSectionFileOffset);
  image.Zeros(16);
  PadTo(image, kSectionFileOffset);
  image.WriteBytes(sec.Data());
  return image.Take();
}

// The index: a count (mostly the true one), then entries of an 8-byte ID, a
// string number and a buffer length, mostly sorted as the game writes them.
std::vector<std::uint8_t> IndexImage(FuzzedDataProvider& in, std::vector<std::string>& ids) {
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 40);
  for (std::size_t i = 0; i < n; ++i) {
    std::string id = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(1, 8));
    id.resize(8, '\0');
    ids.push_back(id);
  }
  if (in.ConsumeBool())
    std::sort(ids.begin(), ids.end(),
              [](const std::string& a, const std::string& b) { return CompareTextIds(a.data(), b.data()) < 0; });
  plat::ByteWriter index;
  index.U32(in.ConsumeBool() ? static_cast<std::uint32_t>(n) : in.ConsumeIntegral<std::uint32_t>());
  for (const std::string& id : ids) {
    index.Chars(id);
    index.U16(in.ConsumeIntegralInRange<std::uint16_t>(0, 50));
    const bool plausible = in.ConsumeBool();
    index.U16(plausible ? in.ConsumeIntegralInRange<std::uint16_t>(0, 300) : in.ConsumeIntegral<std::uint16_t>());
  }
  index.WriteBytes(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 16)));
  return index.Take();
}

// A string-table block: 16 counted UTF-16 strings, or raw bytes.
std::vector<std::uint8_t> StringBlock(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange(0, 7) == 0) return in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 64));
  plat::ByteWriter block;
  for (int i = 0; i < 16; ++i) {
    const std::string s = in.ConsumeRandomLengthString(120);
    block.U16(static_cast<std::uint16_t>(s.size()));
    for (char c : s) block.U16(static_cast<std::uint8_t>(c));
  }
  return block.Take();
}

void Query(const CIDString& index, const char* id) {
  int number = 7;
  int length = -7;
  const int found = index.Find(id, &number, &length);
  if (found != number || (found < 0 && length != -7)) __builtin_trap();
  const auto raw = index.LoadRawText(id);
  if ((raw != nullptr) != (found >= 0)) __builtin_trap();
  char small[16];
  index.GetText(id, small, sizeof small, "name", 42, 2.5, -1, "x", 7u, 1e300, std::int64_t{1} << 40);
  if (std::strlen(small) >= sizeof small) __builtin_trap();
  const auto text = index.GetTextAlloc(id, 12, "s", 0.125);
  if ((text != nullptr) != (found >= 0)) __builtin_trap();
  if (text && std::strlen(text.get()) > kMaxTextChars) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::vector<std::string> ids;
  std::vector<Resource> resources;
  resources.push_back(Resource{"INDEXTABLE", 0, 201, IndexImage(in, ids)});
  const int blocks = in.ConsumeIntegralInRange(0, 4);
  for (int b = 1; b <= blocks; ++b) {
    resources.push_back(Resource{"", 6, static_cast<std::uint16_t>(b), StringBlock(in)});
  }
  const std::string extra = in.ConsumeRemainingBytesAsString();

  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  scratch.Write("quenbar.dll", ModuleImage(resources));
  plat::SetProgramModulePath(scratch.dir() / "quenbar.dll");
  const plat::HMODULE module = plat::GetModuleHandle(nullptr);
  {
    const CIDString index;
    for (const std::string& id : ids) Query(index, id.c_str());
    Query(index, extra.c_str());
    Query(index, "");
  }
  // The next input's module takes the program's place; this one is unloaded.
  plat::SetProgramModulePath(scratch.dir() / "quenbar.dll");
  plat::FreeLibrary(module);
  return 0;
}
