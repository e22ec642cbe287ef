#pragma once
// The headless backend with its memory audio output, a main window, the
// program's movie dialog template in a module of its own, and a drive T: of
// generated movies, for the movie player tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "media/MoviePlayer.h"
#include "media/ScreenWindow.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/display/audio.h"
#include "platform/display/screen.h"
#include "platform/resource/module.h"
#include "platform/user/window.h"
#include "tests/platform/video/avi_writer.h"
#include "tests/support/plain_window.h"
#include "tests/support/temp_dir.h"
#include "tools/rc/compiler.h"

namespace movietest {

using namespace plat;

// Frame n is one of the eight corner colours of the colour cube, which the
// codecs' own palette holds exactly; its sound is the level 1000 * (n % 8 + 1).
inline std::array<std::uint8_t, 3> Colour(int n) {
  const int c = n % 8;
  return {static_cast<std::uint8_t>(c & 1 ? 255 : 0), static_cast<std::uint8_t>(c & 2 ? 255 : 0),
          static_cast<std::uint8_t>(c & 4 ? 255 : 0)};
}

inline avitest::AviSpec Movie(int frames, int fps, bool sound) {
  avitest::AviSpec s;
  s.width = 160;
  s.height = 120;
  s.fps = fps;
  for (int n = 0; n < frames; ++n) {
    avitest::Frame f;
    f.rgb = Colour(n);
    s.frames.push_back(f);
  }
  if (sound) {
    s.audioRate = 22050;
    for (int n = 0; n < frames; ++n)
      for (int i = 0; i < 22050 / fps; ++i) s.audio.push_back(static_cast<std::int16_t>(1000 * (n % 8 + 1)));
  }
  return s;
}

class MovieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &StartHeadlessBackend();
    InstallAudioOutput(std::make_unique<MemoryAudioOutput>());
    SetDrive('T', dir_.path());
    const auto compiled = rc::CompileScript(std::filesystem::path(QUEN_SOURCE_DIR) / "data" / "movie.rc");
    ASSERT_TRUE(compiled.Ok()) << compiled.error;
    module_ = LoadLibraryFromMemory(rc::WriteModuleImage(compiled.resources));
    ASSERT_NE(module_, nullptr);
    main_ = quentest::PlainWindow("MovieMain", 0, 0, 800, 600);
    g_mediaMessageBox = [](const char* text) { messages_.push_back(text); };
    messages_.clear();
  }
  void TearDown() override {
    screen_.reset();
    g_mediaMessageBox = nullptr;
    if (main_) DestroyWindow(main_);
    if (module_) FreeLibrary(module_);
    ResetUserLayer();
    StopBackend();
    ClearDrives();
  }

  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    quentest::WriteHostFile(dir_.path() / name, std::string(bytes.begin(), bytes.end()));
    return "T:\\" + name;
  }
  std::string WriteMovie(const std::string& name, int frames, int fps, bool sound) {
    return Write(name, avitest::WriteAvi(Movie(frames, fps, sound)));
  }
  // The movie at `path` on a screen window over the main window, replacing the
  // one before; its status says whether it opened.
  ScreenWindow& Screen(const std::string& path) {
    return screen_.emplace(main_, path.c_str(), 0, 0, 1, kMovieDoneMessage, main_, 1, 1);
  }
  // A movie FFmpeg's program encodes as the game's are (MPEG-4, a key frame
  // every fifth frame, 15 frames a second) from its test pattern.
  std::string EncodedMovie(int frames) {
    const auto path = dir_.path() / "mpeg4.avi";
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=15 -frames:v " +
        std::to_string(frames) + " -c:v mpeg4 -g 5 -threads 1 '" + path.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << "ffmpeg is needed (scripts/setup installs it)";
    return "T:\\mpeg4.avi";
  }

  // The colour the screen shows at (x, y), 0x00RRGGBB.
  static std::uint32_t ScreenColour(int x, int y) { return Pixel16ToRgb(GetScreen().At(x, y), GetScreen().is555); }
  static std::uint32_t Rgb(const std::array<std::uint8_t, 3>& c) {
    return static_cast<std::uint32_t>(c[0]) << 16 | static_cast<std::uint32_t>(c[1]) << 8 | c[2];
  }

  HeadlessBackend* backend_ = nullptr;
  quentest::TempDir dir_{"movie"};
  HMODULE module_ = nullptr;
  HWND main_ = nullptr;
  std::optional<ScreenWindow> screen_;
  static inline std::vector<std::string> messages_;
};

}  // namespace movietest
