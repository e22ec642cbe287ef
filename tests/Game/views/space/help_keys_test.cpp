// The help topics of the game screen and of the two space views tell only of
// keys the views answer: each key a topic names, pressed in its view, is taken.
#include <gtest/gtest.h>

#include <filesystem>

#include "Game/views/frame/CVGeneric.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/build_paths.h"
#include "tests/support/help_keys.h"

namespace {

using namespace plat;
using space_test::SpaceWorld;
using space_test::TestView;

class HelpKeys : public SpaceWorld {
 protected:
  // What a key did: the 3D views answer 0 for a key of theirs; the keys of
  // the framework's own table switch views, choose a goto group or toggle the
  // info panel, whatever they answer.
  bool Taken(TestView& v, UINT code) {
    const std::size_t switches = v.views.size();
    // No group a digit chooses, so that each digit shows.
    SharedScreen().gotoGroup = 0xFF;
    const std::uint8_t group = SharedScreen().gotoGroup;
    const std::uint32_t panel = SharedScreen().infoPanelVisible;
    const int answer = v.OnKeyDown(code, 0);
    v.OnKeyUp(code, 0);
    v.startScreenShown = 0;
    const bool taken = answer == 0 || v.views.size() != switches || SharedScreen().gotoGroup != group ||
                       SharedScreen().infoPanelVisible != panel;
    SharedScreen().gotoGroup = 0;
    return taken;
  }
  void CheckTopic(int topic, ViewType type) {
    const std::string text =
        quentest::HelpTopicText(std::filesystem::path(QUEN_SOURCE_DIR) / "data/help/topics.txt", topic);
    ASSERT_FALSE(text.empty()) << topic;
    TestView& v = Make3D(type);
    v.startScreenShown = 0;
    // A key no view answers is refused, so that the check can fail.
    EXPECT_FALSE(Taken(v, 'Q'));
    for (const quentest::NamedKey& key : quentest::KeysNamedIn(text)) {
      bool taken = false;
      for (UINT code : key.codes) taken = Taken(v, code) || taken;
      EXPECT_TRUE(taken) << "topic " << topic << " names \"" << key.name << "\"";
    }
  }
};

TEST_F(HelpKeys, TheKeysReadFromATextAreThePlayersKeys) {
  const auto keys = quentest::KeysNamedIn("Hold the arrow keys; I or O (+ or -) zoom, F3 and Tab. Re-enter");
  std::vector<std::string> names;
  for (const auto& k : keys) names.push_back(k.name);
  EXPECT_EQ(names, (std::vector<std::string>{"arrow keys", "Tab", "I", "O", "+", "-", "F3"}));
  EXPECT_EQ(keys[0].codes.size(), 4u);
  EXPECT_EQ(keys.back().codes, std::vector<UINT>{VK_F3});
}

TEST_F(HelpKeys, EveryKeyTheSpaceTopicsNameIsTaken) {
  CheckTopic(304, VIEW_SOLAR);
  CheckTopic(305, VIEW_ASTEROID_SPACE);
  // The game screen's topic names the goto groups' digit keys.
  CheckTopic(201, VIEW_ASTEROID_SPACE);
}

}  // namespace
