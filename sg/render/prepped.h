#pragma once
// Instances prepared ahead (SG_ATTR_PREPPED): their data is a list of
// triangles of transformed vertices from the renderer's frame pool, already
// eye-relative, made by whoever registered the instance for the frame (the
// plumes). Drawing thread only, inside a frame.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGMaterial;
struct SGRenderer;
struct SGScene;
struct SGTxVertex;

constexpr std::uint32_t SG_PREP_MAX_TRIS = 6;

// The instData block of a prepared instance. The vertex-pointer array (three
// per triangle, room for SG_PREP_MAX_TRIS) belongs to the block; the vertices
// and the material do not.
struct SGPrepTris {
  std::uint32_t ptrNumTris;
  SGTxVertex** ptrVerts;
  SGMaterial* ptrMaterial;
};

// Draws the triangles of a prepared instance that is not culled: vertices not
// yet transformed this frame are transformed first; a triangle wholly outside
// one clip plane is dropped, one that crosses a plane is clipped. 0 or the
// first failing stage's status.
SGError ISGInstanceDrawPrepped(SGRenderer* rend, SGScene* scene, SGInstance* inst);
