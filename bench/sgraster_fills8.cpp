// Pixel rates of the 8-bpp triangle fills for large triangles (20 000 to
// 60 000 pixels), medium ones (40 to 60) and small ones (8 to 12), each beside
// memset of the same pixel counts in the same run: x_memset is the fill's
// rate over memset's rate (one memset per triangle).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "bench/sgraster_scene.h"
#include "sg/raster/fill8.h"

namespace {

struct Tables {
  std::vector<uint8_t> texels = std::vector<uint8_t>(128 * 128);
  std::vector<uint8_t> shade = std::vector<uint8_t>(16 * 256);
  uint8_t ink = 0x5A;

  Tables() {
    std::mt19937 random(9);
    for (uint8_t& t : texels) t = random() % 8 == 0 ? 0 : static_cast<uint8_t>(random());
    for (uint8_t& s : shade) s = static_cast<uint8_t>(random());
  }
};

const Tables& Tab() {
  static const Tables tables;
  return tables;
}

const Scene& GetScene(int size) {
  static const Scene scenes[kSceneSizes] = {MakeScene<uint8_t>(kSmall, ISGFill8Flat, 15),
                                            MakeScene<uint8_t>(kLarge, ISGFill8Flat, 15),
                                            MakeScene<uint8_t>(kMedium, ISGFill8Flat, 15)};
  return scenes[size];
}

void BM_Fill8(benchmark::State& state, ISGTriFill fill, int size) {
  const Scene& scene = GetScene(size);
  const Tables& tables = Tab();
  // The ramp fills read the first 16 entries of the shade table as their ramp.
  RunFillScene(state, scene, fill, &SceneFrame<uint8_t>().frame, tables.texels.data(), tables.shade.data(), &tables.ink,
               {{"x_memset", [&] { MemsetScene<uint8_t>(scene); }}});
}

}  // namespace

#define FILLS8(size, kind)                                                                                           \
  BENCHMARK_CAPTURE(BM_Fill8, flat_##size, ISGFill8Flat, kind)->UseManualTime();                                     \
  BENCHMARK_CAPTURE(BM_Fill8, ramp_##size, ISGFill8Shaded, kind)->UseManualTime();                                   \
  BENCHMARK_CAPTURE(BM_Fill8, ramp_transparent_##size, ISGFill8ShadedTransparent, kind)->UseManualTime();            \
  BENCHMARK_CAPTURE(BM_Fill8, texture_##size, ISGFill8Texture128x128, kind)->UseManualTime();                        \
  BENCHMARK_CAPTURE(BM_Fill8, shaded_texture_##size, ISGFill8ShadedTexture128x128, kind)->UseManualTime();           \
  BENCHMARK_CAPTURE(BM_Fill8, transparent_texture_##size, ISGFill8TransparentTexture128x128, kind)->UseManualTime(); \
  BENCHMARK_CAPTURE(BM_Fill8, shaded_transparent_texture_##size, ISGFill8ShadedTransparentTexture128x128, kind)      \
      ->UseManualTime();                                                                                             \
  BENCHMARK_CAPTURE(BM_Fill8, dithered_texture_##size, ISGFill8DitheredTexture128x128, kind)->UseManualTime()

FILLS8(large, kLarge);
FILLS8(medium, kMedium);
FILLS8(small, kSmall);
