#pragma once
// Ray queries and picking: what a ray from a point meets first among a scene's
// instances (as bounding spheres, oriented boxes or billboard quads), and the
// pick through a pixel of the renderer's last frame. Every instance query
// rebuilds one process-wide hit list sorted by distance, owned by the library
// and kept until the next query; read it with SGCollideGetHits. Main thread only.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGRenderer;
struct SGScene;

// Query mode bits.
constexpr std::uint32_t SG_COLLIDE_SPHERES = 0x2;  // instances as bounding spheres only
constexpr std::uint32_t SG_COLLIDE_TERRAIN_BOXES = 0x4;
constexpr std::uint32_t SG_COLLIDE_NO_TERRAIN = 0x8;
constexpr std::uint32_t SG_COLLIDE_PICK_MODE = 0x29;  // the game's picking mode: instances only, full tests

struct SGCollideHit {
  SGInstance* hitInstance;
  float hitU;  // position on a billboard quad, 0 for other tests
  float hitV;
  float hitDist;  // world units from the ray's origin
  SGCollideHit* hitNext;
  SGCollideHit* hitBack;
};

extern SGCollideHit* g_sgCollideHits;

// A ray from the camera's eye through the pixel of the renderer's frame.
// SG_HIT_INSTANCE with the nearest instance and the world hit point in `point`
// (the eye when nothing is hit); 0 when nothing lies within 10000 units, and at
// once when the renderer has no frame buffer or camera or the pixel lies
// outside the frame buffer; 1 when the hit list cannot be made.
SGError SGCollidePickScreen(SGRenderer* rend, SGScene* scene, const std::uint32_t pixel[2], std::uint32_t mode,
                            SGInstance** out, double point[3]);
// The nearest hit within `maximum`: SG_HIT_INSTANCE with the instance and its
// distance, 0, or 1. The terrain is not tested (scenes carry none here).
SGError ISGCollideRay(SGScene* scene, const double origin[3], const float direction[3], float maximum,
                      std::uint32_t mode, SGInstance** out, float* distance);
SGError ISGCollideInstances(SGScene* scene, const double origin[3], const float direction[3], float maximum,
                            std::uint32_t mode, SGInstance** out, float* distance);
// One instance: SG_HIT_INSTANCE with distance and billboard (u, v), or 0.
SGError ISGCollideInstance(SGInstance* inst, const double origin[3], const float direction[3], float maximum,
                           std::uint32_t mode, float* distance, float uv[2]);
// The segment, clipped in place to the box; 1 when some part of it lies inside.
int ISGClipSegmentToBox(float start[3], float end[3], float xmin, float xmax, float ymin, float ymax, float zmin,
                        float zmax);
// The offset from the instance to the origin, taken to the nearest repetition of the world.
void ISGInstanceWrapOffset(const SGInstance* inst, const double origin[3], const float* direction, float radius,
                           float out[3]);
// Copies up to `count` hits in list order into the arrays given (u and v as two
// words per hit) and fills the rest of the count with zeros. 0.
SGError SGCollideGetHits(SGInstance** instances, float* distances, float* pairs, std::uint32_t count);
// Frees the hit list.
void SGCollideFreeHits();

// The texel of a billboard instance's current image under a hit's (u, v), as
// the instance is drawn from its last eye point: 0 with the texel index;
// SG_ERROR_INST_TYPE for an instance that is not a billboard model;
// SG_ERROR_UNSUPPORTED when the image has no texture. Texel 0 is transparent.
SGError SGCollideBillboardTexel(const SGInstance* inst, float u, float v, std::uint8_t* texel);
