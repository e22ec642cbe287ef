#include "Game/views/world/DisplayList.h"

#include <cmath>
#include <cstdio>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GStar.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GModuleDB.h"
#include "Game/setup/GameSetup.h"
#include "Game/views/world/CDispAst3D.h"
#include "Game/views/world/CDispGrid.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CDispModel.h"
#include "Game/views/world/CVDispAst.h"
#include "Game/views/world/CVDispExp.h"
#include "Game/views/world/CVDispHal.h"
#include "Game/views/world/CVDispStr.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/WorldMessage.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/query/raypick.h"

DisplayList::DisplayList(CVSgWorld* w) : world(w) {}

void DisplayList::Push(CVDispObj* object) { head = new CVDispNode{object, head}; }

void DisplayList::DeleteNode(CVDispNode** link) {
  CVDispNode* node = *link;
  *link = node->next;
  delete node->object;
  delete node;
}

CVDispAst* DisplayList::CreateAsteroid(const CGAsteroid* asteroid, std::uint32_t mode) {
  const std::uint32_t id = asteroid ? asteroid->id : 0;
  auto* o = new CVDispAst(asteroid, DisplayKey{id, DISP_ASTEROID, id, DISP_ASTEROID}, world, mode);
  Push(o);
  return o;
}

CVDispStr* DisplayList::CreateStar(const CGStar* star, std::uint32_t arg) {
  const std::uint32_t id = star ? star->index : 0;
  auto* o = new CVDispStr(star, DisplayKey{id, DISP_STAR, id, DISP_STAR}, world, arg);
  Push(o);
  return o;
}

CVDispUnt* DisplayList::CreateUnit(const CGUnit* unit) {
  const std::uint32_t id = unit ? unit->id : 0;
  auto* o = new CVDispUnt(unit, DisplayKey{id, DISP_UNIT, id, DISP_UNIT}, world);
  Push(o);
  ++unitCount;
  return o;
}

CVDispUnt* DisplayList::CreateUnitFromTemplate(std::uint32_t id, const char* abbreviation, std::uint32_t wreck) {
  auto* o = new CVDispUnt(id, abbreviation, wreck, DisplayKey{id, DISP_UNIT, id, DISP_UNIT}, world);
  Push(o);
  ++unitCount;
  return o;
}

CVDispExp* DisplayList::CreateExplosion(std::uint32_t id, const char* name, const char* dir, CVDispObj* owner,
                                        std::uint32_t attached, std::uint32_t looping) {
  DisplayKey k{id & 0xFF, DISP_EXPLOSION, id & 0xFF, DISP_EXPLOSION};
  if (owner) {
    k.pickId = owner->key.id;
    k.pickKind = owner->key.kind;
  }
  auto* o = new CVDispExp(name, dir, k, world, owner, attached, looping, 0);
  if (owner)
    owner->AddChild(o);
  else
    Push(o);
  return o;
}

CVDispHal* DisplayList::AttachHalo(CVDispObj* owner, std::uint32_t id, std::uint32_t chapter, std::uint32_t selection) {
  if (!owner || owner->HasHalo()) return nullptr;
  const DisplayKey k{id & 0xFFFF, static_cast<std::uint16_t>(selection ? DISP_SELECTION_HALO : DISP_HALO),
                     owner->key.id, owner->key.kind};
  auto* o = new CVDispHal(k, world, owner, chapter, selection);
  if (!o->cube) {
    double at[3];
    owner->GetPosition(at);
    o->SetPosition(at);
  }
  owner->AddChild(o);
  return o;
}

CDispGrid* DisplayList::CreateGrid(std::uint32_t n) {
  auto* o = new CDispGrid(DisplayKey{n & 0xFF, DISP_GRID, n & 0xFF, DISP_GRID}, world);
  Push(o);
  return o;
}

CDispModel* DisplayList::CreateModel(std::uint32_t a1, std::uint32_t id, std::uint32_t explode, std::uint32_t word) {
  auto* o = new CDispModel(a1, explode, DisplayKey{id & 0xFFFF, DISP_MODEL, id & 0xFFFF, DISP_MODEL}, world, word);
  Push(o);
  return o;
}

CDispLine* DisplayList::CreateLine(CVDispObj* owner, std::uint32_t chapter, std::uint32_t blink) {
  if (owner) {
    for (CVDispNode* n = owner->children; n; n = n->next) {
      if (n->object->GetType() != DISP_LINE) continue;
      n->object->SetVisible(1, 1);
      return static_cast<CDispLine*>(n->object);
    }
  }
  const std::uint32_t ownerId = owner ? owner->key.id : 0;
  const DisplayKey k{ownerId, DISP_LINE, ownerId, owner ? owner->key.kind : static_cast<std::uint16_t>(DISP_LINE)};
  auto* o = new CDispLine(k, world, owner, chapter, blink);
  if (owner)
    owner->AddChild(o);
  else
    Push(o);
  return o;
}

CDispAst3D* DisplayList::Create3DAsteroid() {
  auto* o = new CDispAst3D(static_cast<std::uint8_t>(LocalChapterId(kNoChapterChosen) >> 3),
                           DisplayKey{0, DISP_ASTEROID_3D, 0, DISP_ASTEROID_3D}, world);
  Push(o);
  return o;
}

CVDispObj* DisplayList::Find(std::uint16_t kind, std::uint32_t id) const {
  for (CVDispNode* n = head; n; n = n->next)
    if (n->object->key.kind == kind && n->object->key.id == id) return n->object;
  return nullptr;
}

std::uint32_t DisplayList::Remove(std::uint16_t kind, std::uint32_t id) {
  if (world) world->redraw = 1;
  for (CVDispNode** link = &head; *link; link = &(*link)->next) {
    if ((*link)->object->GetType() == kind && (*link)->object->key.id == id) {
      DeleteNode(link);
      return 1;
    }
  }
  return 0;
}

std::uint32_t DisplayList::RemoveUnit(std::uint32_t id) {
  if (unitCount) --unitCount;
  return Remove(DISP_UNIT, id);
}

std::uint32_t DisplayList::RemoveObject(CVDispObj* object) {
  for (CVDispNode** link = &head; *link; link = &(*link)->next) {
    if ((*link)->object == object) {
      DeleteNode(link);
      return 1;
    }
  }
  return 0;
}

void DisplayList::RemoveForeignUnits() {
  const std::uint32_t local = LocalChapterId(kNoChapterChosen);
  for (CVDispNode** link = &head; *link;) {
    CVDispObj* o = (*link)->object;
    if (o->GetType() == DISP_UNIT && GetChapterFromId(o->key.id) != local) {
      DeleteNode(link);
      if (unitCount) --unitCount;
    } else {
      link = &(*link)->next;
    }
  }
}

void DisplayList::Clear() {
  while (head) DeleteNode(&head);
  unitCount = 0;
}

std::uint32_t DisplayList::Update(std::uint32_t animate, std::uint32_t flag, std::uint32_t mode) {
  const bool step = g_animElapsedMs >= kStepMs;
  if (!step && mode != 6) {
    if (!world || !world->redraw) return 0;
    for (CVDispNode* n = head; n; n = n->next) n->object->ApplyPendingTransform();
    return 1;
  }
  std::uint32_t changed = 0;
  for (CVDispNode** link = &head; *link;) {
    CVDispObj* o = (*link)->object;
    const std::uint16_t kind = o->GetType();
    if (!step && kind != DISP_MODEL) {
      o->ApplyPendingTransform();
      link = &(*link)->next;
      continue;
    }
    if (o->UpdateTree(animate, flag)) {
      changed = 1;
      link = &(*link)->next;
      continue;
    }
    if (kind == DISP_MODEL) {
      auto* projectile = static_cast<CDispModel*>(o);
      if (projectile->explode) {
        // The weapon's explosion takes the projectile's place and motion.
        const char* name = g_gameData && g_gameData->moduleDB
                               ? g_gameData->moduleDB->GetExplosionName(static_cast<int>(o->key.id))
                               : nullptr;
        char dir[300];
        std::snprintf(dir, sizeof dir, "%sexplode\\", g_instData.Get3DPath());
        double at[3];
        o->GetPosition(at);
        CVDispExp* e = CreateExplosion(o->key.id, name ? name : "exp100", dir, nullptr, 0, 0);
        e->SetPosition(at);
        e->SetMotion(projectile->direction);
      }
      RemoveObject(o);
      changed = 1;
      continue;
    }
    if (kind == DISP_EXPLOSION) {
      DeleteNode(link);
      changed = 1;
      continue;
    }
    link = &(*link)->next;
  }
  if (step) g_animElapsedMs = 0;
  return changed;
}

namespace {

// The texel under a hit on a keyed billboard: 0 is transparent. The hit's
// texture coordinates come from where the ray met the instance's quad.
bool CountsAt(SGInstance* inst, float u, float v) {
  std::uint32_t count = 0;
  SGMaterial** table = nullptr;
  if (SGInstanceGetMaterial(inst, &count, &table) != SG_ERROR_NONE || count == 0 || !table || !table[0]) return true;
  const SGMaterial* mat = table[0];
  if ((mat->matType & SG_MAT_TYPE_MASK) != SG_MAT_TYPE_TRANSPARENT_TEXTURE) return true;
  const SGTextureMap* txm = mat->matTexMap;
  if (!txm || !txm->txmInfo || !txm->txmInfo->tpiTexels) return false;
  const float w = static_cast<float>(txm->txmSize.u[0]), h = static_cast<float>(txm->txmSize.u[1]);
  const int x = static_cast<int>(u * w), y = static_cast<int>(h - v * h);
  if (x < 0 || y < 0 || x >= static_cast<int>(w) || y >= static_cast<int>(h)) return false;
  return txm->txmInfo->tpiTexels[static_cast<std::size_t>(y) * txm->txmPitch + x] != 0;
}

// Where the ray from `eye` along `dir` at `distance` meets the instance's
// model, in the model's own x and y scaled to 0..1 over its bounds.
void QuadCoordinates(SGInstance* inst, const double eye[3], const float dir[3], float distance, float* u, float* v) {
  const double world[3] = {eye[0] + dir[0] * distance, eye[1] + dir[1] * distance, eye[2] + dir[2] * distance};
  float local[3];
  ISGInstanceWorldToLocal(inst, world, local);
  const auto* mi = static_cast<const SGModelInst*>(inst->instData);
  const SGModel* m = mi ? mi->miModel : nullptr;
  *u = *v = -1.f;
  if (!m) return;
  const float wx = m->modMax[0] - m->modMin[0], wy = m->modMax[1] - m->modMin[1];
  if (wx <= 0.f || wy <= 0.f) return;
  *u = (local[0] - m->modMin[0]) / wx;
  *v = (local[1] - m->modMin[1]) / wy;
}

}  // namespace

CVDispObj* DisplayList::PickOnce(int x, int y, DisplayPickHit* hit) {
  SGInstance* first = nullptr;
  double point[3] = {0, 0, 0};
  const std::uint32_t status = world->PickScreenPoint(x, y, &first, point);
  if (status == 0) return nullptr;
  if (status != SG_HIT_INSTANCE) {
    TraceError("DisplayList::Pick - pick failed", __FILE__, __LINE__);
    return nullptr;
  }
  SGInstance* instances[kMaxHits] = {};
  float distances[kMaxHits] = {};
  float pairs[2 * kMaxHits] = {};
  if (SGCollideGetHits(instances, distances, pairs, kMaxHits) != SG_ERROR_NONE) {
    TraceError("DisplayList::Pick - no hit list", __FILE__, __LINE__);
    return nullptr;
  }
  double eye[3];
  float dir[3] = {0, 0, 0};
  world->GetCameraPosition(eye);
  const bool haveRay = world->ScreenToWorld(x, y, dir) != 0;
  std::uint32_t taken = 0;
  bool found = false;
  for (std::uint32_t i = 0; i < kMaxHits && instances[i]; ++i) {
    float u = pairs[2 * i], v = pairs[2 * i + 1];
    if (haveRay) QuadCoordinates(instances[i], eye, dir, distances[i], &u, &v);
    if (CountsAt(instances[i], u, v)) {
      taken = i;
      found = true;
      break;
    }
  }
  if (!found) taken = 0;
  SGInstance* inst = instances[taken] ? instances[taken] : first;
  CVDispObj* o = Find(CVDispObj::GetPickKind(inst), CVDispObj::GetPickId(inst));
  if (!o) return nullptr;
  if (hit) {
    hit->instance = inst;
    hit->distance = distances[taken];
    hit->u = pairs[2 * taken];
    hit->v = pairs[2 * taken + 1];
    for (int k = 0; k < 3; ++k) hit->point[k] = haveRay ? eye[k] + dir[k] * distances[taken] : point[k];
  }
  return o;
}

CVDispObj* DisplayList::Pick(int x, int y, DisplayPickHit* hit) {
  if (!world) return nullptr;
  DisplayPickHit own;
  CVDispObj* o = PickOnce(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), &own);
  if (!o) return nullptr;
  if ((o->GetType() == DISP_HALO || o->GetType() == DISP_SELECTION_HALO) && o->owner) o = o->owner;
  switch (o->GetType()) {
    case DISP_ASTEROID:
    case DISP_STAR:
    case DISP_UNIT:
    case DISP_PICKABLE_5:
      if (hit) *hit = own;
      return o;
    case DISP_GRID: {
      SetGridsPickable(0);
      DisplayPickHit behind;
      CVDispObj* b = PickOnce(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), &behind);
      SetGridsPickable(1);
      if (b) {
        if (hit) *hit = behind;
        return b;
      }
      if (hit) *hit = own;
      return o;
    }
    default:
      TraceError("DisplayList::Pick - Invalid LOS object!", __FILE__, __LINE__);
      ShowWorldMessage("DisplayList::Pick - Invalid LOS object!");
      return nullptr;
  }
}

void DisplayList::SetGridsPickable(std::uint32_t flag) {
  for (std::uint32_t id = 0;; ++id) {
    CVDispObj* grid = Find(DISP_GRID, id);
    if (!grid) return;
    grid->SetPickable(flag);
  }
}

namespace {

bool HasHeightLine(std::uint16_t kind) {
  return kind == DISP_UNIT || kind == DISP_ASTEROID || kind == DISP_ASTEROID_3D;
}

std::uint32_t OwningChapter(CVDispObj* o) {
  switch (o->GetType()) {
    case DISP_UNIT:
      return GetChapterFromId(o->key.id);
    case DISP_ASTEROID:
      if (g_gameData)
        if (const CGAsteroid* a = g_gameData->solarDB.GetAsteroid(o->key.id)) return a->owner;
      return 0xFFFF;
    case DISP_ASTEROID_3D:
      return LocalChapterId(kNoChapterChosen);
    default:
      return 0xFFFF;
  }
}

CDispLine* LineOf(CVDispObj* o) {
  for (CVDispNode* n = o->children; n; n = n->next)
    if (n->object->GetType() == DISP_LINE) return static_cast<CDispLine*>(n->object);
  return nullptr;
}

}  // namespace

void DisplayList::CreateLines(double h) {
  for (CVDispNode* n = head; n; n = n->next) {
    CVDispObj* o = n->object;
    if (!HasHeightLine(o->GetType())) continue;
    CDispLine* line = CreateLine(o, OwningChapter(o), 0);
    double at[3];
    o->GetPosition(at);
    line->SetPosition(at);
    line->SetSpan(at[1], h);
  }
  if (world) world->ResetSceneDrawFlag();
}

void DisplayList::UpdateLines(double h) {
  for (CVDispNode* n = head; n; n = n->next) {
    CVDispObj* o = n->object;
    if (HasHeightLine(o->GetType())) {
      if (CDispLine* line = LineOf(o)) {
        double at[3];
        o->GetPosition(at);
        line->SetPosition(at);
        line->SetSpan(at[1], h);
      }
      continue;
    }
    if (o->GetType() != DISP_LINE || !o->visible) continue;
    auto* line = static_cast<CDispLine*>(o);
    CVDispObj* target = o->key.pickKind != DISP_LINE ? Find(o->key.pickKind, o->key.pickId) : nullptr;
    double at[3];
    line->GetPosition(at);
    if (target && target != o) {
      double to[3];
      target->GetPosition(to);
      at[1] = h + 0.01;
      line->SetPosition(at);
      line->SetLength(static_cast<float>(to[1] - at[1] - 0.5), 0);
    } else {
      const double length = line->GetLength();
      line->SetSpan(at[1] + length / 2, at[1] - length / 2);
    }
  }
  if (world) world->ResetSceneDrawFlag();
}

void DisplayList::RemoveLines() {
  for (CVDispNode** link = &head; *link;) {
    CVDispObj* o = (*link)->object;
    if (HasHeightLine(o->GetType())) {
      if (CDispLine* line = LineOf(o)) o->RemoveChild(line);
    } else if (o->GetType() == DISP_LINE) {
      DeleteNode(link);
      continue;
    }
    link = &(*link)->next;
  }
}
