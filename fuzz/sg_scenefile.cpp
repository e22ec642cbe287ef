// The scene description file reader. The input is the file; it may name the
// colour table "p.pal", which holds four colours.

#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/scene/scene.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) {
    return 0;
  }
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  static const std::vector<std::uint8_t> palette = {3, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
  scratch.Write("p.pal", palette);
  scratch.Write("s.con", {data, size});
  static SGContext* ctx = [] {
    SGContext* c = nullptr;
    SGContextCreate(&c);
    return c;
  }();
  SGDataPath* dp = nullptr;
  SGScene* scene = nullptr;
  if (ctx == nullptr || SGDataPathCreate(ctx, "Q:\\", 0, &dp) != SG_ERROR_NONE ||
      SGSceneCreate(ctx, &scene) != SG_ERROR_NONE) {
    if (dp != nullptr) {
      SGDataPathDestroy(dp);
    }
    return 0;
  }
  SGSceneLoad(scene, dp, "s.con");
  SGSceneDestroy(scene);
  SGDataPathDestroy(dp);
  return 0;
}
