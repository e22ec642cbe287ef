// A generated scene drawn by the world over its star field, as a player sees
// it: units from every view code, asteroids, a sun with its flare, halos as
// billboards and cubes, height lines; and what the display list makes, finds,
// steps, removes and picks.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GStar.h"
#include "Game/views/world/CDispAst3D.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CDispModel.h"
#include "Game/views/world/CVDispAst.h"
#include "Game/views/world/CVDispExp.h"
#include "Game/views/world/CVDispHal.h"
#include "Game/views/world/CVDispStr.h"
#include "Game/views/world/CVDispUnt.h"
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
    CVDispUnt* u = list->CreateUnitFromTemplate(id, cls, 0, 1.0f);
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

}  // namespace
