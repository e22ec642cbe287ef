#include "Game/views/world/CVDispObj.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GVector.h"
#include "Game/views/world/CVSgWorld.h"
#include "media/ResourceArchive.h"
#include "platform/resource/module.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/scene/scene.h"

CVSgWorld* g_dispWorld = nullptr;
double g_frameRate = 10.0;
std::uint32_t g_unitViewAngles = 1;
bool (*g_dispAnimationPaused)() = nullptr;

namespace {

struct CacheEntry {
  std::string name;
  std::uint16_t checkSum = 0;
  SGMaterial* material = nullptr;
  std::uint16_t useCount = 0;
};

std::uint32_t g_liveObjects = 0;
ModelIndexTable g_modelIndexTable;
bool g_indexLoaded = false;
std::vector<CacheEntry>* g_materialCache = nullptr;
// Entries dropped from the cache while objects still used their material:
// found no more, destroyed when their last user lets them go.
std::vector<CacheEntry>* g_droppedMaterials = nullptr;

const char* const kBillboards[5] = {"BBGalaxy.mdl", "BBHuge.mdl", "BBLarge.mdl", "BBMedium.mdl", "BBSmall.mdl"};

// The sum of the name's characters as signed bytes over the last 12 before the
// 4-character extension (all of them in a shorter name).
std::uint16_t CheckSum(std::string_view name) {
  const std::size_t stem = name.size() >= 4 ? name.size() - 4 : 0;
  const std::size_t first = stem >= 15 ? stem - 12 : 0;
  int sum = 0;
  for (std::size_t i = first; i < stem; ++i) sum += static_cast<signed char>(name[i]);
  return static_cast<std::uint16_t>(sum);
}

void LoadIndexOnce() {
  if (g_indexLoaded) return;
  g_indexLoaded = true;
  plat::HMODULE module = plat::GetModuleHandle(nullptr);
  plat::HRSRC found = plat::FindResource(module, 202, "INDEXTABLE");
  if (!found) {
    TraceError("CVDispObj - no index table 202", __FILE__, __LINE__);
    return;
  }
  const plat::BYTE* bytes = plat::LockResource(plat::LoadResource(module, found));
  if (!bytes || !g_modelIndexTable.Assign({bytes, plat::SizeofResource(module, found)}))
    TraceError("CVDispObj - index table 202 refused", __FILE__, __LINE__);
}

const char* DataDir() {
  return g_dispWorld && g_dispWorld->dataPath && g_dispWorld->dataPath->dpDir ? g_dispWorld->dataPath->dpDir : "";
}

SGContext* Context() { return g_dispWorld ? g_dispWorld->context : nullptr; }

// The archive's bytes of a name in one directory, for the readers.
class ArchiveResources : public DispResources {
 public:
  explicit ArchiveResources(const char* directory) : DispResources(Context()), directory_(directory) {}
  std::span<const std::uint8_t> Fetch(const std::string& name) const override {
    const std::uint32_t id = g_modelIndexTable.Lookup(directory_, name.c_str());
    if (id == 0) return {};
    std::uint8_t* data = ResourceGet(id);
    if (!data) return {};
    return {data, ResourceSize(id)};
  }
  void Release(std::span<const std::uint8_t> bytes) const override { ResourceRelease(bytes.data()); }

 private:
  const char* directory_;
};

void ReleaseTextureRef(SGMaterial* m) {
  if (m && m->matTexMap && m->matTexMap->txmRefCnt > 1) --m->matTexMap->txmRefCnt;
}

}  // namespace

void DispNormalise(float v[3]) {
  const float sq = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
  if (sq == 0.f || (sq >= 0.9999f && sq <= 1.0001f)) return;
  const float k = 1.f / std::sqrt(sq);
  for (int i = 0; i < 3; ++i) v[i] *= k;
}

void DispCross(const float a[3], const float b[3], float out[3]) {
  const float x = a[1] * b[2] - a[2] * b[1];
  const float y = a[2] * b[0] - a[0] * b[2];
  const float z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

CVDispObj::CVDispObj(const DisplayKey& k, CVSgWorld* world, CVDispObj* ownerObject, std::uint32_t /*extra*/)
    : owner(ownerObject), key(k) {
  g_dispWorld = world;
  ++g_liveObjects;
  if (!g_materialCache) {
    g_materialCache = new std::vector<CacheEntry>();
    g_materialCache->reserve(kCacheSize);
    g_droppedMaterials = new std::vector<CacheEntry>();
  }
  LoadIndexOnce();
}

CVDispObj::~CVDispObj() {
  while (children) {
    CVDispNode* node = children;
    children = node->next;
    delete node->object;
    delete node;
  }
  DestroyInstance();
  if (--g_liveObjects == 0 && g_materialCache) {
    for (CacheEntry& e : *g_materialCache) SGMaterialDestroy(e.material);
    for (CacheEntry& e : *g_droppedMaterials) SGMaterialDestroy(e.material);
    delete g_materialCache;
    delete g_droppedMaterials;
    g_materialCache = nullptr;
    g_droppedMaterials = nullptr;
  }
}

const ModelIndexTable& CVDispObj::IndexTable() {
  LoadIndexOnce();
  return g_modelIndexTable;
}

void CVDispObj::SetIndexTable(std::span<const std::uint8_t> bytes) {
  g_indexLoaded = true;
  if (!g_modelIndexTable.Assign(bytes)) TraceError("CVDispObj - index table refused", __FILE__, __LINE__);
}

std::uint32_t CVDispObj::LiveObjects() { return g_liveObjects; }

void CVDispObj::SetKey(const DisplayKey& k) {
  key = k;
  if (instance) SGInstanceSetUserData(instance, reinterpret_cast<std::uintptr_t>(&key));
}

DisplayKey* CVDispObj::GetKey(DisplayKey* out) {
  if (out) *out = key;
  return &key;
}

std::uint32_t CVDispObj::Update(std::uint32_t) { return 0; }
void CVDispObj::UpdateMaterials(std::uint32_t) {}
std::uint32_t CVDispObj::FaceParts(std::uint32_t) { return 0; }
std::uint32_t CVDispObj::BuildGrid(const double*) { return 0; }
void CVDispObj::SetGridFrame() {}
float CVDispObj::GetScale() const { return 1.f; }
void CVDispObj::AdjustMaterialName(std::string&) {}

std::uint16_t CVDispObj::GetPickKind(const SGInstance* inst) {
  std::uintptr_t word = 0;
  if (!inst || SGInstanceGetUserData(inst, &word) != SG_ERROR_NONE || !word) return 0xFFFF;
  return reinterpret_cast<const DisplayKey*>(word)->pickKind;
}

std::uint32_t CVDispObj::GetPickId(const SGInstance* inst) {
  std::uintptr_t word = 0;
  if (!inst || SGInstanceGetUserData(inst, &word) != SG_ERROR_NONE || !word) return 0xFFFFFFFF;
  return reinterpret_cast<const DisplayKey*>(word)->pickId;
}

// --- Loading -------------------------------------------------------------

std::uint32_t CVDispObj::LoadModel(const char* name) {
  const std::uint32_t id = IndexTable().Lookup(DataDir(), name);
  if (id == 0) {
    TraceError("CVDispObj::LoadModel - not in the index", __FILE__, __LINE__);
    return 0;
  }
  std::uint8_t* data = ResourceGet(id);
  if (!data) {
    TraceError("CVDispObj::LoadModel - not in the archive", __FILE__, __LINE__);
    return 0;
  }
  SGModel* loaded = nullptr;
  const std::uint32_t status = ReadModelResource({data, ResourceSize(id)}, &loaded);
  ResourceRelease(data);
  if (status != kDispOk) {
    TraceError("CVDispObj::LoadModel - model refused", __FILE__, __LINE__);
    return 0;
  }
  SGInstance* inst = nullptr;
  if (SGInstanceCreate(Context(), SG_INST_TYPE_MODEL_TWO, &inst) != SG_ERROR_NONE ||
      SGInstanceSetModel(inst, loaded) != SG_ERROR_NONE) {
    if (inst) SGInstanceDelete(inst);
    SGModelFree(loaded);
    TraceError("CVDispObj::LoadModel - no instance", __FILE__, __LINE__);
    return 0;
  }
  if (g_dispWorld && g_dispWorld->currentScene) SGSceneAddInstance(g_dispWorld->currentScene, inst);
  SGInstanceSetAttributes(inst, SG_ATTR_NO_WRAP);
  SGInstanceClearAttributes(inst, SG_ATTR_HIDDEN | SG_ATTR_NO_PICK);
  SGInstanceSetAttributes(inst, SG_ATTR_NO_COLLIDE);
  instance = inst;
  model = loaded;
  if (materialCount) HandMaterialsToInstance();
  return 1;
}

std::uint32_t CVDispObj::LoadBillboard(std::uint32_t size) {
  if (size > 4) return 0;
  char name[300];
  std::snprintf(name, sizeof name, "%s%s", g_instData.Get3DPath(), kBillboards[size]);
  return LoadModel(name);
}

std::uint32_t CVDispObj::LoadModelAndMaterials(const char* modelName, const char* path) {
  std::string list = modelName;
  if (list.size() >= 3) list.replace(list.size() - 3, 3, "lst");
  if (!LoadModel(modelName)) return 0;
  return LoadMaterialList(path, list.c_str());
}

std::uint32_t CVDispObj::LoadMaterialResource(const char* directory, const char* name, SGMaterial** out) {
  *out = nullptr;
  // A name the index lacks is asked for at the end of every flip-book: told
  // without the resolver, which costs heap calls.
  if (g_modelIndexTable.Lookup(directory, name) == 0) return kDispMissing;
  const ArchiveResources res(directory);
  const auto bytes = res.Fetch(name);
  if (bytes.empty()) return kDispMissing;
  const std::uint32_t status = ReadMaterialResource(res, bytes, out);
  res.Release(bytes);
  return status == kDispOk || status == kDispNoMemory ? status : kDispMissing;
}

std::uint32_t CVDispObj::LoadTextureResource(const char* directory, const char* name, SGTextureMap** out) {
  *out = nullptr;
  const ArchiveResources res(directory);
  const auto bytes = res.Fetch(name);
  if (bytes.empty()) return kDispMissing;
  const std::uint32_t status = ReadTextureResource(res, bytes, out);
  res.Release(bytes);
  return status;
}

std::uint32_t CVDispObj::LoadMaterialList(const char* path, const char* listName) {
  const std::uint32_t id = IndexTable().Lookup(DataDir(), listName);
  std::uint8_t* data = id ? ResourceGet(id) : nullptr;
  if (!data) {
    TraceError("CVDispObj::LoadMaterialList - no list", __FILE__, __LINE__);
    return 0;
  }
  const std::vector<std::string> lines = ParseMaterialList({data, ResourceSize(id)});
  ResourceRelease(data);
  ReleaseMaterials();
  const std::uint16_t kind = GetType();
  for (std::string line : lines) {
    if (materialCount == kMaxMaterials) break;
    if (kind == DISP_ASTEROID || kind == DISP_HALO || kind == DISP_SELECTION_HALO || kind == DISP_LINE)
      AdjustMaterialName(line);
    const std::string file = std::string(path) + line;
    SGMaterial* mat = nullptr;
    if (LoadMaterialResource(DataDir(), file.c_str(), &mat) != kDispOk) {
      char fallback[300];
      std::snprintf(fallback, sizeof fallback, "%ssun\\sun0.mat", g_instData.Get3DPath());
      if (LoadMaterialResource(DataDir(), fallback, &mat) != kDispOk) {
        TraceError("CVDispObj::LoadMaterialList - no material", __FILE__, __LINE__);
        continue;
      }
    }
    if (SGContextPrepareMaterial(Context(), mat) != SG_ERROR_NONE)
      TraceError("CVDispObj::LoadMaterialList - material not prepared", __FILE__, __LINE__);
    materials[materialCount++] = mat;
  }
  HandMaterialsToInstance();
  return 1;
}

void CVDispObj::HandMaterialsToInstance() {
  if (instance) SGInstanceSetMaterial(instance, materialCount, materialCount ? materials : nullptr);
}

void CVDispObj::UseSingleMaterial(SGMaterial* material) {
  ReleaseMaterials();
  materials[0] = material;
  materialCount = 1;
  HandMaterialsToInstance();
}

std::uint32_t CVDispObj::LoadMaterial(const char* name, const char* path, std::uint32_t mirrored) {
  // Put together in place: a flare's step that finds its frame in the cache
  // makes no heap call.
  char joined[1024];
  std::snprintf(joined, sizeof joined, "%s%s", path, name);
  if (!mirrored) {
    if (SGMaterial* cached = CacheFind(joined)) {
      UseSingleMaterial(cached);
      return 1;
    }
    SGMaterial* mat = nullptr;
    if (LoadMaterialResource(DataDir(), joined, &mat) != kDispOk) return 0;
    SGContextPrepareMaterial(Context(), mat);
    // This object is its first user: counted, so that dropping the entry
    // from a full cache cannot destroy what it still draws.
    CacheAdd(mat, joined, 0);
    UseSingleMaterial(mat);
    return 1;
  }
  std::string file = joined;
  // The picture seen from the other side, mirrored back.
  const auto dot = file.rfind('.');
  if (dot != std::string::npos) file.erase(dot);
  const std::string xtx = file + ".xtx";
  std::string cacheKey = xtx;
  cacheKey.back() = 'H';
  if (SGMaterial* cached = CacheFind(cacheKey)) {
    UseSingleMaterial(cached);
    return 1;
  }
  SGTextureMap* source = nullptr;
  if (LoadTextureResource(DataDir(), xtx.c_str(), &source) != kDispOk &&
      LoadTextureResource(DataDir(), (file + ".ptx").c_str(), &source) != kDispOk)
    return 0;
  SGTextureMap* mirroredTexture = MirrorTexture(source);
  SGTextureMapRelease(source);
  if (!mirroredTexture) return 0;
  SGContextPrepareTexture(Context(), mirroredTexture);
  auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
  auto* info = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
  if (!mat || !info) {
    SGFree(mat);
    SGFree(info);
    SGTextureMapRelease(mirroredTexture);
    return 0;
  }
  mat->matType = SG_MAT_TYPE_TRANSPARENT_TEXTURE;
  mat->matColour = 0xFFFFFFFF;
  mat->matTexMap = mirroredTexture;
  mat->matAmbient = 0.2f;
  mat->matDiffuse = 0.8f;
  mat->matNumShades = 16;
  mat->matShadeRowSize = 256;
  mat->matInfo = info;
  SGContextPrepareMaterial(Context(), mat);
  CacheAdd(mat, cacheKey, 0);
  UseSingleMaterial(mat);
  return 1;
}

std::uint32_t CVDispObj::LoadNumberedMaterial(const char* base, const char* path, std::uint32_t n) {
  char name[300];
  std::snprintf(name, sizeof name, "%s%02u.mat", base, n + 1);
  if (!LoadMaterial(name, path, 0)) return 0;
  materials[0]->matType = SG_MAT_TYPE_TRANSPARENT_TEXTURE;
  return 1;
}

void CVDispObj::ReleaseMaterials() {
  for (std::uint32_t i = 0; i < materialCount; ++i) {
    CacheRelease(materials[i]);
    materials[i] = nullptr;
  }
  materialCount = 0;
  HandMaterialsToInstance();
}

void CVDispObj::DestroyInstance() {
  if (instance) SGInstanceRemove(instance);
  ReleaseMaterials();
  if (instance) SGInstanceDelete(instance);
  if (model) SGModelFree(model);
  instance = nullptr;
  model = nullptr;
  if (g_dispWorld) g_dispWorld->ResetSceneDrawFlag();
}

// --- Material cache ------------------------------------------------------

std::size_t CVDispObj::CacheCount() { return g_materialCache ? g_materialCache->size() : 0; }

const std::string& CVDispObj::CacheName(std::size_t index) { return (*g_materialCache)[index].name; }

SGMaterial* CVDispObj::CacheFind(std::string_view name) {
  if (!g_materialCache) return nullptr;
  const std::uint16_t sum = CheckSum(name);
  for (auto it = g_materialCache->rbegin(); it != g_materialCache->rend(); ++it) {
    // The whole key: a mirrored picture's key differs from the plain one only
    // in its last character.
    if (it->checkSum != sum || it->name != name) continue;
    ++it->useCount;
    if (it->material->matTexMap) ++it->material->matTexMap->txmRefCnt;
    return it->material;
  }
  return nullptr;
}

std::uint32_t CVDispObj::CacheAdd(SGMaterial* material, const std::string& name, std::uint32_t owned) {
  if (!g_materialCache || !material || !material->matInfo) return 0;
  if (g_materialCache->size() >= kCacheSize) {
    CacheEntry& oldest = g_materialCache->front();
    if (oldest.useCount == 0)
      SGMaterialDestroy(oldest.material);
    else
      g_droppedMaterials->push_back(std::move(oldest));
    g_materialCache->erase(g_materialCache->begin());
  }
  g_materialCache->push_back({name, CheckSum(name), material, static_cast<std::uint16_t>(owned ? 0 : 1)});
  return 1;
}

void CVDispObj::CacheRelease(SGMaterial* material) {
  if (!material) return;
  if (g_materialCache) {
    for (CacheEntry& e : *g_materialCache) {
      if (e.material != material) continue;
      if (e.useCount > 0) {
        --e.useCount;
        ReleaseTextureRef(material);
      }
      return;
    }
    for (auto it = g_droppedMaterials->begin(); it != g_droppedMaterials->end(); ++it) {
      if (it->material != material) continue;
      ReleaseTextureRef(material);
      if (--it->useCount == 0) {
        SGMaterialDestroy(material);
        g_droppedMaterials->erase(it);
      }
      return;
    }
  }
  if (material->matTexMap && material->matTexMap->txmRefCnt > 1) {
    --material->matTexMap->txmRefCnt;
    return;
  }
  SGMaterialDestroy(material);
}

// --- Tree ----------------------------------------------------------------

void CVDispObj::AddChild(CVDispObj* child) {
  children = new CVDispNode{child, children};
  child->owner = this;
}

void CVDispObj::LinkChild(CVDispNode* node) {
  node->next = children;
  children = node;
  node->object->owner = this;
}

void CVDispObj::UnlinkChild(CVDispNode* node) {
  for (CVDispNode** link = &children; *link; link = &(*link)->next) {
    if (*link != node) continue;
    *link = node->next;
    node->next = nullptr;
    return;
  }
}

std::uint32_t CVDispObj::RemoveChild(CVDispObj* child) {
  if (g_dispWorld) g_dispWorld->redraw = 1;
  for (CVDispNode** link = &children; *link; link = &(*link)->next) {
    if ((*link)->object != child) continue;
    CVDispNode* node = *link;
    *link = node->next;
    delete node;
    child->SetVisible(0, 1);
    delete child;
    return 1;
  }
  return 0;
}

std::uint32_t CVDispObj::HasHalo() const {
  for (CVDispNode* n = children; n; n = n->next) {
    const std::uint16_t t = n->object->GetType();
    if (t == DISP_HALO || t == DISP_SELECTION_HALO) return 1;
  }
  return 0;
}

void CVDispObj::RemoveHalo(std::uint32_t id) {
  for (CVDispNode* n = children; n; n = n->next) {
    const std::uint16_t t = n->object->GetType();
    if ((t == DISP_HALO || t == DISP_SELECTION_HALO) && (id == 0xFFFF || (n->object->key.id & 0xFFFF) == id)) {
      RemoveChild(n->object);
      break;
    }
  }
  if (g_dispWorld) g_dispWorld->redraw = 1;
}

std::uint32_t CVDispObj::UpdateExplosionChildren(std::uint32_t flag) {
  std::uint32_t remaining = 0;
  for (CVDispNode* n = children; n;) {
    CVDispObj* child = n->object;
    n = n->next;
    if (child->GetType() != DISP_EXPLOSION) continue;
    if (child->Update(flag) == 0)
      RemoveChild(child);
    else
      remaining = 1;
  }
  return remaining;
}

void CVDispObj::PlaceExplosionChildren() {
  for (CVDispNode* n = children; n; n = n->next)
    if (n->object->GetType() == DISP_EXPLOSION) PlaceInFrontOf(n->object);
}

// --- Placement -----------------------------------------------------------

void CVDispObj::ApplyPendingTransform() {
  if (instance && (positionDirty || orientationDirty)) SGInstanceUpdate(instance);
  positionDirty = orientationDirty = 0;
}

namespace {
// An explosion in shield form or a halo in cube form carries its owner's
// instance on a hard point.
bool CarriesOwner(CVDispObj* o) {
  const std::uint16_t t = o->GetType();
  return (t == DISP_EXPLOSION || t == DISP_HALO || t == DISP_SELECTION_HALO) && o->kindWords[0] != 0;
}
}  // namespace

void CVDispObj::GetPosition(double out[3]) {
  out[0] = out[1] = out[2] = 0.0;
  ApplyPendingTransform();
  if (instance) SGInstanceGetPosition(instance, out);
  if (children && out[0] == 0.0 && out[1] == 0.0 && out[2] == 0.0) {
    for (CVDispNode* n = children; n; n = n->next) {
      if (CarriesOwner(n->object)) {
        n->object->GetPosition(out);
        return;
      }
    }
  }
}

void CVDispObj::SetPosition(const double p[3]) {
  if (!instance) return;
  if (children && (p[0] > 0.0 || p[1] > 0.0 || p[2] > 0.0)) {
    double old[3];
    SGInstanceGetPosition(instance, old);
    const bool atOrigin = old[0] == 0.0 && old[1] == 0.0 && old[2] == 0.0;
    bool carried = false;
    for (CVDispNode* n = children; n; n = n->next) {
      CVDispObj* c = n->object;
      if (CarriesOwner(c) || atOrigin) {
        carried = carried || CarriesOwner(c);
        c->SetPosition(p);
        continue;
      }
      double cp[3];
      c->GetPosition(cp);
      const double moved[3] = {cp[0] + p[0] - old[0], cp[1] + p[1] - old[1], cp[2] + p[2] - old[2]};
      c->SetPosition(moved);
    }
    // Carried by its halo or shield, the object sits at the carrier's origin:
    // moving the carrier moved it, and a position of its own would be added.
    if (carried) return;
  }
  SGInstanceSetPosition(instance, p);
  positionDirty = 1;
}

void CVDispObj::SetPositionF(const float p[3]) {
  const double d[3] = {p[0], p[1], p[2]};
  SetPosition(d);
}

void CVDispObj::FaceCamera(float roll, std::uint32_t keepUp) {
  if (!instance || !g_dispWorld) return;
  float forward[3], up[3];
  g_dispWorld->GetCameraForward(forward);
  if (keepUp) {
    float own[3], side[3];
    SGInstanceGetUp(instance, own);
    DispCross(forward, own, side);
    DispNormalise(side);
    DispCross(side, forward, up);
    DispNormalise(up);
  } else {
    g_dispWorld->GetCameraUp(up);
  }
  CVector3f u{up[0], up[1], up[2]};
  if (roll != 0.f) u.RotateAboutAxis(forward[0], forward[1], forward[2], roll);
  const float back[3] = {-forward[0], -forward[1], -forward[2]};
  const float rolled[3] = {u.x, u.y, u.z};
  SGInstanceSetOrientation(instance, back, rolled);
  orientationDirty = 1;
}

void CVDispObj::FaceObject(CVDispObj* other) {
  if (!instance || !other) return;
  double me[3], them[3];
  GetPosition(me);
  other->GetPosition(them);
  float dir[3] = {static_cast<float>(them[0] - me[0]), static_cast<float>(them[1] - me[1]),
                  static_cast<float>(them[2] - me[2])};
  DispNormalise(dir);
  float up[3];
  SGInstanceGetUp(instance, up);
  if (std::fabs(dir[0] - up[0]) < 0.1f && std::fabs(dir[1] - up[1]) < 0.1f && std::fabs(dir[2] - up[2]) < 0.1f) {
    up[0] = dir[1];
    up[1] = dir[2];
    up[2] = dir[0];
  }
  SGInstanceSetOrientation(instance, dir, up);
  SGInstanceUpdate(instance);
}

void CVDispObj::GetDirectionFrom(const double point[3], float out[3]) {
  double p[3];
  GetPosition(p);
  out[0] = static_cast<float>(p[0] - point[0]);
  out[1] = static_cast<float>(p[1] - point[1]);
  out[2] = static_cast<float>(p[2] - point[2]);
  DispNormalise(out);
}

void CVDispObj::PlaceInFrontOf(CVDispObj* child) {
  if (!child || !g_dispWorld) return;
  double eye[3], p[3];
  g_dispWorld->GetCameraPosition(eye);
  GetPosition(p);
  float dir[3] = {static_cast<float>(eye[0] - p[0]), static_cast<float>(eye[1] - p[1]),
                  static_cast<float>(eye[2] - p[2])};
  DispNormalise(dir);
  const double at[3] = {p[0] + 1.5 * dir[0], p[1] + 1.5 * dir[1], p[2] + 1.5 * dir[2]};
  child->SetPosition(at);
}

double CVDispObj::GetExtent() {
  if (!instance) return 0.0;
  ApplyPendingTransform();
  float box[6];
  if (SGInstanceGetBounds(instance, box) != SG_ERROR_NONE) return 0.0;
  double extent = 0.0;
  for (int k = 0; k < 3; ++k) extent = std::fmax(extent, (box[k + 3] - box[k]) / 2.0);
  return extent;
}

void CVDispObj::SetVisible(std::uint32_t v, std::uint32_t asChild) {
  v = v ? 1 : 0;
  if (v == visible || !instance) return;
  visible = v;
  if (!v)
    SGInstanceSetAttributes(instance, SG_ATTR_HIDDEN | SG_ATTR_NO_PICK);
  else
    SGInstanceClearAttributes(instance, asChild ? SG_ATTR_HIDDEN | SG_ATTR_NO_PICK : SG_ATTR_HIDDEN);
  if (g_dispWorld) g_dispWorld->redraw = 1;
  for (CVDispNode* n = children; n; n = n->next) n->object->SetVisible(v, 1);
}

void CVDispObj::SetPickable(std::uint32_t flag) {
  if (!instance) return;
  if (flag)
    SGInstanceClearAttributes(instance, SG_ATTR_NO_PICK);
  else
    SGInstanceSetAttributes(instance, SG_ATTR_NO_PICK);
}

std::uint32_t CVDispObj::UpdateTree(std::uint32_t animate, std::uint32_t flag) {
  std::uint32_t changed = 0;
  if (!(g_dispAnimationPaused && g_dispAnimationPaused())) {
    const std::uint16_t kind = GetType();
    if (kind == DISP_MODEL) {
      if (Update(0) == 0) return 0;
      changed = 1;
    } else if (kind != DISP_HALO && kind != DISP_SELECTION_HALO) {
      if (Update(flag != 0)) changed = 1;
      if (animate && std::fabs(rollAngle) > 1e-05f) {
        Spin(1);
        changed = 1;
      }
    }
  }
  if (positionDirty || orientationDirty) {
    if (instance) SGInstanceUpdate(instance);
    positionDirty = orientationDirty = 0;
    changed = 1;
  }
  for (CVDispNode* n = children; n; n = n->next)
    if (n->object->GetType() != DISP_EXPLOSION && n->object->UpdateTree(animate, flag)) changed = 1;
  return changed;
}

// --- Screen --------------------------------------------------------------

void CVDispObj::GetScreenPosition(int* x, int* y) {
  for (CVDispNode* n = children; n; n = n->next) {
    const std::uint16_t t = n->object->GetType();
    if (t == DISP_HALO || t == DISP_SELECTION_HALO) {
      n->object->GetScreenPosition(x, y);
      return;
    }
  }
  *x = 32767;
  *y = 0;
  if (!g_dispWorld || !g_dispWorld->currentCamera) return;
  double eye[3], p[3];
  g_dispWorld->GetCameraPosition(eye);
  GetPosition(p);
  float f[3], u[3], r[3];
  g_dispWorld->GetCameraForward(f);
  g_dispWorld->GetCameraUp(u);
  DispCross(u, f, r);  // right, in a frame with y up and z forward
  const double d[3] = {p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]};
  const double cz = d[0] * f[0] + d[1] * f[1] + d[2] * f[2];
  if (cz < 0.3) return;
  const double cx = d[0] * r[0] + d[1] * r[1] + d[2] * r[2];
  const double cy = d[0] * u[0] + d[1] * u[1] + d[2] * u[2];
  *x = 295 - static_cast<int>(std::atan(cx / cz) * 836.5);
  *y = 186 - static_cast<int>(std::atan(cy / cz) * 838.8);
}

void CVDispObj::GetViewSector(int* row, int* sector, const float* forward, const float* up) {
  *row = 2;
  *sector = 0;
  if (!g_dispWorld) return;
  float f[3] = {1, 0, 0}, u[3] = {0, 1, 0};
  if (forward && up) {
    std::memcpy(f, forward, sizeof f);
    std::memcpy(u, up, sizeof u);
  } else if (instance) {
    SGInstanceGetForward(instance, f);
    SGInstanceGetUp(instance, u);
  }
  double eye[3], p[3];
  g_dispWorld->GetCameraPosition(eye);
  GetPosition(p);
  float d[3] = {static_cast<float>(eye[0] - p[0]), static_cast<float>(eye[1] - p[1]),
                static_cast<float>(eye[2] - p[2])};
  DispNormalise(d);
  float side[3];
  DispCross(u, f, side);
  DispNormalise(side);
  // In the object's frame: x forward, y to its left, z up.
  const float lx = d[0] * f[0] + d[1] * f[1] + d[2] * f[2];
  const float ly = d[0] * side[0] + d[1] * side[1] + d[2] * side[2];
  const float lz = d[0] * u[0] + d[1] * u[1] + d[2] * u[2];
  // The heading runs from the object's left side (0) past its stern (pi / 2).
  double heading = std::atan2(-lx, ly);
  if (heading < 0) heading += 2 * 3.14159265358979;
  int s = static_cast<int>((heading + 0.392699) * 4 / 3.14159265358979) & 7;
  s = (s + 6) & 7;
  static constexpr int kMap[8] = {4, 3, 2, 1, 0, 7, 6, 5};
  *sector = kMap[s];
  const float z = std::fmax(-1.f, std::fmin(1.f, lz));
  *row = static_cast<int>(0.5 + std::acos(z) * 4 / 3.14159265358979);
}
