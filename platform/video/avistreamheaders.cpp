#include "platform/video/avistreamheaders.h"

#include <string_view>

#include "platform/core/bytes.h"

namespace plat::video_impl {
namespace {

// Header fields before the rate: type, handler, flags, priority and
// language, initial frames, scale.
constexpr std::size_t kScaleAt = 20;
constexpr std::size_t kRateAt = 24;
// Files with more streams than this are not movies of ours.
constexpr std::size_t kMaxStreams = 64;

struct Chunk {
  std::uint32_t id = 0;
  std::span<const std::uint8_t> body;
};

constexpr std::uint32_t Fourcc(std::string_view s) {
  return std::uint32_t{static_cast<std::uint8_t>(s[0])} | std::uint32_t{static_cast<std::uint8_t>(s[1])} << 8 |
         std::uint32_t{static_cast<std::uint8_t>(s[2])} << 16 | std::uint32_t{static_cast<std::uint8_t>(s[3])} << 24;
}

// The chunks of `area` one after another; a chunk whose size runs past the
// area ends the walk, cut to what is there.
template <class Visit>
void ForEachChunk(std::span<const std::uint8_t> area, Visit visit) {
  ByteReader r(area);
  while (r.Remaining() >= 8) {
    Chunk c;
    c.id = r.U32();
    const std::uint32_t size = r.U32();
    const std::size_t n = std::min<std::size_t>(size, r.Remaining());
    c.body = r.Bytes(n);
    if (!visit(c) || n < size) return;
    if ((size & 1) != 0 && r.Remaining() > 0) r.Skip(1);
  }
}

// The body of a LIST of `type`, past its type; empty for anything else.
std::span<const std::uint8_t> ListBody(const Chunk& c, std::uint32_t type) {
  std::uint32_t listType = 0;
  if (c.id != Fourcc("LIST") || !ByteReader(c.body).ReadAt(0, listType) || listType != type) return {};
  return c.body.subspan(4);
}

}  // namespace

std::vector<AviStreamTiming> ReadAviStreamTimings(std::span<const std::uint8_t> bytes) {
  std::vector<AviStreamTiming> out;
  ByteReader file(bytes);
  if (file.U32() != Fourcc("RIFF")) return out;
  const std::uint32_t size = file.U32();
  if (file.U32() != Fourcc("AVI ") || !file.Ok() || size < 4) return out;
  const auto riff = bytes.subspan(12, std::min<std::size_t>(size - 4, bytes.size() - 12));
  ForEachChunk(riff, [&](const Chunk& top) {
    const auto hdrl = ListBody(top, Fourcc("hdrl"));
    if (hdrl.empty()) return true;
    ForEachChunk(hdrl, [&](const Chunk& c) {
      const auto strl = ListBody(c, Fourcc("strl"));
      if (strl.empty()) return true;
      AviStreamTiming t;
      ForEachChunk(strl, [&](const Chunk& h) {
        if (h.id != Fourcc("strh")) return true;
        const ByteReader header(h.body);
        std::uint32_t scale = 0, rate = 0;
        if (header.ReadAt(kScaleAt, scale) && header.ReadAt(kRateAt, rate)) t = {scale, rate};
        return false;
      });
      out.push_back(t);
      return out.size() < kMaxStreams;
    });
    return false;
  });
  return out;
}

}  // namespace plat::video_impl
