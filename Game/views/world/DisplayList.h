#pragma once
// The top-level display objects of one 3D view, newest first. The views make
// objects through the per-kind operations, find them again by kind and
// identifier, step their animations once per frame (in 75 ms steps) and turn a
// click into the game object under the cursor. Attached parts (halos,
// explosions, height lines) live in their owner's child list. Game thread only.

#include <cstdint>

#include "Game/views/world/CVDispObj.h"

class CDispGrid;
class CDispLine;
class CDispModel;
class CDispAst3D;
class CGAsteroid;
class CGStar;
class CGUnit;
class CVDispAst;
class CVDispExp;
class CVDispHal;
class CVDispStr;
class CVDispUnt;
struct SGInstance;

// The library's record of the pick, handed out by Pick.
struct DisplayPickHit {
  SGInstance* instance = nullptr;
  float distance = 0.f;
  float u = 0.f;
  float v = 0.f;
  double point[3] = {0.0, 0.0, 0.0};
};

class DisplayList {
 public:
  static constexpr std::uint32_t kStepMs = 75;
  static constexpr std::uint32_t kMaxHits = 20;

  explicit DisplayList(CVSgWorld* world);
  ~DisplayList() { Clear(); }
  DisplayList(const DisplayList&) = delete;
  DisplayList& operator=(const DisplayList&) = delete;

  CVDispAst* CreateAsteroid(const CGAsteroid* asteroid, std::uint32_t mode);
  CVDispStr* CreateStar(const CGStar* star, std::uint32_t arg);
  CVDispUnt* CreateUnit(const CGUnit* unit);
  CVDispUnt* CreateUnitFromTemplate(std::uint32_t id, const char* classAbbreviation, std::uint32_t wreck);
  // With an owner the explosion becomes its child; frames "<name>NN.mat" in dir.
  CVDispExp* CreateExplosion(std::uint32_t id, const char* name, const char* dir, CVDispObj* owner,
                             std::uint32_t attached, std::uint32_t looping);
  // 0 (nothing made) when the owner already has a halo.
  CVDispHal* AttachHalo(CVDispObj* owner, std::uint32_t id, std::uint32_t chapter, std::uint32_t selection);
  CDispGrid* CreateGrid(std::uint32_t n);
  CDispModel* CreateModel(std::uint32_t a1, std::uint32_t id, std::uint32_t explode, std::uint32_t word);
  // An owner's existing line is shown again and returned.
  CDispLine* CreateLine(CVDispObj* owner, std::uint32_t chapter, std::uint32_t blink);
  CDispAst3D* Create3DAsteroid();

  // The newest object of that kind and id; children are not searched.
  CVDispObj* Find(std::uint16_t kind, std::uint32_t id) const;
  std::uint32_t Remove(std::uint16_t kind, std::uint32_t id);
  std::uint32_t RemoveUnit(std::uint32_t id);
  std::uint32_t RemoveObject(CVDispObj* object);
  void RemoveForeignUnits();
  void Clear();
  // The per-frame step; 1 when something changed.
  std::uint32_t Update(std::uint32_t animate, std::uint32_t flag, std::uint32_t mode);
  // The object under a pixel of the composition surface, or null.
  CVDispObj* Pick(int x, int y, DisplayPickHit* hit);
  void CreateLines(double h);
  void UpdateLines(double h);
  void RemoveLines();
  void SetGridsPickable(std::uint32_t flag);

  CVDispNode* head = nullptr;
  CVSgWorld* world = nullptr;
  std::uint32_t unitCount = 0;

 private:
  void Push(CVDispObj* object);
  CVDispObj* PickOnce(int x, int y, DisplayPickHit* hit);
  void DeleteNode(CVDispNode** link);
};
