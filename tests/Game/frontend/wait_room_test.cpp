// The waiting room inside the front end of a real application on the
// headless backend, over a stand-in library whose sends are recorded.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "Game/app/CClntApp.h"
#include "Game/frontend/WaitScreen.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "platform/user/keys.h"
#include "tests/Game/app/shell_fixture.h"
#include "tests/Game/net/fake_multi.h"

namespace {

using namespace plat;

struct WaitRoom : shelltest::ShellFixture {
  std::vector<nettest::Sent> sent;  // what the room sent through the library

  // Runs the room once in a new application whose session holds the local
  // player (77, chapter 6) and another; `input` queues the player's input.
  std::int16_t Run(const std::function<void()>& input) {
    std::int16_t result = -1;
    g_appLinks.runScreenFlow = [&](CClntApp& app, int) {
      auto fake = std::make_unique<nettest::FakeMulti>();
      nettest::FakeMulti* library = fake.get();
      library->players = {HvMPlayerInfo{77, false, true, "Me", "Me"}, HvMPlayerInfo{78, false, false, "You", "You"}};
      g_session->player.id = 77;
      g_session->queue = std::make_unique<CPacketQueue>(fake.get(), 5);
      g_session->multi = std::move(fake);
      app.m_chapterId = 6;
      app.m_host = 1;
      input();
      result = RunWaitDlg(app);
      sent = library->sent;
      g_session->queue.reset();
      return 0;
    };
    CreateClntApp(program, SW_SHOW, "");
    return result;
  }
  // The packets of `type` the room sent, in order.
  std::vector<std::vector<std::uint8_t>> SentOf(unsigned type) const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& s : sent)
      if (s.bytes.size() >= 2 && static_cast<unsigned>(s.bytes[0] | s.bytes[1] << 8) == type) out.push_back(s.bytes);
    return out;
  }
};

// However the player leaves (the button or Escape), the others learn it: the
// chapter is given up and the player is no longer ready.
void ExpectLeftTold(const WaitRoom& room) {
  const auto leaves = room.SentOf(3);
  ASSERT_EQ(leaves.size(), 1u);
  ASSERT_EQ(leaves[0].size(), 48u);
  EXPECT_EQ(leaves[0][8], 106);
  EXPECT_EQ(leaves[0][10], 6);
  const auto ready = room.SentOf(32);
  ASSERT_EQ(ready.size(), 2u);  // ready on opening, not ready on leaving
  EXPECT_EQ(ready[0][12], 1);
  EXPECT_EQ(ready[1][12], 0);
}

TEST_F(WaitRoom, LeavingByTheButtonTellsTheOthers) {
  EXPECT_EQ(Run([&] { backend->Click(609, 74, input::Button::Left, 10); }), 8);
  ExpectLeftTold(*this);
}

TEST_F(WaitRoom, LeavingByEscapeTellsTheOthers) {
  EXPECT_EQ(Run([&] { backend->PressKey(VK_ESCAPE, 5); }), 8);
  ExpectLeftTold(*this);
}

}  // namespace
