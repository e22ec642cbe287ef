#pragma once
// The random numbers of a scene's effects (the flicker of fog inside clouds
// and plumes). Each scene keeps its own sequence, so a frame drawn after the
// same seed comes out the same whatever else the process draws. Drawing thread only.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGScene;

constexpr std::uint32_t SG_SCENE_RANDOM_MAX = 32767;

// Restarts the scene's sequence; a new scene starts as if seeded with 1. 0.
SGError SGSceneSetRandomSeed(SGScene* scene, std::uint32_t seed);
// The next number of the scene's sequence, 0 to SG_SCENE_RANDOM_MAX.
std::uint32_t ISGSceneRandom(SGScene* scene);
