#include "Game/base/GPersist.h"

#include <cstdint>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"

namespace {
// The source file the validity checks name in their reports.
constexpr const char* kSaveLoadFile = "Game/saveload";
}  // namespace

int WriteValidityByte(plat::FILE* fp) {
  BlockWriter w(fp);
  return WriteValidityByte(w);
}

int WriteValidityByte(BlockWriter& w) {
  if (!w.Write(std::uint8_t{kValidityByte})) {
    TraceError("Validity check writing error!", kSaveLoadFile, __LINE__);
    return 0;
  }
  return 1;
}

int ReadValidityByte(plat::FILE* fp) {
  BlockReader r(fp);
  return ReadValidityByte(r);
}

int ReadValidityByte(BlockReader& r) {
  std::uint8_t byte = 0;
  if (!r.Read(byte)) {
    TraceError("Could not read validity check!", kSaveLoadFile, __LINE__);
    return 0;
  }
  if (byte != kValidityByte) {
    TraceError("Validity check reading error!", kSaveLoadFile, __LINE__);
    return 0;
  }
  return 1;
}

int CopyWholeFile(const char* source, const char* destination) {
  plat::FILE* in = OpenDataFile(source, "rb");
  if (in == nullptr) return 0;
  std::vector<std::uint8_t> bytes;
  bool ok = plat::fseek(in, 0, SEEK_END) == 0;
  const long length = ok ? plat::ftell(in) : -1;
  ok = length >= 0 && plat::fseek(in, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(length));
    ok = bytes.empty() || plat::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
  }
  plat::fclose(in);
  if (!ok) return 0;
  plat::FILE* out = OpenDataFile(destination, "wb");
  if (out == nullptr) return 0;
  ok = bytes.empty() || plat::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  // A failed final flush means the copy is not on the disk.
  ok = plat::fclose(out) == 0 && ok;
  return ok ? 1 : 0;
}
