// A linear congruential sequence per scene, with the spread of the C
// library's rand(), so that effects tuned against it look the same.

#include "sg/scene/scenerandom.h"

#include "sg/scene/scene.h"

SGError SGSceneSetRandomSeed(SGScene* scene, std::uint32_t seed) {
  scene->scnRandom = seed;
  return SG_ERROR_NONE;
}

std::uint32_t ISGSceneRandom(SGScene* scene) {
  scene->scnRandom = scene->scnRandom * 214013u + 2531011u;
  return (scene->scnRandom >> 16) & SG_SCENE_RANDOM_MAX;
}
