#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "platform/core/random.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "tests/media/sound_fixture.h"
#include "tests/support/plain_window.h"

namespace {

using namespace mediatest;

// The main window's part: a track's end lets the player schedule the next.
LRESULT MainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == MM_MCINOTIFY && w == MCI_NOTIFY_SUCCESSFUL && g_sndPlay) g_sndPlay->ScheduleNextTrack();
  return DefWindowProc(h, m, w, l);
}

class MusicTest : public SoundPlayerTest {
 protected:
  void SetUp() override {
    SoundPlayerTest::SetUp();
    quentest::WriteHostFile(dir_ / "cd" / "Avi" / "intro.avi", "movie");
    for (int cdTrack = 2; cdTrack <= 7; ++cdTrack) {
      const auto file = dir_ / "cd" / "MUSIC" / ("TRACK0" + std::to_string(cdTrack) + ".ogg");
      const std::string cmd = "sox -n -r 44100 -c 2 '" + file.string() + "' synth 0.2 sine " +
                              std::to_string(100 * cdTrack) + " 2>/dev/null";
      ASSERT_EQ(std::system(cmd.c_str()), 0) << "sox is needed: scripts/setup installs it";
    }
    window_ = quentest::PlainWindow("MusicMain", 0, 0, 10, 10, WS_POPUP, nullptr, MainProc);
  }
  void TearDown() override {
    g_sndPlay = nullptr;
    SoundPlayerTest::TearDown();
    DestroyWindow(window_);
  }
  CSndPlay& Start(short music) {
    player_ = std::make_unique<CSndPlay>();
    g_sndPlay = player_.get();
    player_->Init(window_, music, 3, 1);
    return *player_;
  }
  // Lets the track end and its notification arrive.
  void PlayOut(CSndPlay& p) {
    for (int i = 0; i < 40 && p.trackPlaying; ++i) backend_->RunFor(50);
  }
  // A track of the CD (game track n is CD track n + 1) lasting `seconds`.
  void WriteTrack(int cdTrack, double seconds) {
    char name[16];
    std::snprintf(name, sizeof name, "TRACK%02d.ogg", cdTrack);
    const auto file = dir_ / "cd" / "MUSIC" / name;
    const std::string cmd = "sox -n -r 44100 -c 2 '" + file.string() + "' synth " + std::to_string(seconds) + " sine " +
                            std::to_string(100 * cdTrack) + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  HWND window_ = nullptr;
};

TEST_F(MusicTest, TitleThenGameTracksInTurnAfterRandomPauses) {
  CSndPlay& p = Start(2);
  ASSERT_EQ(p.musicAvailable, 1u);
  EXPECT_EQ(std::make_tuple(p.trackPlaying, p.currentTrack), std::make_tuple(1u, kTitleTrack));
  DWORD volume = 0;
  auxGetVolume(kCdAudioAuxDevice, &volume);
  EXPECT_EQ(volume, 0xAAAAAAAAu);
  // Started by Init, the title sets no change time: nothing follows it.
  PlayOut(p);
  EXPECT_EQ(p.trackPlaying, 0u);
  p.OnTimer(timeGetTime() + 3600000);
  EXPECT_EQ(p.trackPlaying, 0u);

  plat::RandomStream expected(11);
  const DWORD pause = static_cast<DWORD>(expected.Next() % 18 + 30) * 6000;
  p.musicRandom.Seed(11);
  p.PlayTrack(1);
  EXPECT_EQ(std::make_tuple(p.trackPlaying, p.nextChangeTime), std::make_tuple(1u, timeGetTime() + pause));
  const int a = expected.Next() % 18 + 5, b = expected.Next() % 18 + 4;
  const DWORD before = timeGetTime();
  PlayOut(p);
  ASSERT_EQ(p.trackPlaying, 0u);
  const DWORD scheduledAt = p.nextChangeTime - static_cast<DWORD>(std::min(a, b)) * 6000;
  EXPECT_GE(scheduledAt, before);
  EXPECT_LE(scheduledAt, timeGetTime());
  p.OnTimer(p.nextChangeTime);
  EXPECT_EQ(p.trackPlaying, 0u);
  p.OnTimer(p.nextChangeTime + 1);
  EXPECT_EQ(std::make_tuple(p.trackPlaying, p.currentTrack), std::make_tuple(1u, 2u));
  EXPECT_EQ(p.PlayNextTrack(3), 0);  // one plays

  p.StopMusic();
  EXPECT_EQ(p.cd.isOpen, 0u);
  p.SetLevels(3, 3, 1);  // the device opens again and the next track is due at once
  p.OnTimer(timeGetTime());
  EXPECT_EQ(p.currentTrack, 3u);
  p.SetLevels(0, 3, 1);
  EXPECT_EQ(std::make_tuple(p.trackPlaying, p.musicEnabled), std::make_tuple(0u, 0u));
  p.SetMusicEnabled(1);
  p.cd.Open(0, window_, 8);
  for (DWORD asked : {6u, 0u}) {
    p.trackPlaying = 0;
    EXPECT_EQ(p.PlayNextTrack(asked), 1);
    EXPECT_EQ(p.currentTrack, 1u) << asked;
  }
  // Random track 7 (CD track 8, played alone) has no file here: the start
  // fails and music counts as unavailable.
  unsigned seed = 1;
  while ((plat::RandomStream(seed).Next() & 3) != 0) ++seed;
  p.musicRandom.Seed(seed);
  p.trackPlaying = 0;
  EXPECT_EQ(p.PlayRandomTrack(), 0u);
  EXPECT_EQ(p.musicAvailable, 0u);
  // The device counted closed is closed: track 1 no longer plays on.
  MCI_GENERIC_PARMS none;
  EXPECT_EQ(mciSendCommand(p.cd.openParams.wDeviceID, MCI_STOP, MCI_WAIT, &none), MCIERR_INVALID_DEVICE_ID);
}

// A game of the first guild queues track 1 behind the title (the track
// before it, 0, is the disc's data track). Left for the front end, the player
// opens with the title again, and a game loaded then hears its guild's track
// after the title and a pause.
TEST_F(MusicTest, AfterAGameTheFrontEndOpensWithTheTitleAndALoadedGameHearsItsTrack) {
  CSndPlay& p = Start(2);
  p.PlayTrack(1);
  EXPECT_EQ(std::make_tuple(p.trackPlaying, p.currentTrack), std::make_tuple(1u, 0u));
  p.Close();
  p.Init(window_, 2, 3, 1);
  EXPECT_EQ(std::make_tuple(p.musicAvailable, p.trackPlaying, p.currentTrack), std::make_tuple(1u, 1u, kTitleTrack));
  p.PlayTrack(1);
  PlayOut(p);
  ASSERT_EQ(p.trackPlaying, 0u);
  p.OnTimer(p.nextChangeTime + 1);
  EXPECT_EQ(std::make_tuple(p.musicAvailable, p.trackPlaying, p.currentTrack), std::make_tuple(1u, 1u, 1u));
}

// A battle replay starts a battle track over the game track that plays, on
// the same open device; the next battle keeps it, and once it has ended the
// game tracks follow again.
TEST_F(MusicTest, BattleMusicTakesOverFromTheGameTrackAndTheGameTracksFollowIt) {
  WriteTrack(2, 3.0);
  for (int cdTrack = 8; cdTrack <= 11; ++cdTrack) WriteTrack(cdTrack, 0.3);
  CSndPlay& p = Start(2);
  PlayOut(p);
  p.PlayTrack(1);
  ASSERT_EQ(std::make_tuple(p.trackPlaying, p.currentTrack), std::make_tuple(1u, 1u));
  const DWORD now = timeGetTime();
  p.musicRandom.Seed(5);
  EXPECT_EQ(p.PlayBattleMusic(), 1u);
  EXPECT_EQ(std::make_tuple(p.musicAvailable, p.cd.isOpen, p.trackPlaying), std::make_tuple(1u, 1u, 1u));
  const DWORD battle = p.currentTrack;
  EXPECT_GE(battle, kFirstBattleTrack);
  EXPECT_LE(battle, kLastBattleTrack);
  EXPECT_GE(p.nextChangeTime, now + 90000);
  EXPECT_LE(p.nextChangeTime, timeGetTime() + 180000);
  // The game track's end, cut short, schedules nothing.
  backend_->RunFor(200);
  EXPECT_EQ(std::make_tuple(p.trackPlaying, p.currentTrack), std::make_tuple(1u, battle));
  const DWORD change = p.nextChangeTime;
  EXPECT_EQ(p.PlayBattleMusic(), 1u);
  EXPECT_EQ(std::make_tuple(p.currentTrack, p.nextChangeTime), std::make_tuple(battle, change));
  PlayOut(p);
  ASSERT_EQ(p.trackPlaying, 0u);
  p.OnTimer(p.nextChangeTime + 1);
  EXPECT_EQ(std::make_tuple(p.musicAvailable, p.trackPlaying, p.currentTrack), std::make_tuple(1u, 1u, 1u));
}

// The music's pauses and battle tracks are drawn when a track ends, a moment
// the wall clock chooses: the game's own sequence (star fields, replays) must
// come out the same whether or not the music drew in between.
TEST_F(MusicTest, TheMusicsChoicesLeaveTheGamesRandomNumbersAlone) {
  for (int cdTrack = 8; cdTrack <= 11; ++cdTrack) WriteTrack(cdTrack, 0.3);
  CSndPlay& p = Start(2);
  PlayOut(p);
  plat::srand(3);
  p.PlayTrack(1);
  PlayOut(p);
  ASSERT_EQ(p.trackPlaying, 0u);
  p.OnTimer(p.nextChangeTime + 1);
  ASSERT_EQ(p.PlayBattleMusic(), 1u);
  p.trackPlaying = 0;
  p.PlayRandomTrack();
  plat::RandomStream game(3);
  EXPECT_EQ(plat::rand(), game.Next());
  EXPECT_EQ(plat::rand(), game.Next());
}

TEST_F(MusicTest, WithoutTheCdOrItsTrackMusicIsUnavailable) {
  std::filesystem::remove(dir_ / "cd" / "MUSIC" / "TRACK07.ogg");
  CSndPlay& p = Start(3);
  EXPECT_EQ(p.trackPlaying, 0u);
  EXPECT_EQ(p.musicAvailable, 0u);  // the title's start failed
  std::filesystem::remove(dir_ / "cd" / "Avi" / "intro.avi");
  CSndPlay other;
  other.Init(window_, 3, 3, 1);
  EXPECT_EQ(other.musicAvailable, 0u);
  other.PlayTrack(1);
  EXPECT_EQ(other.trackPlaying, 0u);
}

}  // namespace
