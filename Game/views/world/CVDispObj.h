#pragma once
// A display object: one game object shown in a 3D view. It owns one instance
// of the 3D library with its model and up to eight materials, hangs its
// DisplayKey on the instance (so a picked instance leads back to the game
// object), and keeps a list of attached children (halos, explosions, lines).
// Models, materials, textures and palettes come out of the ".nob" archive
// through the name index 202; materials are shared by all objects through a
// cache of at most 80 entries. Game thread only.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Game/views/world/DispData.h"

class CVSgWorld;
struct SGInstance;
struct SGMaterial;
struct SGModel;

// Display kinds (GetType).
enum DispKind : std::uint16_t {
  DISP_ASTEROID = 0,
  DISP_STAR = 1,
  DISP_UNIT = 2,
  DISP_EXPLOSION = 4,
  DISP_PICKABLE_5 = 5,  // accepted by picking; no class here makes it
  DISP_HALO = 6,
  DISP_SELECTION_HALO = 7,
  DISP_GRID = 8,
  DISP_MODEL = 9,
  DISP_LINE = 11,
  DISP_ASTEROID_3D = 16,
};

struct DisplayKey {
  std::uint32_t id = 0;
  std::uint16_t kind = 0;
  std::uint32_t pickId = 0;
  std::uint16_t pickKind = 0;
};

struct CVDispNode;

class CVDispObj {
 public:
  static constexpr int kMaxMaterials = 8;
  static constexpr std::size_t kCacheSize = 80;

  CVDispObj(const DisplayKey& key, CVSgWorld* world, CVDispObj* owner, std::uint32_t extra);
  virtual ~CVDispObj();
  CVDispObj(const CVDispObj&) = delete;
  CVDispObj& operator=(const CVDispObj&) = delete;

  virtual std::uint16_t GetType() const = 0;
  // Stores the key and hangs its address on the instance.
  virtual void SetKey(const DisplayKey& key);
  virtual DisplayKey* GetKey(DisplayKey* out);
  // One animation step; non-zero while the object changed.
  virtual std::uint32_t Update(std::uint32_t flag);
  virtual void UpdateMaterials(std::uint32_t owner);
  virtual std::uint32_t FaceParts(std::uint32_t code);
  virtual std::uint32_t BuildGrid(const double point[3]);
  virtual void SetGridFrame();
  virtual float GetScale() const;
  // Rewrites a material name read from a list before it is loaded.
  virtual void AdjustMaterialName(std::string& name);

  // Loading; 1 on success, 0 on failure (traced), the object then without it.
  std::uint32_t LoadModel(const char* name);
  // Billboard sizes 0 (galaxy) to 4 (small); above 4 refused.
  std::uint32_t LoadBillboard(std::uint32_t size);
  std::uint32_t LoadModelAndMaterials(const char* modelName, const char* path);
  std::uint32_t LoadMaterialList(const char* path, const char* listName);
  std::uint32_t LoadMaterial(const char* name, const char* path, std::uint32_t mirrored);
  // "<base><n + 1, two digits>.mat", its type forced to 7.
  std::uint32_t LoadNumberedMaterial(const char* base, const char* path, std::uint32_t n);
  void ReleaseMaterials();
  void DestroyInstance();

  // The tree of attached objects.
  void AddChild(CVDispObj* child);
  std::uint32_t RemoveChild(CVDispObj* child);
  // AddChild through a node its caller keeps (no heap call). UnlinkChild
  // takes such a node out of the list again; it destroys neither the node nor
  // its child, and must come before the child or node goes.
  void LinkChild(CVDispNode* node);
  void UnlinkChild(CVDispNode* node);
  CVDispNode* GetChildren() const { return children; }
  std::uint32_t HasHalo() const;
  void RemoveHalo(std::uint32_t id);
  std::uint32_t UpdateExplosionChildren(std::uint32_t flag);
  void PlaceExplosionChildren();

  // Placement.
  void GetPosition(double out[3]);
  void SetPosition(const double p[3]);
  void SetPositionF(const float p[3]);
  void ApplyPendingTransform();
  void FaceCamera(float roll, std::uint32_t keepUp);
  void Spin(std::uint32_t keepUp) { FaceCamera(rollAngle, keepUp); }
  void FaceObject(CVDispObj* other);
  void PlaceInFrontOf(CVDispObj* child);
  void GetDirectionFrom(const double point[3], float out[3]);
  // The largest half extent of the instance's bounds.
  double GetExtent();

  void SetVisible(std::uint32_t visible, std::uint32_t asChild);
  void SetPickable(std::uint32_t flag);
  std::uint32_t UpdateTree(std::uint32_t animate, std::uint32_t flag);

  // The object's place in the 585 x 367 view; x = 32767 behind the camera.
  void GetScreenPosition(int* x, int* y);
  // The row (0 above .. 4 below) and sector (0 .. 7 around) the camera sees the
  // object from; forward and up null take the instance's own.
  void GetViewSector(int* row, int* sector, const float* forward, const float* up);

  static std::uint16_t GetPickKind(const SGInstance* instance);
  static std::uint32_t GetPickId(const SGInstance* instance);

  // The index and the material cache, shared by every object.
  static const ModelIndexTable& IndexTable();
  // Replaces the index (tests, and a program without its resource 202).
  static void SetIndexTable(std::span<const std::uint8_t> bytes);
  static std::size_t CacheCount();
  static SGMaterial* CacheFind(std::string_view name);
  // Adds a material under `name`: with `owned` the cache alone holds it (use
  // count 0), else the caller is its first user (use count 1). At kCacheSize
  // entries the oldest is dropped; a dropped material still in use lives on
  // until its last user releases it. 0 for a material without its info.
  static std::uint32_t CacheAdd(SGMaterial* material, const std::string& name, std::uint32_t owned);
  static void CacheRelease(SGMaterial* material);
  static const std::string& CacheName(std::size_t index);
  static std::uint32_t LiveObjects();
  // A material file by name through the index and archive: 0, 1, 1793.
  static std::uint32_t LoadMaterialResource(const char* directory, const char* name, SGMaterial** out);
  static std::uint32_t LoadTextureResource(const char* directory, const char* name, SGTextureMap** out);

  CVDispObj* owner = nullptr;
  CVDispNode* children = nullptr;
  SGInstance* instance = nullptr;
  SGModel* model = nullptr;
  float rollAngle = 0.f;
  std::uint32_t kindWords[3] = {0, 0, 0};
  std::uint32_t visible = 1;
  std::uint32_t spare = 0;
  DisplayKey key;
  std::uint32_t positionDirty = 0;
  std::uint32_t orientationDirty = 0;
  SGMaterial* materials[kMaxMaterials] = {};
  std::uint32_t materialCount = 0;

 protected:
  // Replaces the materials by this one as a one-entry override list.
  void UseSingleMaterial(SGMaterial* material);
  void HandMaterialsToInstance();
};

struct CVDispNode {
  CVDispObj* object;
  CVDispNode* next;
};

// The world whose context, data path, current scene and redraw flag the
// objects use; set by every object's constructor.
extern CVSgWorld* g_dispWorld;
// The views' frames per second (10.0 at the start); motion per step divides by it.
extern double g_frameRate;
// Whether units are drawn from the picture for their direction (the player's option).
extern std::uint32_t g_unitViewAngles;
// Asked by every animation step: while it answers true (the info panel covers
// the 3D view) nothing animates. Installed by the view framework; none: false.
extern bool (*g_dispAnimationPaused)();

// Scales to length 1 unless the squared length is 0 or already about 1.
void DispNormalise(float v[3]);
// a x b.
void DispCross(const float a[3], const float b[3], float out[3]);
