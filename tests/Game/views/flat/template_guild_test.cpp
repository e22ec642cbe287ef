// The template list's lines during a game: the design's guild by its name,
// as the game's texts give it.
#include <gtest/gtest.h>

#include <string>

#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GUnitTem.h"
#include "platform/resource/module.h"
#include "tests/Game/model/root/root_fixture.h"

namespace {

class TemplateGuildTest : public root_test::RootGame {
 protected:
  TemplateGuildTest() { plat::SetProgramModulePath(std::string(QUEN_BUILD_DIR) + "/Game/quenbar.dll"); }
  ~TemplateGuildTest() override { plat::SetProgramModulePath(""); }
  // The description of a template file whose header names `chapter`, class 8.
  std::string Description(std::uint8_t chapter) {
    box.Write("ship.tpl", std::string{'\x02', static_cast<char>(chapter), '\x08'});
    char out[128] = {};
    EXPECT_EQ(GetTemplateFileDescription("C:\\", "ship", "tpl", out), 1);
    return out;
  }
};

TEST_F(TemplateGuildTest, ADesignNamesItsGuildWhileAGameRunsAndNoneAfter) {
  {
    auto game = NewGame(9);
    ASSERT_EQ(RulesFacts().GuildName(2), "Blue Talon Corps");
    EXPECT_EQ(Description(0 * 8 + 3).rfind(" - Crimson Dawn ", 0), 0u);
    EXPECT_EQ(Description(2 * 8 + 1).rfind(" - Blue Talon Corps ", 0), 0u);
    EXPECT_EQ(Description(4 * 8 + 7).rfind(" - Diamond Cooperative ", 0), 0u);
    // A chapter byte past the five guilds names none.
    EXPECT_EQ(Description(5 * 8).rfind(" -  ", 0), 0u);
    EXPECT_EQ(Description(255).rfind(" -  ", 0), 0u);
  }
  EXPECT_EQ(RulesFacts().GuildName(2), "");
}

}  // namespace
