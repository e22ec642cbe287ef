#pragma once
// Collision between the instances of a scene's collision list and against its
// terrain, and the cone query over its line-of-sight list. Instances take part
// as bounding spheres (a model instance's sphere is its model's, centred where
// the model puts it) that may move by instMotion over one time step; times are
// fractions of that step. Drawing thread only; nothing here locks.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGScene;

// Query mode bits.
constexpr std::uint32_t SG_COLLIDE_MOTION = 0x1;      // test over the motion, not only where they stand
constexpr std::uint32_t SG_CONE_SKIP_CULLED = 0x10;   // skip instances culled in the last frame
constexpr std::uint32_t SG_CONE_NO_NARROWING = 0x20;  // keep the cone's angle after a find
// SG_COLLIDE_NO_TERRAIN (sg/query/raypick.h) leaves the terrain out of both.

// A contact: b is null for the terrain; time 0 for a present contact.
using SGCollideFn = void (*)(std::uintptr_t arg, SGInstance* a, SGInstance* b, float time);

// Reports every contact within `limit` (a limit of 0 or less: present
// contacts only). A pair is tested when either's collision mask names the
// other's group and reported once, led by an instance whose mask names the
// other's group. 0.
SGError SGSceneCollide(SGScene* scene, SGCollideFn fn, std::uintptr_t arg, std::uint32_t mode, float limit);
// 1 when the two spheres touch now (entry 0) or, with SG_COLLIDE_MOTION, will
// touch while moving (entry and exit times of the contact), else 0.
std::uint32_t ISGCollidePair(SGInstance* a, SGInstance* b, std::uint32_t mode, float* entry, float* exit);
// SG_COLLIDE_TERRAIN with the time when the instance meets the ground within the
// limit (0 when it is in it already), else 0. A scene without terrain answers 0.
SGError ISGCollideInstanceTerrain(SGScene* scene, SGInstance* inst, std::uint32_t mode, float limit, float* time);
// SG_HIT_INSTANCE with an instance of the line-of-sight list whose sphere lies
// within `range` of the origin and inside the cone of half-angle `degrees`
// about the direction, ahead of the origin; with several, the last found in
// list order, which is the nearest the axis since each find narrows the cone
// to it (unless SG_CONE_NO_NARROWING). Unless SG_COLLIDE_NO_TERRAIN, one hidden behind the
// terrain is passed over. 0 when none (out untouched).
SGError SGSceneFindInCone(SGScene* scene, const double origin[3], const float direction[3], float range, float degrees,
                          std::uint32_t mode, SGInstance** out);
