#pragma once
// Models: a header, levels of detail (LODs), and per LOD a geometry tree of
// typed nodes. In memory a model is native records, either in separate
// allocations (modPackedSize 0) or packed into one allocation (modPackedSize =
// the size of its stored block). The stored form is the packed block: the
// same records at 32-bit little-endian widths with every pointer replaced by a
// byte offset from the block's start (0: null), in one fixed order. Vertex,
// normal and UV arrays may be shared (by several sub-transforms, also across
// LODs); every operation treats one array once. Nothing else is shared.

#include <cstdint>

#include "sg/core/point.h"
#include "sg/core/sgerror.h"

struct SGDataPath;

// Geometry node types (gdType).
constexpr std::uint32_t SG_GD_TYPE_BSP = 0;
constexpr std::uint32_t SG_GD_TYPE_FACES = 1;
constexpr std::uint32_t SG_GD_TYPE_BILLBOARD = 2;
constexpr std::uint32_t SG_GD_TYPE_WORD = 3;
constexpr std::uint32_t SG_GD_TYPE_XFORM = 4;
constexpr std::uint32_t SG_GD_TYPE_XFORM_END = 5;
constexpr std::uint32_t SG_GD_TYPE_POINTS = 6;
constexpr std::uint32_t SG_GD_TYPE_LINES = 7;
constexpr std::uint32_t SG_GD_TYPE_HARDPOINT = 8;

constexpr std::uint32_t SG_UV_NONE = 0xFFFFFFFF;  // a face corner without texture coordinates
constexpr std::uint32_t SG_FCL_FLAG_PRUNE = 4;    // face list removed by ISGGeoPrune
constexpr float SG_HARDPOINT_TOLERANCE = 0.01f;

struct SGTexCoord {
  float u;
  float v;
};

// One record of the model's transform table; stored and copied, never read.
struct SGModelXform {
  std::uint8_t bytes[64];
};

struct SGModelSubTransform {
  std::uint32_t mstXformIndex;  // transform slot of the instance that places these vertices
  std::uint32_t mstNumVerts;
  SGPoint3s* mstVerts;
  std::uint32_t mstNumNormals;
  SGPoint3s* mstNormals;
  std::uint32_t mstNumUVs;
  SGTexCoord* mstUVs;
  SGModelSubTransform* mstParent;  // set while the tree is walked
};

struct SGGeoNode {
  std::uint32_t gdType;
  void* gdData;  // the type's record; null for SG_GD_TYPE_XFORM_END
  SGGeoNode* gdNext;
};

struct SGGeoSplit {
  float gspNormal[3];
  float gspDist;  // front side: normal . p + dist >= 0
  SGGeoNode* gspFront;
  SGGeoNode* gspBack;
};

struct SGFace {
  std::uint32_t facVertIndex[3];
  std::uint32_t facNormalIndex[3];
  std::uint32_t facUVIndex[3];  // SG_UV_NONE: no texture coordinates
  float facNormal[3];
  float facDist;
  std::uint32_t facMatIndex;
};

struct SGFaceList {
  std::uint32_t fclFlags;
  std::uint32_t fclNumFaces;
  SGFace* fclFaces;
  float fclMin[3];
  float fclMax[3];
  float fclRadius;
  float fclCentre[3];
};

struct SGBillboard {
  float bilPoint[3];
  float bilCentre[3];
  float bilMin[3];
  float bilMax[3];
  float bilRadius;
  float bilHalfHeight;
  float bilHalfWidth;
  std::uint32_t bilNumAzimuth;
  std::uint32_t bilNumPolar;
  std::uint32_t* bilMatIndex;  // bilNumPolar rows of bilNumAzimuth material indices
  std::uint32_t bilMirrorMask;
};

struct SGPointList {
  std::uint32_t ptlNumPoints;
  std::uint32_t* ptlVertIndex;
  std::uint32_t* ptlNormalIndex;  // null: full intensity
  std::uint32_t* ptlUVs;          // null: none
  std::uint32_t ptlMatIndex;
};

struct SGLineList {
  std::uint32_t linNumLines;
  std::uint32_t* linVertIndex;  // two per line
  std::uint32_t linMatIndex;
};

struct SGGeoHardPoint {
  std::uint32_t ghpId;
  float ghpPos[3];
};

struct SGModelLod {
  std::uint32_t mdlReserved;
  float mdlDistance;
  SGModelSubTransform mdlRoot;
  float mdlMin[3];
  float mdlMax[3];
  float mdlRadius;
  float mdlCentre[3];
  SGGeoNode* mdlData;
};

struct SGModel {
  std::uint32_t modPackedSize;
  std::uint32_t modNumLods;
  SGModelLod* modLods;  // ascending by mdlDistance
  std::uint32_t modNumXforms;
  SGModelXform* modXforms;
  float modRadius;
  float modMin[3];
  float modMax[3];
  float modCentre[3];
};

// Packing, relocation and copying.

// Size in bytes of the model's stored block; 0 when out of memory.
std::uint32_t SGModelPackedSize(const SGModel* model);
// The model packed into one allocation (null when out of memory); modPackedSize
// is its block size. The source is not changed.
SGModel* SGModelPack(const SGModel* model);
// Makes a model from a stored block of `size` bytes, checking every count,
// offset and index first: SG_ERROR_MODEL_FORMAT for a block that is not exactly
// the block of a model (in the order the packer writes), 1 when out of memory.
// The result is packed and belongs to the caller.
SGError SGModelRelocate(const std::uint8_t* block, std::uint32_t size, SGModel** out);
// Writes the model's stored block into `out`, which holds `size` =
// SGModelPackedSize(model) bytes. The model is not changed.
SGError SGModelUnrelocate(const SGModel* model, std::uint8_t* out, std::uint32_t size);
// A deep copy in separate allocations, or null (nothing left allocated).
SGModel* SGModelCopy(const SGModel* model);
// Reverses the bytes of every 32-bit word below `bytes`.
void SGSwapWords(void* buffer, std::uint32_t bytes);

// Building.

SGModel* SGModelCreate();
// Index of the LOD for `distance`, added in distance order when new; when it
// cannot be added, min(index, modNumLods - 1) (on an empty model 0xFFFFFFFF).
std::uint32_t SGModelAddLod(SGModel* model, float distance);
void ISGModelLodInit(SGModelLod* lod);
SGModelSubTransform* ISGSubTransformCreate(std::uint32_t xformIndex);
// Index of a new element, the array growing by 32 elements at a time;
// 0xFFFFFFFF when it cannot grow (the count is unchanged).
std::uint32_t ISGSubTransformAddVertex(SGModelSubTransform* mst);
std::uint32_t ISGSubTransformAddNormal(SGModelSubTransform* mst);
std::uint32_t ISGSubTransformAddUV(SGModelSubTransform* mst);
SGError ISGSubTransformReserve(SGModelSubTransform* mst);
SGError ISGSubTransformTrim(SGModelSubTransform* mst);
SGFaceList* ISGFaceListCreate();
SGBillboard* ISGBillboardCreate();
SGGeoNode* ISGGeoNodeCreate(std::uint32_t type, void* data);
SGError ISGGeoAppendFaces(SGModelLod* lod, SGFaceList* faces);
SGError ISGGeoPrepend(SGModelLod* lod, SGGeoNode* node);
SGGeoNode* ISGGeoChainAppend(SGGeoNode* chain, SGGeoNode* node);
SGGeoNode* ISGGeoAddToTree(SGGeoNode* tree, SGGeoNode* node, const float point[3]);
// Inserts a hard point into LOD 0's tree and returns the model to use from now
// on: a packed model is copied first and the copy changed. Null when out of
// memory, the given model then unchanged.
SGModel* SGModelAddHardPoint(SGModel* model, const float point[3], std::uint32_t id);
SGGeoNode* ISGGeoPrune(SGGeoNode* chain);

// Hard points.

std::uint32_t SGModelCountHardPoints(const SGModel* model);
// ghpId of the hard point within SG_HARDPOINT_TOLERANCE of `point` on each axis,
// or 0xFFFFFFFF.
std::uint32_t SGModelFindHardPoint(const SGModel* model, const float point[3]);

// Geometry.

// 1 with the face's plane set, 0 for a degenerate face (left unchanged).
int ISGFaceComputePlane(const SGPoint3s* verts, SGFace* face);
void ISGFaceListUpdate(const SGPoint3s* verts, SGFaceList* fcl);
void ISGModelLodBounds(SGModelLod* lod);
float ISGModelRadius(SGModel* model, const float centre[3]);
SGError SGModelComputeBounds(SGModel* model);
SGError SGModelTranslate(SGModel* model, const float offset[3]);
SGError SGModelScale(SGModel* model, float factor);
SGError SGModelScaleAxis(SGModel* model, std::uint32_t axis, float factor);
using SGModelNodeFn = void (*)(SGModel* model, std::uintptr_t user, std::uint32_t distanceBits, SGGeoNode* node);
SGError SGModelForEachNode(SGModel* model, SGModelNodeFn fn, std::uintptr_t user);

// Freeing and files.

SGError SGModelFree(SGModel* model);
void ISGModelDestroy(SGModel* model);
// Reads a model file (a size word, then the block) through the data path.
SGError SGModelRead(const SGDataPath* dp, const char* name, SGModel** out);
SGError SGModelWrite(const SGDataPath* dp, const char* name, const SGModel* model);
