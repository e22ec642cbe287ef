// A generated scene drawn by the world over its star field, as a player sees
// it: units from every view code, asteroids, a sun with its flare, halos as
// billboards and cubes, height lines; and what the display list makes, finds,
// steps, removes and picks.
#include <gtest/gtest.h>

#include <random>

#include <cmath>
#include <cstring>
#include <set>

#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GStar.h"
#include "Game/views/world/CDispAst3D.h"
#include "Game/views/world/CDispGrid.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CDispModel.h"
#include "Game/views/world/CVDispAst.h"
#include "Game/views/world/CVDispExp.h"
#include "Game/views/world/CVDispHal.h"
#include "Game/views/world/CVDispStr.h"
#include "Game/views/world/CVDispUnt.h"
#include "sg/core/malloc.h"
#include "tests/Game/views/world/world_screen.h"

namespace {

using namespace world_test;

struct FakeView : IGameView {
  ViewType GetViewType() const override { return VIEW_SOLAR; }
};

class SceneTest : public WorldScreen {
 protected:
  void SetUp() override {
    WorldScreen::SetUp();
    MakeWorld();
    list = std::make_unique<DisplayList>(world);
  }

  void Frame() {
    g_animElapsedMs = 0;
    list->Update(1, 0, 0);
    ASSERT_EQ(world->RenderFrame(), 1u);
  }

  // A unit of guild `guild` (chapter guild x 8), class abbreviation `cls`.
  CVDispUnt* Unit(std::uint32_t guild, std::uint32_t serial, const char* cls, const double at[3]) {
    const std::uint32_t id = (guild * 8) << 26 | serial;
    CVDispUnt* u = list->CreateUnitFromTemplate(id, cls, 0);
    u->SetPosition(at);
    return u;
  }
};

TEST_F(SceneTest, UnitsAsteroidsAndASunShowOverTheStarField) {
  const double eye[3] = {1100.0, 1103.0, 1080.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  CGAsteroid rock(17);
  rock.sizeClass = 2;
  CVDispAst* asteroid = list->CreateAsteroid(&rock, 0);
  ASSERT_NE(asteroid->instance, nullptr);
  const double rockAt[3] = {1096.0, 1100.0, 1100.0};
  asteroid->SetPosition(rockAt);
  CGStar star(0);
  CVDispStr* sun = list->CreateStar(&star, 0);
  ASSERT_NE(sun->instance, nullptr);
  const double sunAt[3] = {1104.0, 1102.5, 1104.0};
  sun->SetPosition(sunAt);
  const double shipAt[3] = {1100.5, 1099.0, 1096.0};
  CVDispUnt* ship = Unit(0, 1, "crus", shipAt);
  ASSERT_NE(ship->instance, nullptr);
  FakeView view;
  g_currentView = &view;
  ship->SelectViewMaterial(255);
  Frame();
  g_currentView = nullptr;
  EXPECT_TRUE(quentest::MatchesGolden(View(), Golden("scene_bodies")));
}

// The unit's heading and up that let the camera at `eye` see it from (row, sector):
// sector k lies (8 - k) x 45 degrees round from the bow towards the left side,
// row r at (2 - r) x 45 degrees above the unit's plane.
void Orientation(const double eye[3], const double at[3], int row, int sector, float heading[3], float up[3]) {
  const double pi = 3.14159265358979;
  const double phi = (8 - sector) * pi / 4, e = (2 - row) * pi / 4;
  // d in the unit's frame (bow, left, up).
  const double dl[3] = {std::cos(e) * std::cos(phi), std::cos(e) * std::sin(phi), std::sin(e)};
  double dw[3] = {eye[0] - at[0], eye[1] - at[1], eye[2] - at[2]};
  const double n = std::sqrt(dw[0] * dw[0] + dw[1] * dw[1] + dw[2] * dw[2]);
  for (double& c : dw) c /= n;
  // Frames (a, b, c) on both sides with a = d, then bow and up carried over.
  auto frame = [](const double a[3], double b[3], double c[3]) {
    const double aux[3] = {std::fabs(a[0]) < 0.9 ? 1.0 : 0.0, std::fabs(a[0]) < 0.9 ? 0.0 : 1.0, 0.0};
    c[0] = a[1] * aux[2] - a[2] * aux[1];
    c[1] = a[2] * aux[0] - a[0] * aux[2];
    c[2] = a[0] * aux[1] - a[1] * aux[0];
    const double k = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    for (int i = 0; i < 3; ++i) c[i] /= k;
    b[0] = c[1] * a[2] - c[2] * a[1];
    b[1] = c[2] * a[0] - c[0] * a[2];
    b[2] = c[0] * a[1] - c[1] * a[0];
  };
  double lb[3], lc[3], wb[3], wc[3];
  frame(dl, lb, lc);
  frame(dw, wb, wc);
  // A local vector v: (v.a) dw + (v.b) wb + (v.c) wc.
  auto carry = [&](const double v[3], float out[3]) {
    const double pa = v[0] * dl[0] + v[1] * dl[1] + v[2] * dl[2];
    const double pb = v[0] * lb[0] + v[1] * lb[1] + v[2] * lb[2];
    const double pc = v[0] * lc[0] + v[1] * lc[1] + v[2] * lc[2];
    for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(pa * dw[i] + pb * wb[i] + pc * wc[i]);
  };
  const double bow[3] = {1, 0, 0}, top[3] = {0, 0, 1};
  carry(bow, heading);
  carry(top, up);
}

TEST_F(SceneTest, UnitsShowThePictureOfEachOfTheSeventeenViewCodes) {
  const double eye[3] = {1100.0, 1100.0, 1089.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  FakeView view;
  g_currentView = &view;
  g_unitViewAngles = 1;
  struct Want {
    int row, sector, code;
    bool mirrored;
  };
  const Want wants[17] = {{0, 0, 10, false}, {1, 0, 1, false},  {1, 1, 6, true},   {1, 2, 11, true}, {1, 3, 16, true},
                          {1, 4, 21, false}, {1, 5, 16, false}, {1, 6, 11, false}, {2, 0, 2, false}, {2, 3, 17, true},
                          {2, 5, 17, false}, {2, 6, 12, false}, {3, 0, 3, false},  {3, 2, 13, true}, {3, 4, 23, false},
                          {3, 7, 8, false},  {4, 0, 14, false}};
  for (int i = 0; i < 17; ++i) {
    const double place[3] = {1100.0 + 2.5 * (i % 6 - 2.5), 1100.0 + 3.0 * (1 - i / 6), 1100.0};
    CVDispUnt* u = Unit(static_cast<std::uint32_t>(i % 5), static_cast<std::uint32_t>(i + 1), "crus", place);
    Orientation(eye, place, wants[i].row, wants[i].sector, u->heading, u->up);
    ASSERT_EQ(u->SelectViewMaterial(255), 1u) << i;
    char code[8];
    std::snprintf(code, sizeof code, "%02d.mat", wants[i].code);
    EXPECT_NE(u->pictureName.find(code), std::string::npos) << i << " " << u->pictureName;
    EXPECT_EQ(u->mirrored, wants[i].mirrored ? 1u : 0u) << i;
  }
  g_currentView = nullptr;
  Frame();
  EXPECT_TRUE(quentest::MatchesGolden(View(), Golden("scene_unit_views")));
}

TEST_F(SceneTest, TheViewCodeTableMirrorsTheRightHandSide) {
  EXPECT_EQ(CVDispUnt::ViewFor(1, 3).code, 16);
  EXPECT_TRUE(CVDispUnt::ViewFor(1, 3).mirrored);
  EXPECT_EQ(CVDispUnt::ViewFor(1, 5).code, 16);
  EXPECT_FALSE(CVDispUnt::ViewFor(1, 5).mirrored);
  std::set<int> codes;
  for (int row = 0; row <= 4; ++row)
    for (int sector = 0; sector < 8; ++sector) codes.insert(CVDispUnt::ViewFor(row, sector).code);
  EXPECT_EQ(codes, (std::set<int>{1, 2, 3, 6, 7, 8, 10, 11, 12, 13, 14, 16, 17, 18, 21, 22, 23}));
}

TEST_F(SceneTest, HalosAreBillboardsFromAfarAndCubesFromNearAndAPickOnOneTakesItsOwner) {
  const double eye[3] = {1100.0, 1100.0, 1030.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  // 72 units away (5184 squared) a billboard, 71 (5041) a cube.
  const double far[3] = {1100.0, 1100.0, 1102.0}, near[3] = {1100.0, 1100.0, 1101.0};
  CVDispUnt* a = Unit(1, 1, "dest", far);
  CVDispUnt* b = Unit(2, 2, "dest", near);
  CVDispHal* billboard = list->AttachHalo(a, 4, 8, 0);
  ASSERT_NE(billboard, nullptr);
  EXPECT_EQ(billboard->cube, 0u);
  EXPECT_EQ(list->AttachHalo(a, 3, 8, 0), nullptr);  // one halo an owner
  CVDispHal* cube = list->AttachHalo(b, 4, kLocal, 1);
  ASSERT_NE(cube, nullptr);
  EXPECT_EQ(cube->cube, 1u);
  EXPECT_EQ(cube->GetType(), DISP_SELECTION_HALO);
  EXPECT_EQ(cube->attached, 1u);  // the owner hangs on the cube
  // The selection blinks: hidden and let go, shown and hung on again.
  EXPECT_EQ(cube->Update(1), 1u);
  EXPECT_EQ(cube->visible, 0u);
  EXPECT_EQ(cube->attached, 0u);
  EXPECT_EQ(cube->Update(1), 1u);
  EXPECT_EQ(cube->visible, 1u);
  EXPECT_EQ(cube->attached, 1u);
  EXPECT_EQ(billboard->Update(0), 0u);
  // A pick on the cube takes its owner.
  list->Update(1, 0, 0);
  ASSERT_EQ(world->RenderFrame(), 1u);
  int x = 0, y = 0;
  b->GetScreenPosition(&x, &y);
  EXPECT_EQ(list->Pick(CVSgWorld::kViewLeft + x, CVSgWorld::kViewTop + y, nullptr), b);
}

TEST_F(SceneTest, HaloFormsLinesAndAMarkerShowOverTheStarField) {
  const double eye[3] = {1100.0, 1104.0, 1088.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  FakeView view;
  g_currentView = &view;
  const double p1[3] = {1097.0, 1101.0, 1100.0}, p2[3] = {1103.0, 1100.5, 1100.0}, p3[3] = {1100.0, 1102.0, 1103.0};
  CVDispUnt* u1 = Unit(0, 1, "batt", p1);
  CVDispUnt* u2 = Unit(3, 2, "cons", p2);
  CGAsteroid rock(5);
  rock.owner = kLocal;
  CVDispAst* a = list->CreateAsteroid(&rock, 0);
  a->SetPosition(p3);
  u1->SelectViewMaterial(255);
  u2->SelectViewMaterial(255);
  ASSERT_NE(list->AttachHalo(u1, 4, 0, 0), nullptr);   // cube of guild 1, near
  ASSERT_NE(list->AttachHalo(a, 3, 255, 0), nullptr);  // the plain halo
  list->CreateLines(1098.0);
  g_currentView = nullptr;
  Frame();
  EXPECT_TRUE(quentest::MatchesGolden(View(), Golden("scene_halos_lines")));
}

TEST_F(SceneTest, FindTakesTheNewestAndRemovalsKeepTheCount) {
  const double p[3] = {1100.0, 1100.0, 1100.0};
  CVDispUnt* older = Unit(0, 5, "crus", p);
  CVDispUnt* newer = Unit(0, 5, "crus", p);
  EXPECT_EQ(list->Find(DISP_UNIT, 5), newer);
  EXPECT_EQ(list->unitCount, 2u);
  EXPECT_EQ(list->RemoveUnit(5), 1u);
  EXPECT_EQ(list->Find(DISP_UNIT, 5), older);
  EXPECT_EQ(list->unitCount, 1u);
  EXPECT_EQ(list->Remove(DISP_UNIT, 99), 0u);
  const std::uint32_t foreign = (3u << 26) | 7, own = (static_cast<std::uint32_t>(kLocal) << 26) | 8;
  list->CreateUnitFromTemplate(foreign, "dest", 0);
  list->CreateUnitFromTemplate(own, "dest", 0);
  list->RemoveForeignUnits();
  EXPECT_EQ(list->Find(DISP_UNIT, foreign), nullptr);
  EXPECT_NE(list->Find(DISP_UNIT, own), nullptr);
  EXPECT_EQ(list->Find(DISP_UNIT, 5), nullptr);  // guild 0's unit went too
  list->Clear();
  EXPECT_EQ(list->head, nullptr);
  EXPECT_EQ(list->unitCount, 0u);
}

TEST_F(SceneTest, APickLeadsToTheUnitAndPassesTransparentTexelsAndGridsAndRefusesOtherKinds) {
  const double eye[3] = {1100.0, 1100.0, 1090.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  FakeView view;
  g_currentView = &view;
  const double front[3] = {1100.0, 1100.0, 1095.0}, back[3] = {1100.0, 1100.0, 1100.0};
  CVDispUnt* near = Unit(0, 1, "crus", front);
  CVDispUnt* behind = list->CreateUnitFromTemplate(2, "batt", 0);
  behind->SetPosition(back);
  SGInstanceScale(behind->instance, 4.f);  // fills the view behind the near one
  near->SelectViewMaterial(255);
  behind->SelectViewMaterial(255);
  g_currentView = nullptr;
  Frame();
  const int cx = CVSgWorld::kViewLeft + CVSgWorld::kViewWidth / 2,
            cy = CVSgWorld::kViewTop + CVSgWorld::kViewHeight / 2;
  // The middle of the near ship's picture is its hull.
  DisplayPickHit hit;
  EXPECT_EQ(list->Pick(cx, cy, &hit), near);
  EXPECT_NE(hit.instance, nullptr);
  // A corner of its picture is transparent: the pick goes through to the one behind.
  int x = 0, y = 0;
  near->GetScreenPosition(&x, &y);
  EXPECT_EQ(list->Pick(cx + 16, cy - 18, nullptr), behind);
  // Kinds that are not picked are refused with the message.
  CDispLine* line = list->CreateLine(nullptr, 0, 0);
  ASSERT_NE(line, nullptr);
  line->SetPosition(front);
  line->SetLength(30.f, 0);
  line->SetPickable(1);
  Frame();
  Messages().clear();
  EXPECT_EQ(list->Pick(cx, cy, nullptr), nullptr);
  EXPECT_EQ(Messages(), std::vector<std::string>{"DisplayList::Pick - Invalid LOS object!"});
}

TEST_F(SceneTest, BetweenStepsOnlyProjectilesMoveAndExplosionsEndAfterTheirLastFrame) {
  const double eye[3] = {1100.0, 1100.0, 1080.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  CDispModel* shot = list->CreateModel(0, 0xFFFF, 0, 0);
  ASSERT_NE(shot->instance, nullptr);
  const double from[3] = {1095.0, 1100.0, 1100.0}, to[3] = {1105.0, 1100.0, 1100.0};
  shot->SetPosition(from);
  std::minstd_rand scatter;
  shot->Launch(to, scatter);
  char dir[300];
  std::snprintf(dir, sizeof dir, "%sexplode\\", g_instData.Get3DPath());
  CVDispExp* boom = list->CreateExplosion(3, "exp100", dir, nullptr, 0, 0);
  ASSERT_NE(boom->instance, nullptr);
  // 60 ms in the replay's mode: the projectile flies, the explosion waits.
  g_animElapsedMs = 60;
  EXPECT_EQ(list->Update(1, 0, 6), 1u);
  double p[3];
  shot->GetPosition(p);
  EXPECT_GT(p[0], from[0]);
  EXPECT_EQ(boom->frame, 0u);
  EXPECT_EQ(g_animElapsedMs, 60u);
  // Eight frames, then two more steps, then it is gone.
  int steps = 0;
  while (list->Find(DISP_EXPLOSION, 3) && steps < 20) {
    g_animElapsedMs = 75;
    list->Update(1, 0, 0);
    ++steps;
  }
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(g_animElapsedMs, 0u);
}

TEST_F(SceneTest, AProjectileArrivesAndIsRemovedOrExplodesTwoStepsLater) {
  // At 100 frames a second a step is 0.1333 units.
  g_frameRate = 100.0;
  const double from[3] = {1100.0, 1100.0, 1100.0}, to[3] = {1101.0, 1100.0, 1100.0};
  CDispModel* plain = list->CreateModel(0, 0xFFFF, 0, 0);
  plain->SetPosition(from);
  std::minstd_rand scatter;
  plain->Launch(to, scatter);
  int steps = 0;
  while (plain->Update(0) && steps < 100) ++steps;
  double p[3];
  plain->GetPosition(p);
  EXPECT_NEAR(p[0], 1101.0, 0.2);
  CDispModel* bursting = list->CreateModel(0, 0xFFFF, 1, 0);
  bursting->SetPosition(from);
  bursting->Launch(to, scatter);
  bursting->direction[0] = 1.f;
  bursting->direction[1] = bursting->direction[2] = 0.f;
  int after = 0;
  while (bursting->Update(0) && after < 100) ++after;
  EXPECT_EQ(after, steps + 2);
  g_frameRate = 10.0;
  // Stepping the list replaces it with an explosion.
  g_animElapsedMs = 75;
  bursting->speed = 1.f;
  bursting->overshoot = 2;
  list->Update(1, 0, 0);
  EXPECT_EQ(list->Find(DISP_MODEL, 0xFFFF), nullptr);
  EXPECT_NE(list->Find(DISP_EXPLOSION, 0xFF), nullptr);
}

TEST_F(SceneTest, AStarFlaresNowAndThenAndTheMarkerBlinks) {
  CGStar star(0);
  CVDispStr* sun = list->CreateStar(&star, 0);
  const double at[3] = {1100.0, 1100.0, 1100.0};
  sun->SetPosition(at);
  int steps = 0;
  while (!sun->flareName && steps < 1000) {
    sun->Update(0);
    ++steps;
  }
  ASSERT_NE(sun->flareName, nullptr);
  EXPECT_STREQ(sun->flareName, "sflr00");
  ASSERT_NE(sun->children, nullptr);
  EXPECT_EQ(sun->children->object->GetType(), DISP_EXPLOSION);
  int running = 0;
  while (sun->Update(0) && running < 50) ++running;
  EXPECT_EQ(sun->flareName, nullptr);
  EXPECT_EQ(sun->children, nullptr);
  CDispAst3D* marker = list->Create3DAsteroid();
  ASSERT_NE(marker->instance, nullptr);
  EXPECT_EQ(marker->guild, kLocal >> 3);
  const std::uint32_t first = marker->visible;
  marker->Update(0);
  EXPECT_NE(marker->visible, first);
  marker->Update(0);
  EXPECT_EQ(marker->visible, first);
}

TEST_F(SceneTest, ASunsNextFlareRunsOnTheSameFlareAndDrawsAsItsFirstWithoutANewBlock) {
  const double eye[3] = {1100.0, 1103.0, 1080.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  CGStar star(0);
  CVDispStr* sun = list->CreateStar(&star, 0);
  const double sunAt[3] = {1104.0, 1102.5, 1104.0};
  sun->SetPosition(sunAt);
  // Seeds whose first draw starts a flare, and does not.
  const auto seedWhere = [](bool flares) {
    for (std::uint32_t seed = 1;; ++seed) {
      plat::srand(seed);
      if (((plat::rand() & 63) == 0) == flares) return seed;
    }
  };
  // An animation step and its frame.
  const auto step = [&] {
    g_animElapsedMs = 1000;
    list->Update(1, 0, 0);
    ASSERT_EQ(world->RenderFrame(), 1u);
  };
  plat::srand(seedWhere(false));
  step();
  const plat::Image still = View();
  const auto flare = [&] {
    std::vector<plat::Image> frames;
    plat::srand(seedWhere(true));
    do {
      step();
      frames.push_back(View());
    } while (sun->flareName && frames.size() < 100);
    return frames;
  };
  const std::vector<plat::Image> first = flare();
  ASSERT_GT(first.size(), 2u);
  EXPECT_NE(first[1].rgb, still.rgb);
  ASSERT_EQ(sun->flareName, nullptr);
  EXPECT_EQ(sun->children, nullptr);
  const std::uint64_t blocks = SGMallocCount();
  const std::vector<plat::Image> second = flare();
  EXPECT_EQ(SGMallocCount(), blocks);
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) EXPECT_TRUE(second[i].rgb == first[i].rgb) << "frame " << i;
  // Put away, it draws nothing.
  plat::srand(seedWhere(false));
  step();
  EXPECT_TRUE(View().rgb == still.rgb);
}

TEST_F(SceneTest, AsteroidsTakeTheirPictureOrModelBySizeClass) {
  CGAsteroid rock(17);
  rock.sizeClass = 2;
  CVDispAst* picture = list->CreateAsteroid(&rock, 0);
  ASSERT_NE(picture->instance, nullptr);
  EXPECT_FLOAT_EQ(picture->GetScale(), 1.2f);
  bool found = false;
  for (std::size_t i = 0; i < CVDispObj::CacheCount(); ++i)
    found = found || CVDispObj::CacheName(i).find("PreRend\\ast02_ds.mat") != std::string::npos;
  EXPECT_TRUE(found);
  const std::uint32_t before = CVDispAst::ModelsLoaded();
  CVDispAst* model = list->CreateAsteroid(&rock, 3);
  ASSERT_NE(model->instance, nullptr);
  EXPECT_EQ(CVDispAst::ModelsLoaded(), before + 1);
  EXPECT_FLOAT_EQ(model->GetScale(), 1.3f);
  std::string name = "ast01.mat";
  model->AdjustMaterialName(name);
  EXPECT_EQ(name, "ast02.mat");
  double p[3];
  model->GetPosition(p);
  EXPECT_EQ(p[0], 1100.0);
}

TEST_F(SceneTest, UnitsMoveInEightStepsFlyOutAndKeepTheirOrders) {
  const double start[3] = {1100.0, 1100.0, 1100.0}, goal[3] = {1180.0, 1100.0, 1100.0};
  CVDispUnt* u = Unit(2, 3, "crus", start);
  u->MoveTo(goal);
  EXPECT_FLOAT_EQ(u->stepLength, 10.f);
  double p[3];
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(u->Update(0), 1u);
    u->GetPosition(p);
    EXPECT_NEAR(p[0], 1100.0 + 10.0 * i, 1e-6);
  }
  EXPECT_EQ(p[0], 1180.0);
  EXPECT_EQ(u->Update(0), 0u);
  u->MoveTo(goal);  // already there: no step
  EXPECT_EQ(u->stepLength, 0.f);
  const double edge[3] = {1390.0, 1100.0, 1100.0};
  u->SetPosition(edge);
  EXPECT_EQ(u->FlyOut(), 0u);
  int steps = 0;
  while (u->FlyOut() == 0 && steps < 50) {
    u->Update(0);
    ++steps;
  }
  u->GetPosition(p);
  EXPECT_GE(p[0], 1400.0);
  EXPECT_EQ(u->stepLength, 0.f);
  u->SetWrecked(1);
  EXPECT_EQ(u->baseName, "reck30");
  std::uint8_t order[32] = {};
  order[28] = 12;
  u->QueueOrder(order);
  EXPECT_EQ(u->GetFirstOrderType(), 12);
  EXPECT_EQ(u->ordersDone, 0);
  std::array<std::uint8_t, 32> taken{};
  ASSERT_TRUE(u->TakeFirstOrder(&taken));
  EXPECT_EQ(taken[0] | taken[1] << 8 | taken[2] << 16 | static_cast<std::uint32_t>(taken[3]) << 24, u->key.id);
  EXPECT_EQ(u->GetFirstOrderType(), -1);
}

TEST_F(SceneTest, LinesSpanToThePlaneAndObjectsReportWhereTheyAre) {
  const double eye[3] = {1100.0, 1100.0, 1080.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  const double p[3] = {1100.0, 1100.0, 1100.0};
  CVDispUnt* u = Unit(0, 1, "crus", p);
  CDispLine* line = list->CreateLine(u, 0, 0);
  line->SetSpan(1000.2, 1000.0);
  EXPECT_EQ(line->visible, 0u);
  line->SetSpan(1100.0, 1098.0);
  EXPECT_EQ(line->visible, 1u);
  EXPECT_NEAR(line->GetLength(), 2.0 - 0.51, 1e-4);
  EXPECT_EQ(list->CreateLine(u, 0, 0), line);  // the owner's line again
  // An object at the origin with children leaves them where they are.
  double childAt[3];
  line->GetPosition(childAt);
  const double origin[3] = {0.0, 0.0, 0.0};
  u->SetPosition(origin);
  double after[3];
  line->GetPosition(after);
  EXPECT_EQ(after[1], childAt[1]);
  int x = 0, y = 0;
  u->SetPosition(p);
  u->GetScreenPosition(&x, &y);
  EXPECT_NEAR(x, 295, 2);
  EXPECT_NEAR(y, 186, 2);
  const double behind[3] = {1100.0, 1100.0, 1070.0};
  u->SetPosition(behind);
  u->GetScreenPosition(&x, &y);
  EXPECT_EQ(x, 32767);
  EXPECT_EQ(u->LoadBillboard(5), 0u);
}

TEST_F(SceneTest, TheMaterialCacheDropsItsOldestAndTellsMirroredPicturesFromPlainOnes) {
  const double p[3] = {1100.0, 1100.0, 1100.0};
  CVDispUnt* u = Unit(0, 1, "crus", p);
  const char* dir = g_instData.GetGuild3DPath(0);
  ASSERT_EQ(u->LoadMaterial("crus1006.mat", dir, 0), 1u);
  SGMaterial* plain = u->materials[0];
  ASSERT_EQ(u->LoadMaterial("crus1006.mat", dir, 1), 1u);
  SGMaterial* mirrored = u->materials[0];
  // The keys differ only in their last characters: the whole key decides.
  EXPECT_NE(mirrored, plain);
  const SGTextureMap* a = plain->matTexMap;
  const SGTextureMap* b = mirrored->matTexMap;
  ASSERT_TRUE(a && b);
  // The mirrored picture is the other side's, turned back: not the plain one.
  EXPECT_NE(std::memcmp(a->txmInfo->tpiTexels, b->txmInfo->tpiTexels, a->txmPitch * a->txmSize.u[1]), 0);
  ASSERT_EQ(u->LoadMaterial("crus1006.mat", dir, 0), 1u);
  EXPECT_EQ(u->materials[0], plain);
  // The 81st entry drops the first.
  const std::string first = CVDispObj::CacheName(0);
  const std::size_t before = CVDispObj::CacheCount();
  for (std::size_t i = before; i <= CVDispObj::kCacheSize; ++i) {
    auto* m = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
    m->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
    ASSERT_EQ(CVDispObj::CacheAdd(m, "extra" + std::to_string(i) + ".mat", 1), 1u);
  }
  EXPECT_EQ(CVDispObj::CacheCount(), CVDispObj::kCacheSize);
  EXPECT_NE(CVDispObj::CacheName(0), first);
  EXPECT_EQ(CVDispObj::CacheName(CVDispObj::kCacheSize - 1), "extra80.mat");
}

// A long game loads more pictures than the cache holds: an entry dropped while
// objects still draw its material must leave that material to its last user.
TEST_F(SceneTest, AMaterialDroppedFromAFullCacheLivesUntilItsLastUserLetsGo) {
  const double p[3] = {1100.0, 1100.0, 1100.0};
  CVDispUnt* users[3] = {Unit(0, 1, "crus", p), Unit(0, 2, "crus", p), Unit(0, 3, "crus", p)};
  auto fill = [n = 0]() mutable {  // unused entries, two blocks each
    for (std::size_t i = 0; i < CVDispObj::kCacheSize; ++i) {
      auto* m = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
      m->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
      CVDispObj::CacheAdd(m, "filler" + std::to_string(n++) + ".mat", 1);
    }
  };
  fill();
  const char* dir = g_instData.GetGuild3DPath(0);
  // The first two share the plain picture; the third alone has the mirrored one.
  for (int u = 0; u < 3; ++u) ASSERT_EQ(users[u]->LoadMaterial("crus1006.mat", dir, u / 2), 1u);
  // The fillers older than the three go, each freed as the next comes in.
  const std::size_t before = SGMallocLiveBlocks();
  fill();
  const bool kept = SGMallocLiveBlocks() == before + 4;
  if (!kept)  // destroyed under the objects: not released again by a failed run
    for (CVDispUnt* u : users) u->materials[0] = nullptr, u->materialCount = 0;
  ASSERT_TRUE(kept) << "a dropped entry destroyed a material still drawn";
  users[1]->ReleaseMaterials();
  EXPECT_EQ(SGMallocLiveBlocks(), before + 4) << "the first still draws the shared material";
  users[0]->ReleaseMaterials();
  const std::size_t afterShared = SGMallocLiveBlocks();
  EXPECT_LT(afterShared, before + 4) << "the last user's release frees the dropped material";
  users[2]->ReleaseMaterials();
  EXPECT_LT(SGMallocLiveBlocks(), afterShared);
}

TEST_F(SceneTest, TheGridLiesFlatCarriesTheCursorAndLetsPicksThroughToUnits) {
  const double eye[3] = {1100.0, 1106.0, 1092.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  CDispGrid* grid = list->CreateGrid(0);
  ASSERT_NE(grid->instance, nullptr);
  grid->SetPosition(at);
  float box[6];
  grid->ApplyPendingTransform();
  SGInstanceGetBounds(grid->instance, box);
  EXPECT_LT(box[4] - box[1], 0.1f);  // thin along y: flat
  EXPECT_NEAR(box[3] - box[0], 6.25f, 0.01f);
  // The cursor near the texture's left edge keeps its window at column 0.
  const SGTextureMap* txm = grid->materials[0]->matTexMap;
  const std::uint8_t under = txm->txmInfo->tpiTexels[0];
  const double edge[3] = {1.0 / (txm->txmSize.u[0] * 0.04), 0.0, 10.0 / (txm->txmSize.u[1] * 0.04)};
  EXPECT_EQ(grid->MarkCursor(edge), 1u);
  EXPECT_EQ(grid->left, 0);
  EXPECT_EQ(grid->top, 6);
  EXPECT_EQ(txm->txmInfo->tpiTexels[6 * txm->txmPitch + 0], CDispGrid::kCursorIndex);
  EXPECT_EQ(txm->txmInfo->tpiTexels[(6 + 7) * txm->txmPitch + 1],
            CDispGrid::kCursorIndex);  // the fifth column, cut by 3
  grid->RestoreCursorBlock();
  EXPECT_EQ(txm->txmInfo->tpiTexels[6 * txm->txmPitch + 0], under);
  // A click on the grid alone picks the grid; with a unit beneath, the unit.
  const double middle[3] = {12.5, 0.0, 12.5};
  grid->MarkCursor(middle);
  Frame();
  const int cx = CVSgWorld::kViewLeft + CVSgWorld::kViewWidth / 2,
            cy = CVSgWorld::kViewTop + CVSgWorld::kViewHeight / 2;
  EXPECT_EQ(list->Pick(cx, cy, nullptr), grid);
  EXPECT_TRUE(quentest::MatchesGolden(View(), Golden("scene_grid")));
  FakeView view;
  g_currentView = &view;
  const double below[3] = {1100.0, 1099.0, 1100.0};
  CVDispUnt* u = Unit(0, 4, "batt", below);
  SGInstanceScale(u->instance, 3.f);
  u->SelectViewMaterial(255);
  g_currentView = nullptr;
  Frame();
  int x = 0, y = 0;
  u->GetScreenPosition(&x, &y);
  EXPECT_EQ(list->Pick(CVSgWorld::kViewLeft + x, CVSgWorld::kViewTop + y, nullptr), u);
}

TEST_F(SceneTest, AShieldCarriesItsUnitAndGivesItBackWhereItEnds) {
  const double eye[3] = {1100.0, 1100.0, 1090.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  CVDispUnt* u = Unit(0, 1, "crus", at);
  u->ApplyPendingTransform();
  char dir[300];
  std::snprintf(dir, sizeof dir, "%sg1\\shieldfx\\", g_instData.Get3DPath());
  CVDispExp* shield = list->CreateExplosion(9, "@shld00", dir, u, 1, 1);
  ASSERT_NE(shield->instance, nullptr);
  EXPECT_EQ(shield->attached, 1u);
  EXPECT_EQ(shield->key.pickId, u->key.id);    // a pick on the shield takes the unit
  EXPECT_EQ(u->instance->instScene, nullptr);  // carried on the shield's hard point
  // The unit moves inside its shield.
  const double to[3] = {1104.0, 1100.0, 1100.0};
  u->MoveTo(to);
  u->Update(0);
  double p[3];
  shield->GetPosition(p);
  EXPECT_NEAR(p[0], 1100.5, 1e-4);
  // A looping shield starts again after its last frame.
  for (int i = 0; i < 8; ++i) shield->Update(0);  // frames 1 to 7, then 0 again
  EXPECT_EQ(shield->frame, 1u);
  u->RemoveChild(shield);
  EXPECT_EQ(u->instance->instScene, world->solarScene);
  double back[3];
  SGInstanceGetPosition(u->instance, back);
  EXPECT_NEAR(back[0], 1100.5, 1e-4);
}

TEST_F(SceneTest, ExplosionsPreloadTheirFramesAndDriftTowardsTheEye) {
  const double eye[3] = {1100.0, 1100.0, 1090.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  char dir[300];
  std::snprintf(dir, sizeof dir, "%sexplode\\", g_instData.Get3DPath());
  CVDispExp* boom = list->CreateExplosion(1, "rap200", dir, nullptr, 0, 0);
  ASSERT_NE(boom->instance, nullptr);
  const std::size_t before = CVDispObj::CacheCount();
  boom->PreloadFrames();
  EXPECT_EQ(CVDispObj::CacheCount(), before + 7);  // frames 02 to 08
  boom->SetPosition(at);
  std::uint32_t left = 99;
  boom->Drift(&left);
  EXPECT_EQ(left, 27u);
  double p[3];
  boom->GetPosition(p);
  EXPECT_NEAR(p[2], 1100.0 - 9.0 / 30.0, 1e-4);  // a thirtieth of the way to one unit before the eye
  std::string name = "cube0.mat";
  CVDispUnt* owner = Unit(2, 3, "dest", at);
  CVDispHal* halo = list->AttachHalo(owner, 4, 2 * 8 + 1, 0);
  halo->AdjustMaterialName(name);
  EXPECT_EQ(name, "cube3.mat");
  halo->chapter = kLocal;
  name = "cube0.mat";
  halo->AdjustMaterialName(name);
  EXPECT_EQ(name, "cube3_me.mat");
}

// The frames a burst loads ahead (the battle replay's debris does) are drawn
// in the burst's own glowing colours, as its first frame is: no frame turns
// into a patchwork of the screen's palette.
TEST_F(SceneTest, PreloadedBurstFramesKeepTheBurstsOwnColours) {
  const double eye[3] = {1100.0, 1100.0, 1090.0}, at[3] = {1100.0, 1100.0, 1093.0};
  Look(eye, at);
  char dir[300];
  std::snprintf(dir, sizeof dir, "%sexplode\\", g_instData.Get3DPath());
  CVDispExp* debris = list->CreateExplosion(1, "sdbr00", dir, nullptr, 0, 1);
  ASSERT_NE(debris->instance, nullptr);
  debris->SetPosition(at);
  debris->PreloadFrames();
  // The middle of the view, which the burst covers from its first frame.
  const int x0 = CVSgWorld::kViewWidth / 2 - 40, y0 = CVSgWorld::kViewHeight / 2 - 40;
  for (std::uint32_t frame = 1; frame <= 5; ++frame) {
    g_animElapsedMs = 75;
    list->Update(1, 0, 0);
    ASSERT_EQ(world->RenderFrame(), 1u);
    const plat::Image view = View();
    int lit = 0, foreign = 0;
    for (int y = y0; y < y0 + 80; ++y) {
      for (int x = x0; x < x0 + 80; ++x) {
        const std::uint32_t p = view.rgb[static_cast<std::size_t>(y) * view.width + x];
        const int r = static_cast<int>(p >> 16), g = static_cast<int>((p >> 8) & 0xFF), b = static_cast<int>(p & 0xFF);
        if (r + g + b < 60) continue;
        ++lit;
        // A glow runs from dark red through orange to pale yellow: never bluer
        // or much greener than it is red.
        if (b > r || g > r + 40) ++foreign;
      }
    }
    EXPECT_GT(lit, 800) << "frame " << frame;
    EXPECT_EQ(foreign, 0) << "frame " << frame << " of " << lit << " lit pixels";
  }
}

TEST_F(SceneTest, HeightLinesFollowTheirObjectsAndGoAgain) {
  const double p[3] = {1100.0, 1104.0, 1100.0};
  CVDispUnt* u = Unit(1, 2, "dest", p);
  CGAsteroid rock(3);
  CVDispAst* a = list->CreateAsteroid(&rock, 0);
  const double q[3] = {1102.0, 1097.0, 1100.0};
  a->SetPosition(q);
  list->CreateLines(1100.0);
  ASSERT_NE(u->children, nullptr);
  auto* up = static_cast<CDispLine*>(u->children->object);
  auto* down = static_cast<CDispLine*>(a->children->object);
  EXPECT_EQ(up->chapter, 8);  // the unit's chapter: guild 1's colour
  EXPECT_GT(up->GetLength(), 0.0);
  EXPECT_LT(down->GetLength(), 0.0);  // below the plane, the line points down
  // The unit climbs: its line grows with it.
  const double higher[3] = {1100.0, 1106.0, 1100.0};
  u->SetPosition(higher);
  const double before = up->GetLength();
  list->UpdateLines(1100.0);
  EXPECT_GT(up->GetLength(), before);
  // A drawing mark left on the scene is cleared with the lines.
  SGSceneSetFlags(world->solarScene, SG_SCN_FLAG_DRAWING);
  list->RemoveLines();
  world->ResetSceneDrawFlag();
  std::uint32_t flags = 0;
  SGSceneGetFlags(world->solarScene, &flags);
  EXPECT_EQ(flags & SG_SCN_FLAG_DRAWING, 0u);
  EXPECT_EQ(u->children, nullptr);
  EXPECT_EQ(a->children, nullptr);
}

TEST_F(SceneTest, UnitsTurnStepByStepAndSpreadTheirMovesOverTurns) {
  const double eye[3] = {1100.0, 1100.0, 1080.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  CVDispUnt* u = Unit(0, 1, "crus", at);
  EXPECT_EQ(u->FaceParts(5), 1u);  // forward by one heading length
  double p[3];
  u->GetPosition(p);
  EXPECT_NEAR(p[0], 1101.0, 1e-6);
  EXPECT_EQ(u->TurnStep(4), 1u);
  u->GetPosition(p);
  EXPECT_NEAR(p[0], 1100.0, 1e-6);
  u->TurnStep(1);  // an eighth of a turn about the camera's up
  EXPECT_NEAR(u->heading[0], 0.7071f, 1e-3);
  EXPECT_NEAR(std::fabs(u->heading[2]), 0.7071f, 1e-3);
  EXPECT_EQ(u->TurnStep(9), 1u);  // unknown codes change nothing
  EXPECT_NEAR(u->heading[0], 0.7071f, 1e-3);
  // A move of 80 spread over two turns: 8 x 2 + 8 steps.
  const double goal[3] = {1180.0, 1100.0, 1100.0};
  u->MoveTo(goal);
  u->SetMoveTurns(2);
  EXPECT_EQ(u->stepsLeft, 24);
  EXPECT_NEAR(u->stepLength, (8.5 * 10.0) / 22.0, 1e-4);
  // Finishing puts it on its target at once.
  u->SetSpeed(0.f, 1);
  u->GetPosition(p);
  EXPECT_EQ(p[0], 1180.0);
  EXPECT_EQ(u->stepLength, 0.f);
}

}  // namespace
