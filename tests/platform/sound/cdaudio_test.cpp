#include <cstdlib>
#include <filesystem>

#include "platform/sound/mci.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "tests/platform/sound/sound_fixture.h"
#include "tests/support/plain_window.h"

namespace {

using namespace soundtest;

std::vector<MSG> g_notes;

LRESULT NoteProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == MM_MCINOTIFY) g_notes.push_back(MSG{h, m, w, l, 0, {}});
  return DefWindowProc(h, m, w, l);
}

class CdAudioTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    g_notes.clear();
    window_ = quentest::PlainWindow("CdNotes", 0, 0, 10, 10, WS_POPUP, nullptr, NoteProc);
  }
  void TearDown() override {
    mciSendCommand(device_, MCI_CLOSE, 0, nullptr);
    DestroyWindow(window_);
    SoundTest::TearDown();
  }
  // A track made by an outside encoder, as the installation's are.
  void Track(int n, const char* seconds, const char* freq, const char* ext = "ogg") {
    const auto file =
        dir_ / "cd" / "MUSIC" / ("Track" + std::string(n < 10 ? "0" : "") + std::to_string(n) + "." + ext);
    const std::string cmd =
        "sox -n -r 44100 -c 2 '" + file.string() + "' synth " + seconds + " sine " + freq + " vol 0.5 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "sox is needed: scripts/setup installs it";
  }
  MCIERROR Open() {
    MCI_OPEN_PARMS p;
    p.lpstrDeviceType = MCI_DEVTYPE_CD_AUDIO;
    const MCIERROR r = mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_SHAREABLE, &p);
    device_ = p.wDeviceID;
    return r;
  }
  MCIERROR Play(int from, int to) {
    MCI_PLAY_PARMS p;
    p.dwCallback = reinterpret_cast<std::uintptr_t>(window_);
    p.dwFrom = MCI_MAKE_TMSF(static_cast<BYTE>(from), 0, 0, 0);
    p.dwTo = MCI_MAKE_TMSF(static_cast<BYTE>(to), 0, 0, 0);
    return mciSendCommand(device_, MCI_PLAY, MCI_NOTIFY | MCI_FROM | (to ? MCI_TO : 0), &p);
  }
  // Runs the clock on until a notification came, at most `ms`.
  void RunUntilNote(DWORD ms) {
    for (DWORD t = 0; t < ms && g_notes.empty(); t += 50) backend_->RunFor(50);
  }
  HWND window_ = nullptr;
  MCIDEVICEID device_ = 0;
};

TEST_F(CdAudioTest, ATrackFilePlaysAtItsVolumeAndReportsItsEnd) {
  Track(2, "0.5", "441");
  Track(3, "0.5", "882");
  ASSERT_EQ(Open(), 0u);
  MCI_SET_PARMS tmsf;
  tmsf.dwTimeFormat = MCI_FORMAT_TMSF;
  ASSERT_EQ(mciSendCommand(device_, MCI_SET, MCI_SET_TIME_FORMAT, &tmsf), 0u);
  ASSERT_EQ(auxSetVolume(kCdAudioAuxDevice, 0x8000FFFF), 0u);  // right at half
  Output().StartCapture(kAudioRate * 2);
  ASSERT_EQ(Play(2, 3), 0u);
  RunUntilNote(2000);
  ASSERT_EQ(g_notes.size(), 1u);
  EXPECT_EQ(g_notes[0].wParam, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(g_notes[0].lParam, static_cast<LPARAM>(device_));
  const auto& s = Output().Captured();
  ASSERT_GE(s.size(), kAudioRate / 2 * 2u);
  int peakLeft = 0, peakRight = 0;
  for (std::size_t i = 0; i < kAudioRate / 2 * 2u; i += 2) {
    peakLeft = std::max(peakLeft, std::abs(s[i]));
    peakRight = std::max(peakRight, std::abs(s[i + 1]));
  }
  EXPECT_NEAR(peakLeft, 16384, 600);
  EXPECT_NEAR(peakRight, 8192, 400);
  // Only track 2 played: half a second, then silence.
  for (std::size_t i = kAudioRate * 2 * 6 / 10; i < s.size(); ++i) ASSERT_EQ(s[i], 0) << i;
  auxSetVolume(kCdAudioAuxDevice, 0xFFFFFFFF);
}

TEST_F(CdAudioTest, StopAbortsMissingTracksAndDrivesFail) {
  Track(2, "5", "441", "flac");
  ASSERT_EQ(Open(), 0u);
  EXPECT_EQ(Play(5, 6), MCIERR_OUTOFRANGE);
  ASSERT_EQ(Play(2, 0), 0u);  // to the end of the disc: the one file
  backend_->RunFor(100);
  EXPECT_TRUE(g_notes.empty());
  ASSERT_EQ(mciSendCommand(device_, MCI_STOP, MCI_WAIT, nullptr), 0u);
  ASSERT_EQ(g_notes.size(), 0u);  // posted, not yet taken
  backend_->RunFor(10);
  ASSERT_EQ(g_notes.size(), 1u);
  EXPECT_EQ(g_notes[0].wParam, MCI_NOTIFY_ABORTED);
  EXPECT_EQ(mciSendCommand(device_ + 7, MCI_STOP, 0, nullptr), MCIERR_INVALID_DEVICE_ID);
  char text[64];
  EXPECT_TRUE(mciGetErrorString(MCIERR_OUTOFRANGE, text, sizeof text));

  ClearDrives();
  MCI_OPEN_PARMS p;
  p.lpstrDeviceType = MCI_DEVTYPE_CD_AUDIO;
  EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID, &p), MCIERR_INVALID_DEVICE_NAME);
}

// An exit() while the music plays (a library's, as Xlib's on a lost display)
// ends the process cleanly: the player, made by the volume set at start-up
// before the queue was, posts its end into no queue already gone. Runs in a
// process of its own, so that this order is the first.
TEST(CdAudioAtExit, AnExitWhileTheMusicPlaysReachesNothingGone) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The same folder in this process and in the one that exits, removed here.
  const auto cd = std::filesystem::current_path() / "cd_at_exit";
  std::filesystem::create_directories(cd / "MUSIC");
  const std::string track = (cd / "MUSIC" / "Track02.ogg").string();
  ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 '" + track + "' synth 5 sine 441 2>/dev/null").c_str()), 0);
  EXPECT_EXIT(
      {
        const HWND window = quentest::PlainWindow("CdAtExit", 0, 0, 10, 10, WS_POPUP);
        auxSetVolume(kCdAudioAuxDevice, 0xFFFFFFFF);
        SetDrive('D', cd, DriveType::CdRom);
        MCI_OPEN_PARMS open;
        open.lpstrDeviceType = MCI_DEVTYPE_CD_AUDIO;
        mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_SHAREABLE, &open);
        MCI_PLAY_PARMS play;
        play.dwCallback = reinterpret_cast<std::uintptr_t>(window);
        play.dwFrom = MCI_MAKE_TMSF(2, 0, 0, 0);
        mciSendCommand(open.wDeviceID, MCI_PLAY, MCI_NOTIFY | MCI_FROM, &play);
        MSG msg;
        PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  std::filesystem::remove_all(cd);
}

}  // namespace
