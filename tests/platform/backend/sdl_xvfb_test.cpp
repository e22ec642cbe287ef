// The SDL backend end to end: a real window on an X server of its own (Xvfb),
// a known picture drawn onto the primary surface, and the backend's own
// capture read back from the window. The SDL part runs in a child process so
// its environment (DISPLAY, the video driver) is its own.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend/start.h"
#include "platform/ddraw/ddraw.h"
#include "platform/display/screen.h"
#include "platform/resource/module.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/window.h"
#include "tests/support/fixture_module.h"

extern char** environ;

namespace {

using namespace plat;

constexpr const char* kChildFlag = "QUEN_SDL_CHILD";

// The picture: four colour bands over a grey ramp, with a white frame.
std::uint16_t Pattern(int x, int y) {
  if (x == 0 || y == 0 || x == 799 || y == 599) return 0xFFFF;
  if (y < 150) return 0xF800;
  if (y < 300) return 0x07E0;
  if (y < 450) return 0x001F;
  const std::uint16_t g = static_cast<std::uint16_t>(x * 32 / 800);
  return static_cast<std::uint16_t>((g << 11) | (g << 6) | g);
}

const char* FindXvfb() {
  for (const char* p : {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"})
    if (access(p, X_OK) == 0) return p;
  return nullptr;
}

// Starts `args` with `extraEnv` ahead of this process's environment: a lookup
// takes the first entry of a name, so the extra ones win.
pid_t Spawn(const std::vector<std::string>& args, std::vector<std::string> env) {
  std::vector<char*> argv, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
}

TEST(SdlUnderXvfb, WindowShowsThePrimarySurface) {
  if (std::getenv(kChildFlag)) GTEST_SKIP() << "runs as the parent only";
  const char* xvfb = FindXvfb();
  if (!xvfb) GTEST_SKIP() << "Xvfb is not installed";
  // A free display number: no lock file and no socket.
  int display = 90;
  for (; display < 140; ++display) {
    const std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
    const std::string sock = "/tmp/.X11-unix/X" + std::to_string(display);
    if (!std::filesystem::exists(lock) && !std::filesystem::exists(sock)) break;
  }
  const std::string name = ":" + std::to_string(display);
  pid_t server = Spawn({xvfb, name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
  ASSERT_GT(server, 0);
  const std::string sock = "/tmp/.X11-unix/X" + std::to_string(display);
  for (int i = 0; i < 100 && !std::filesystem::exists(sock); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

  const auto png = std::filesystem::temp_directory_path() / ("quen_sdl_" + std::to_string(getpid()) + ".png");
  // The X client libraries under SDL keep a few allocations until exit; leak
  // checking of the child would report theirs, not ours.
  pid_t child = Spawn({"/proc/self/exe", "--gtest_filter=SdlChild.*"},
                      {std::string(kChildFlag) + "=" + png.string(), "DISPLAY=" + name, "SDL_VIDEODRIVER=x11",
                       "ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_GT(child, 0);
  int status = 0;
  waitpid(child, &status, 0);
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  auto img = ReadPng(png);
  std::filesystem::remove(png);
  ASSERT_TRUE(img) << "the child wrote no capture";
  ASSERT_EQ(img->width, 800);
  int wrong = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      const std::uint32_t got = img->rgb[static_cast<std::size_t>(y) * 800 + x];
      const std::uint32_t want = Pixel16ToRgb(Pattern(x, y), false);
      if (got != want) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(SdlChild, DrawAndCapture) {
  const char* out = std::getenv(kChildFlag);
  if (!out) GTEST_SKIP() << "runs in the child process of SdlUnderXvfb";
  BackendOptions options;
  options.kind = BackendKind::Windowed;
  Backend& backend = StartBackend(options);
  ASSERT_STREQ(backend.Name(), "sdl");
  EXPECT_TRUE(backend.CanAskUser());
  ShowCursor(FALSE);  // the capture is of the picture alone

  IDirectDraw* dd = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
  DDSURFACEDESC d;
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
  ASSERT_EQ(primary->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
  for (int y = 0; y < 600; ++y) {
    auto* row = reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(d.lpSurface) + y * d.lPitch);
    for (int x = 0; x < 800; ++x) row[x] = Pattern(x, y);
  }
  primary->Unlock(nullptr);
  // A main window whose class has an icon: the host window takes it.
  const quentest::FixtureModule icons;
  WNDCLASSEX wc;
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = "WithIcon";
  wc.hIcon = LoadIcon(icons.module, 1);
  ASSERT_NE(RegisterClassEx(&wc), 0);
  SetActiveWindow(
      CreateWindowEx(0, "WithIcon", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  ASSERT_EQ(ProgramIcon(), wc.hIcon);
  for (int i = 0; i < 20; ++i) {
    backend.Service();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const Image captured = backend.Capture();
  ASSERT_EQ(captured.width, 800);
  ASSERT_TRUE(WritePng(out, captured));
  primary->Release();
  dd->Release();
  ResetUserLayer();
  StopBackend();
}

}  // namespace
