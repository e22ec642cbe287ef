#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "platform/backend/headless.h"
#include "platform/backend/sdl_keys.h"
#include "platform/backend/start.h"
#include "platform/core/clock.h"
#include "platform/display/screen.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "tests/support/plain_window.h"

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
  EXPECT_FALSE(b.CanAskUser());
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
  EXPECT_EQ(std::make_tuple(img->width, img->height), std::make_tuple(800, 600));
  EXPECT_EQ(std::make_tuple(img->rgb[0], img->rgb[599 * 800 + 799], img->rgb[5 * 800 + 5], img->rgb[1]),
            std::make_tuple(0xFF0000u, 0x00FF00u, 0xFFFFFFu, 0u));
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

std::vector<MSG>& KeysSeen() {
  static std::vector<MSG> seen;
  return seen;
}

// The keys the views use: the SDL backend gives each its classic code, and
// the code, typed through the headless backend, makes the classic messages.
TEST(Keys, ViewKeysThroughBothBackends) {
  struct Row {
    const char* sdlName;
    UINT vk;
    UINT message;
    char typed;  // the WM_CHAR, 0 for none
  };
  const Row rows[] = {
      {"PageUp", VK_PRIOR, WM_KEYDOWN, 0},   {"PageDown", VK_NEXT, WM_KEYDOWN, 0},
      {"Keypad +", VK_ADD, WM_KEYDOWN, '+'}, {"Keypad -", VK_SUBTRACT, WM_KEYDOWN, '-'},
      {"=", VK_OEM_PLUS, WM_KEYDOWN, '='},   {"-", VK_OEM_MINUS, WM_KEYDOWN, '-'},
      {",", VK_OEM_COMMA, WM_KEYDOWN, ','},  {".", VK_OEM_PERIOD, WM_KEYDOWN, '.'},
      {";", VK_OEM_1, WM_KEYDOWN, ';'},      {"[", VK_OEM_4, WM_KEYDOWN, '['},
      {"F1", VK_F1, WM_KEYDOWN, 0},          {"F2", VK_F2, WM_KEYDOWN, 0},
      {"F5", VK_F5, WM_KEYDOWN, 0},          {"F9", VK_F9, WM_KEYDOWN, 0},
      {"F10", VK_F10, WM_SYSKEYDOWN, 0},     {"F11", VK_F11, WM_KEYDOWN, 0},
      {"F12", VK_F12, WM_KEYDOWN, 0},        {"Keypad 7", VK_NUMPAD0 + 7, WM_KEYDOWN, '7'},
  };
  HeadlessBackend& b = StartHeadlessBackend();
  ResetUserLayer();
  SetFocus(quentest::PlainWindow("KeyTarget", 0, 0, 10, 10, WS_POPUP | WS_VISIBLE, nullptr,
                                 [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                                   if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_CHAR)
                                     KeysSeen().push_back(MSG{h, m, w, l, 0, {}});
                                   return DefWindowProc(h, m, w, l);
                                 }));
  for (const Row& r : rows) {
    EXPECT_EQ(VirtualKeyForSdlKeyName(r.sdlName), r.vk) << r.sdlName;
    KeysSeen().clear();
    b.PressKey(r.vk);
    b.RunUntilIdle();
    ASSERT_FALSE(KeysSeen().empty()) << r.sdlName;
    EXPECT_EQ(KeysSeen()[0].message, r.message) << r.sdlName;
    EXPECT_EQ(KeysSeen()[0].wParam, r.vk) << r.sdlName;
    const bool typed = KeysSeen().size() > 1 && KeysSeen()[1].message == WM_CHAR;
    EXPECT_EQ(typed ? static_cast<char>(KeysSeen()[1].wParam) : 0, r.typed) << r.sdlName;
  }
  EXPECT_EQ(VirtualKeyForSdlKeyName("Application"), 0u);
  ResetUserLayer();
  StopBackend();
}

}  // namespace
