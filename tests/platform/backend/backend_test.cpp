#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/backend/headless.h"
#include "platform/backend/start.h"
#include "platform/display/screen.h"
#include "platform/core/clock.h"
#include "platform/user/window.h"

namespace {

using namespace plat;

TEST(BackendOptions, FlagsAreTakenOutOfTheArguments) {
  std::vector<std::string> args = {"-I:game", "--fullscreen", "HVlobby", "--integer-scale"};
  BackendOptions o = TakeBackendOptions(args);
  EXPECT_EQ(o.kind, BackendKind::FullScreen);
  EXPECT_TRUE(o.integerScale);
  EXPECT_EQ(args, (std::vector<std::string>{"-I:game", "HVlobby"}));

  std::string line = "--headless -I:two  words --windowed";
  o = TakeBackendOptions(line);
  EXPECT_EQ(o.kind, BackendKind::Windowed);  // the last one counts
  EXPECT_EQ(line, "-I:two  words");
  std::string plain = "";
  EXPECT_EQ(TakeBackendOptions(plain).kind, BackendKind::Auto);
}

TEST(BackendChoice, NoDisplayMeansHeadless) {
  const char* saved = std::getenv("DISPLAY");
  const std::string keep = saved ? saved : "";
  setenv("DISPLAY", ":0", 1);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  EXPECT_FALSE(HostDisplayAvailable());
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("SDL_VIDEODRIVER");
  EXPECT_FALSE(HostDisplayAvailable());
  Backend& b = StartBackend(BackendOptions{});
  EXPECT_STREQ(b.Name(), "headless");
  EXPECT_TRUE(IsVirtualClock());
  StopBackend();
  EXPECT_EQ(CurrentBackend(), nullptr);
  if (saved) setenv("DISPLAY", keep.c_str(), 1);
}

TEST(Png, CaptureRoundTripsThroughAFile) {
  HeadlessBackend& b = StartHeadlessBackend();
  Screen& s = GetScreen();
  SetScreenFormat555(false);
  auto put = [&](int x, int y, std::uint16_t v) {
    s.pixels[static_cast<std::size_t>(y) * Screen::kPitch + x * 2] = static_cast<BYTE>(v);
    s.pixels[static_cast<std::size_t>(y) * Screen::kPitch + x * 2 + 1] = static_cast<BYTE>(v >> 8);
  };
  put(0, 0, 0xF800);
  put(799, 599, 0x07E0);
  put(5, 5, 0xFFFF);
  const auto path = std::filesystem::temp_directory_path() / "quen_capture_test.png";
  ASSERT_TRUE(b.SaveCapture(path));
  auto img = ReadPng(path);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 800);
  EXPECT_EQ(img->height, 600);
  EXPECT_EQ(img->rgb[0], 0xFF0000u);
  EXPECT_EQ(img->rgb[599 * 800 + 799], 0x00FF00u);
  EXPECT_EQ(img->rgb[5 * 800 + 5], 0xFFFFFFu);
  EXPECT_EQ(img->rgb[1], 0u);
  std::filesystem::remove(path);
  EXPECT_FALSE(ReadPng(path));
  EXPECT_FALSE(WritePng(path, Image{}));

  // A 5-5-5 display widens its channels the same way.
  SetScreenFormat555(true);
  put(0, 0, 0x7C00);
  EXPECT_EQ(ScreenImage().rgb[0], 0xFF0000u);
  EXPECT_EQ(Pixel16ToRgb(0x4210, true), 0x848484u);
  SetScreenFormat555(false);
  StopBackend();
}

TEST(HeadlessScript, EventsFallDueOneAfterAnother) {
  HeadlessBackend& b = StartHeadlessBackend();
  ResetUserLayer();
  const DWORD start = timeGetTime();
  b.MoveMouse(10, 10, 100);
  b.MoveMouse(20, 20, 50);
  EXPECT_EQ(b.NextInputTime(), start + 100);
  AdvanceVirtualClock(120);
  b.Service();
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 10);
  EXPECT_FALSE(b.ScriptDone());
  b.RunUntilIdle();
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 20);
  EXPECT_EQ(timeGetTime() - start, 150u);
  EXPECT_TRUE(b.ScriptDone());
  StopBackend();
}

}  // namespace
