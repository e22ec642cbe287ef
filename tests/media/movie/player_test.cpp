#include <gtest/gtest.h>

#include <tuple>

#include "media/CMovieDlg.h"
#include "media/CVideoDecoder.h"
#include "media/ScreenWindow.h"
#include "platform/sound/mmtime.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "tests/media/movie/movie_fixture.h"

namespace movietest {
namespace {

// The movie's picture lies centred in the 800 x 600 window.
constexpr int kCentreX = 400, kCentreY = 300;

TEST_F(MovieTest, FramesShowAtTheirTimesWithTheSoundInStep) {
  ScreenWindow& screen = Screen(WriteMovie("timed.avi", 30, 15, true));
  ASSERT_EQ(screen.status, 0);
  EXPECT_EQ(screen.GetFrameCount(), 30);
  EXPECT_EQ(ScreenColour(kCentreX, kCentreY), Rgb(Colour(0)));
  EXPECT_EQ(ScreenColour(235, 175), 0u) << "the picture starts at (240, 180)";

  CurrentMemoryAudioOutput()->StartCapture(44100 * 3);
  const DWORD start = timeGetTime();
  screen.Play();
  ASSERT_FALSE(screen.IsStopped());
  AviEngine& engine = *screen.engine;
  for (DWORD t = 0; t < 1900; t += 10) {
    AdvanceVirtualClock(10);
    ASSERT_EQ(engine.FrameStep(), 0);
    const LONG clock = engine.Clock();
    const LONG elapsed = static_cast<LONG>(timeGetTime() - start);
    ASSERT_NEAR(clock, elapsed, 25) << "at " << elapsed << " ms";
    const LONG frame = clock * 15 / 1000;
    if (clock % 67 > 5 && clock % 67 < 60) {  // away from the frames' edges
      ASSERT_EQ(ScreenColour(kCentreX, kCentreY), Rgb(Colour(frame))) << "at " << clock << " ms";
    }
  }
  EXPECT_EQ(engine.framesSkipped, 0);
  screen.Stop();
  // What was heard: each frame's level while that frame was shown.
  const auto& heard = CurrentMemoryAudioOutput()->Captured();
  for (int frame = 1; frame < 27; ++frame) {
    const std::size_t at = static_cast<std::size_t>((frame * 1000 / 15 + 33) * 44.1) * 2;
    ASSERT_LT(at, heard.size());
    EXPECT_EQ(heard[at], 1000 * (frame % 8 + 1)) << "frame " << frame;
  }
}

// A device that plays on by itself (as a sound card's thread does): every
// look at it has played another 70 ms, so blocks also finish while the engine
// is handing the next ones over.
class EagerAudioOutput : public AudioOutput {
 public:
  const char* Name() const override { return "eager"; }
  void CatchUp() override {
    std::array<std::int16_t, 3087 * kAudioChannels> block;
    RenderAudio(block.data(), 3087);
  }
};

TEST_F(MovieTest, BlocksThatFinishWhileOthersAreSentAreAllSentOnce) {
  InstallAudioOutput(std::make_unique<EagerAudioOutput>());
  ScreenWindow& screen = Screen(WriteMovie("eager.avi", 60, 15, true));
  ASSERT_EQ(screen.status, 0);
  screen.Play();
  const AviEngine& engine = *screen.engine;
  for (int i = 0; i < 20; ++i) {
    screen.engine->Clock();
    ASSERT_EQ(engine.sendIndex, engine.fillIndex) << "a block read was never sent, at " << i;
  }
  screen.Stop();
}

TEST_F(MovieTest, AStoppedMoviesClockDoesNotRunOnIntoTheNext) {
  const std::string path = WriteMovie("again.avi", 30, 15, true);
  ASSERT_EQ(Screen(path).status, 0);
  screen_->Play();
  // Stopped on its first frame, the device still at its start.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(screen_->engine->Clock(), 0);
  screen_->Stop();
  screen_.reset();
  AdvanceVirtualClock(60000);
  ScreenWindow& screen = Screen(path);
  ASSERT_EQ(screen.status, 0);
  screen.Play();
  EXPECT_EQ(screen.engine->Clock(), 0);
  ASSERT_EQ(screen.engine->FrameStep(), 0);
  EXPECT_EQ(screen.GetCurrentFrame(), 0);
  screen.Stop();
}

TEST_F(MovieTest, WithoutSoundTheSystemClockKeepsTheRate) {
  ScreenWindow& screen = Screen(WriteMovie("silent.avi", 20, 10, false));
  ASSERT_EQ(screen.status, 0);
  screen.Play();
  EXPECT_EQ(screen.engine->Clock(), -10);
  AdvanceVirtualClock(1250);
  ASSERT_EQ(screen.engine->FrameStep(), 0);
  EXPECT_EQ(screen.GetCurrentFrame(), 12);
  EXPECT_EQ(ScreenColour(kCentreX, kCentreY), Rgb(Colour(12)));
  EXPECT_EQ(screen.engine->framesSkipped, 11);
}

// Coded frames depend on those before them: a jump is decoded from the key
// frame before it, or waits for the next when that one is nearer.
TEST_F(MovieTest, JumpsAreCaughtUpFromKeyFramesOrSkipped) {
  ScreenWindow& screen = Screen(EncodedMovie(30));
  ASSERT_EQ(screen.status, 0);
  const std::uint32_t first = ScreenColour(300, 250);
  screen.Play();
  AviEngine& engine = *screen.engine;
  AdvanceVirtualClock(8 * 1000 / 15 + 5);  // frame 8: key 5 is farther than key 10
  ASSERT_EQ(engine.FrameStep(), 0);
  EXPECT_EQ(engine.lastDrawn, 0);
  AdvanceVirtualClock(4 * 1000 / 15);  // frame 12: two after key 10
  ASSERT_EQ(engine.FrameStep(), 0);
  EXPECT_EQ(std::make_tuple(engine.lastDrawn, engine.previousKey, engine.nextKey, engine.framesSkipped),
            std::make_tuple(12, 10, 15, 11));
  screen.Stop();

  // Stopped, the same frame is drawn straight from its decoded predecessors.
  const std::uint32_t at12 = ScreenColour(300, 250);
  screen.ShowFrame(0);
  EXPECT_EQ(ScreenColour(300, 250), first);
  screen.ShowFrame(12);
  EXPECT_EQ(ScreenColour(300, 250), at12);
  EXPECT_EQ(screen.GetCurrentFrame(), 12);
  // Past the last key frame frames are still drawn, not waited for.
  screen.ShowFrame(25);
  screen.Play();
  AdvanceVirtualClock(4 * 1000 / 15 + 10);
  ASSERT_EQ(engine.FrameStep(), 0);
  EXPECT_EQ(engine.lastDrawn, 29);
}

TEST_F(MovieTest, EachKeyEndsTheMovie) {
  const std::string path = WriteMovie("keys.avi", 45, 15, true);
  for (UINT key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) {
    const DWORD start = timeGetTime();
    backend_->PressKey(key, 500);
    EXPECT_EQ(PlayMovie(main_, module_, path.c_str()), 1);
    const DWORD took = timeGetTime() - start;
    EXPECT_GE(took, 500u) << key;
    EXPECT_LT(took, 600u) << key;
  }
  // Untouched, it plays to its last frame.
  const DWORD start = timeGetTime();
  EXPECT_EQ(PlayMovie(main_, module_, path.c_str()), 1);
  EXPECT_NEAR(static_cast<double>(timeGetTime() - start), 44 * 1000.0 / 15, 80);
  EXPECT_TRUE(messages_.empty());
}

LRESULT NeverValidates(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return message == WM_PAINT ? 0 : DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(MovieTest, AWindowThatNeverValidatesCannotHoldTheMovie) {
  HWND w = quentest::PlainWindow("MovieNeverValid", 0, 0, 10, 10, WS_POPUP | WS_VISIBLE, nullptr, NeverValidates);
  InvalidateRect(w, nullptr, FALSE);
  const std::string path = WriteMovie("busy.avi", 15, 15, true);
  const DWORD start = timeGetTime();
  EXPECT_EQ(PlayMovie(main_, module_, path.c_str()), 1);
  EXPECT_NEAR(static_cast<double>(timeGetTime() - start), 14 * 1000.0 / 15, 80);
  DestroyWindow(w);
}

TEST_F(MovieTest, QuitEndsTheMovieAndReachesTheCallersLoop) {
  const std::string path = WriteMovie("quit.avi", 45, 15, true);
  PostQuitMessage(3);
  const DWORD start = timeGetTime();
  EXPECT_EQ(PlayMovie(main_, module_, path.c_str()), 1);
  EXPECT_LT(timeGetTime() - start, 100u);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(std::make_tuple(msg.message, msg.wParam), std::make_tuple(static_cast<UINT>(WM_QUIT), 3u));
}

TEST_F(MovieTest, MissingOrDamagedMoviesAreSkipped) {
  auto bytes = avitest::WriteAvi(Movie(10, 15, true));
  std::vector<std::uint8_t> damaged(bytes.begin(), bytes.begin() + 300);
  const std::string cut = Write("cut.avi", damaged);
  for (std::size_t i = 40; i < 200; ++i) bytes[i] ^= 0x5A;
  const std::string mangled = Write("mangled.avi", bytes);
  avitest::AviSpec soundOnly = Movie(10, 15, true);
  soundOnly.video = false;
  const std::string noVideo = Write("novideo.avi", avitest::WriteAvi(soundOnly));
  avitest::AviSpec unknown = Movie(10, 15, false);
  unknown.compression = "QXYZ";
  for (auto& f : unknown.frames) f.bytes = {1, 2, 3, 4};
  const std::string noCodec = Write("nocodec.avi", avitest::WriteAvi(unknown));
  avitest::AviSpec huge = unknown;
  huge.compression = "FMP4";
  huge.bitCount = 60000;  // a frame buffer of half a gigabyte, were it believed
  const std::string tooWide = Write("toowide.avi", avitest::WriteAvi(huge));
  avitest::AviSpec giant = unknown;
  giant.compression.clear();
  giant.width = 16384;
  giant.height = 16000;
  giant.bitCount = 24;  // a picture of 768 MB from a file of a few hundred bytes
  const std::string tooLarge = Write("toolarge.avi", avitest::WriteAvi(giant));
  const std::string empty = WriteMovie("empty.avi", 0, 15, false);

  for (const std::string& path :
       {std::string("T:\\missing.avi"), cut, mangled, noVideo, noCodec, tooWide, tooLarge, empty}) {
    const DWORD start = timeGetTime();
    EXPECT_EQ(PlayMovie(main_, module_, path.c_str()), 1) << path;
    EXPECT_LT(timeGetTime() - start, 50u) << path;
  }
  // The mangled file may still read as an AVI without a video stream.
  ASSERT_GE(messages_.size(), 5u);
  EXPECT_EQ(messages_[messages_.size() - 5], "No video stream");
  EXPECT_EQ(messages_[messages_.size() - 4], "Indeo codec not found - unable to play movie");
  EXPECT_EQ(messages_[messages_.size() - 3], "Error -21 ");
  EXPECT_EQ(messages_[messages_.size() - 2], "Error -21 ");
  EXPECT_EQ(messages_.back(), "Error -20 ");
  // Without its template the dialog cannot open.
  EXPECT_EQ(PlayMovie(main_, nullptr, noVideo.c_str()), 0);
}

// The picture at other depths and sizes: 16 bits from a DIB section, 32 bits
// (which no DIB section holds) through DrawDib, and twice its size.
TEST_F(MovieTest, OutputAtOtherDepthsAndSizes) {
  ScreenWindow& screen = Screen(WriteMovie("depths.avi", 8, 15, false));
  ASSERT_EQ(screen.status, 0);
  AviEngine& engine = *screen.engine;
  EXPECT_EQ(engine.SetupOutput(0, 12, 0, 0, 0, 0, 0), -5);
  ASSERT_EQ(engine.SetupOutput(1.0f, 16, 0, 0, 0, 240, 180), 0);
  screen.ShowFrame(3);
  EXPECT_EQ(g_videoUseDrawDib, 0u);
  EXPECT_EQ(ScreenColour(240, 180), Rgb(Colour(3)));
  EXPECT_EQ(ScreenColour(399, 299), Rgb(Colour(3)));
  ASSERT_EQ(engine.SetupOutput(1.0f, 32, 0, 0, 0, 240, 180), 0);
  screen.ShowFrame(5);
  EXPECT_EQ(g_videoUseDrawDib, 1u);
  EXPECT_EQ(ScreenColour(240, 180), Rgb(Colour(5)));
  EXPECT_EQ(ScreenColour(399, 299), Rgb(Colour(5)));
  ASSERT_EQ(engine.SetupOutput(2.0f, 24, 0, 0, 0, 80, 60), 0);
  screen.ShowFrame(6);
  EXPECT_EQ(ScreenColour(80, 60), Rgb(Colour(6)));
  EXPECT_EQ(ScreenColour(399, 299), Rgb(Colour(6)));
  EXPECT_EQ(ScreenColour(401, 301), 0u);
  // Codec settings exist for the Indeo codecs only.
  EXPECT_EQ(engine.SetupOutput(1.0f, 16, 1, 0, 0, 240, 180), -5);

  // A palette of the caller's goes into entries 10 on; the codec maps to it.
  ASSERT_EQ(engine.SetupOutput(1.0f, 8, 0, 0, 0, 240, 180), 0);
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palNumEntries = 2;
  lp->palPalEntry[0] = {10, 20, 250, 0};
  lp->palPalEntry[1] = {250, 240, 10, 0};
  ASSERT_EQ(engine.decoder()->SetPalette(lp), 1);
  std::vector<BYTE> table(40 + 1024);
  auto* colours = reinterpret_cast<BITMAPINFO*>(table.data());
  ASSERT_EQ(ICDecompressGetPalette(engine.decoder()->codec, nullptr, colours), ICERR_OK);
  const auto* entry = reinterpret_cast<const RGBQUAD*>(table.data() + 40);
  EXPECT_EQ(std::make_tuple(entry[10].rgbBlue, entry[11].rgbRed), std::make_tuple(250, 250));
  EXPECT_EQ(entry[7].rgbRed, 192) << "the static colours stay";
  screen.Play();
  EXPECT_EQ(engine.SetupOutput(1.0f, 8, 0, 0, 0, 0, 0), -4) << "not while playing";
}

TEST_F(MovieTest, SmoothShadesShowWithoutADitherPattern) {
  // A dark shade between the levels of the codecs' 8-bit colour cube (0, 51): a
  // halftone would show it as a checkerboard of those two levels, 11 or more away.
  avitest::AviSpec movie = movietest::Movie(2, 15, false);
  for (auto& f : movie.frames) f.rgb = {40, 44, 30};
  ScreenWindow& screen = Screen(Write("shade.avi", avitest::WriteAvi(movie)));
  ASSERT_EQ(screen.status, 0);
  screen.ShowFrame(0);
  // centred in 800 x 600: the 160 x 120 picture starts at (320, 240)
  for (int y = 250; y < 270; ++y) {
    for (int x = 330; x < 350; ++x) {
      const std::uint32_t c = ScreenColour(x, y);
      EXPECT_NEAR(static_cast<int>(c >> 16), 40, 9) << x << "," << y;
      EXPECT_NEAR(static_cast<int>(c >> 8 & 0xFF), 44, 9) << x << "," << y;
      EXPECT_NEAR(static_cast<int>(c & 0xFF), 30, 9) << x << "," << y;
      if (HasFailure()) return;
    }
  }
}

// Every wave-out device taken: one more try, then the movie ends at once.
TEST_F(MovieTest, ABusySoundDeviceEndsTheMovieWithoutWaiting) {
  const std::string path = WriteMovie("busy.avi", 45, 15, true);
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  std::vector<HWAVEOUT> taken(kMaxWaveOuts);
  for (auto& h : taken) ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  const DWORD start = timeGetTime();
  EXPECT_EQ(PlayMovie(main_, module_, path.c_str()), 1);
  EXPECT_LT(timeGetTime() - start, 50u);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOCANDO) << "the timer period was given back";
  for (auto h : taken) waveOutClose(h);
  EXPECT_EQ(PlayMovie(main_, module_, path.c_str()), 1);
  EXPECT_GT(timeGetTime() - start, 2900u) << "with a device free it plays";
}

TEST(MovieClock, PositionsConvertWithoutWrapping) {
  MMTIME t;
  t.wType = TIME_SAMPLES;
  t.u.sample = 5'000'000;  // beyond 2^32 / 1000
  EXPECT_EQ(MovieClockMs(t, 22050, 44100), 226757);
  t.wType = TIME_BYTES;
  t.u.cb = 4'000'000'000u;
  EXPECT_EQ(MovieClockMs(t, 22050, 88200), 45351474);
  t.wType = TIME_MS;
  t.u.ms = 1234;
  EXPECT_EQ(MovieClockMs(t, 22050, 88200), 1234);
  t.wType = 8;
  EXPECT_EQ(MovieClockMs(t, 22050, 88200), -1);
}

}  // namespace
}  // namespace movietest
