// The Direct3D role's rasteriser: any vertices (not finite, huge, any depth or
// 1/w), any render states and any clip rectangle inside the target write no
// pixel and no depth outside that rectangle, and nothing outside the buffers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d/d3draster.h"

namespace {

constexpr plat::DWORD kWidth = 37, kHeight = 23, kPitch = 2 * kWidth + 6;

// Reads the input front to back; past its end every value is 0.
struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::uint32_t U32() {
    std::uint8_t b[4] = {};
    const std::size_t n = size < 4 ? size : 4;
    std::memcpy(b, data, n);
    data += n;
    size -= n;
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  float F32() {
    const std::uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  std::uint8_t U8() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plat;
  Input in{data, size};
  std::vector<BYTE> pixels(static_cast<std::size_t>(kPitch) * kHeight, 0xA5);
  std::vector<float> depth(static_cast<std::size_t>(kWidth) * kHeight, 0.5f);
  d3d_impl::RasterTarget tg;
  tg.bits = pixels.data();
  tg.pitch = static_cast<LONG>(kPitch);
  tg.width = kWidth;
  tg.height = kHeight;
  tg.is555 = (in.U8() & 1) != 0;
  tg.depth = depth.data();
  const LONG left = in.U8() % kWidth, top = in.U8() % kHeight;
  tg.clip = RECT{left, top, left + 1 + static_cast<LONG>(in.U8() % (kWidth - left)),
                 top + 1 + static_cast<LONG>(in.U8() % (kHeight - top))};

  std::vector<BYTE> texels(8 * 16);
  for (BYTE& t : texels) t = in.U8();
  d3d_impl::RasterTexture tex;
  tex.bits = texels.data();
  tex.pitch = 16;
  tex.width = 1 + in.U8() % 8;
  tex.height = 1 + in.U8() % 8;
  tex.hasKey = true;
  tex.key = static_cast<WORD>(in.U32());

  d3d_impl::RasterState st;
  st.shade = in.U8() % 4;
  st.fill = in.U8() % 5;
  st.cull = in.U8() % 5;
  const std::uint32_t flags = in.U32();
  st.perspective = flags & 1;
  st.linear = flags & 2;
  st.clampUV = flags & 4;
  st.alphaBlend = flags & 8;
  st.zEnable = flags & 16;
  st.zWrite = flags & 32;
  st.fog = flags & 64;
  st.specular = flags & 128;
  st.colourKey = flags & 256;
  st.texture = (flags & 512) ? &tex : nullptr;
  st.mapBlend = in.U8() % 6;
  st.srcBlend = in.U8() % 12;
  st.destBlend = in.U8() % 12;
  st.zFunc = in.U8() % 10;
  st.fogColour = in.U32();

  const std::vector<BYTE> before = pixels;
  const std::vector<float> depthBefore = depth;
  while (in.size > 0) {
    D3DTLVERTEX v[3];
    for (D3DTLVERTEX& p : v) {
      p = D3DTLVERTEX{in.F32(), in.F32(), in.F32(), in.F32(), in.U32(), in.U32(), in.F32(), in.F32()};
    }
    d3d_impl::DrawTriangle(tg, st, v[0], v[1], v[2]);
  }
  for (DWORD y = 0; y < kHeight; ++y) {
    for (DWORD x = 0; x < kPitch; ++x) {
      const bool inside = static_cast<LONG>(x / 2) >= tg.clip.left && static_cast<LONG>(x / 2) < tg.clip.right &&
                          static_cast<LONG>(y) >= tg.clip.top && static_cast<LONG>(y) < tg.clip.bottom;
      const std::size_t i = static_cast<std::size_t>(y) * kPitch + x;
      if (!inside && pixels[i] != before[i]) __builtin_trap();
      if (x < kWidth && !(static_cast<LONG>(x) >= tg.clip.left && static_cast<LONG>(x) < tg.clip.right &&
                          static_cast<LONG>(y) >= tg.clip.top && static_cast<LONG>(y) < tg.clip.bottom)) {
        const std::size_t d = static_cast<std::size_t>(y) * kWidth + x;
        if (std::memcmp(&depth[d], &depthBefore[d], sizeof(float)) != 0) __builtin_trap();
      }
    }
  }
  return 0;
}
