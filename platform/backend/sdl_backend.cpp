#include "platform/backend/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/backend/display_loss.h"
#include "platform/backend/sdl_keys.h"
#include "platform/ddraw/display.h"
#include "platform/display/screen.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

namespace plat {

namespace {

constexpr auto kFrameInterval = std::chrono::milliseconds(16);

bool DriverNamed() {
  const char* named = SDL_getenv("SDL_VIDEODRIVER");
  return named && *named;
}

bool ShowsNothing(const char* driver) {
  return !driver || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
}

struct WindowDeleter {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct RendererDeleter {
  void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};
struct TextureDeleter {
  void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};
struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

class SdlBackend final : public Backend {
 public:
  explicit SdlBackend(const BackendOptions& options) : options_(options) {}
  ~SdlBackend() override {
    cursorTexture_.reset();
    screenTexture_.reset();
    renderer_.reset();
    window_.reset();
    // The display closes next, and its descriptor may become another file's.
    UnwatchConnection();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // The last SDL user also lets SDL free its own helpers (its bus connection).
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  }

  bool Open() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Left to choose, SDL settles on a driver that shows nothing when the
    // display cannot be reached (it may have ended a moment ago).
    if (!DriverNamed() && ShowsNothing(SDL_GetCurrentVideoDriver())) return false;
    window_.reset(SDL_CreateWindow("Quenbar", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Screen::kWidth,
                                   Screen::kHeight, SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI));
    if (!window_) return false;
    WatchConnectionOf(window_.get());
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
    if (!renderer_) return false;
    // The game's own cursor is drawn instead of the host's.
    SDL_ShowCursor(SDL_DISABLE);
    ApplyWindowMode();
    return true;
  }

  const char* Name() const override { return "sdl"; }

  void Service() override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) Handle(e);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPresent_ >= kFrameInterval) Present();
  }

  // An idle program shows the same picture frame after frame: the window is
  // drawn again only when the screen, the cursor or the window has changed,
  // and of the screen only the rows that changed are widened and sent (a
  // still game screen changes a small picture in the frame or the sun's
  // flare a few times a second).
  void Present() override {
    lastPresent_ = std::chrono::steady_clock::now();
    ShowProgramIcon();
    const Screen& s = GetScreen();
    const CursorOverlay cursor = CurrentCursorOverlay();
    const bool sameScreen = s.is555 == shownIs555_ && screenTexture_ != nullptr;
    const auto [first, last] = sameScreen ? ChangedRows(s) : std::pair{0, Screen::kHeight};
    const bool same = !windowChanged_ && first == last && cursor.image == shownCursor_.image &&
                      cursor.position.x == shownCursor_.position.x && cursor.position.y == shownCursor_.position.y &&
                      pointerInside_ == shownPointerInside_;
    if (same) return;
    if (!Render(first, last)) return;
    SDL_RenderPresent(renderer_.get());
    shownPixels_.resize(s.pixels.size());
    std::copy(s.pixels.begin() + static_cast<std::ptrdiff_t>(first) * Screen::kPitch,
              s.pixels.begin() + static_cast<std::ptrdiff_t>(last) * Screen::kPitch,
              shownPixels_.begin() + static_cast<std::ptrdiff_t>(first) * Screen::kPitch);
    shownIs555_ = s.is555;
    shownCursor_ = cursor;
    shownPointerInside_ = pointerInside_;
    windowChanged_ = false;
  }

  void SetExclusive(bool exclusive) override {
    exclusive_ = exclusive;
    ApplyWindowMode();
    windowChanged_ = true;
  }

  Image Capture() override {
    Image img;
    if (!Render()) return img;
    const SDL_Rect dst = Destination();
    std::vector<std::uint32_t> out(static_cast<std::size_t>(dst.w) * static_cast<std::size_t>(dst.h));
    if (SDL_RenderReadPixels(renderer_.get(), &dst, SDL_PIXELFORMAT_ARGB8888, out.data(), dst.w * 4) != 0) return img;
    SDL_RenderPresent(renderer_.get());
    img.width = Screen::kWidth;
    img.height = Screen::kHeight;
    img.rgb.resize(static_cast<std::size_t>(img.width) * img.height);
    for (int y = 0; y < img.height; ++y) {
      const int sy = y * dst.h / img.height;
      for (int x = 0; x < img.width; ++x) {
        const int sx = x * dst.w / img.width;
        img.rgb[static_cast<std::size_t>(y) * img.width + x] =
            out[static_cast<std::size_t>(sy) * dst.w + sx] & 0xFFFFFF;
      }
    }
    return img;
  }

  void SetScreenSaverAllowed(bool allowed) override {
    if (allowed) {
      SDL_EnableScreenSaver();
    } else {
      SDL_DisableScreenSaver();
    }
  }

  // SDL has no system sound of its own; the beep stays silent until the
  // program has an audio output.
  void Beep(UINT) override {}

 private:
  void ApplyWindowMode() {
    const bool full = options_.kind == BackendKind::FullScreen || (options_.kind == BackendKind::Auto && exclusive_);
    // Without a window manager nobody resizes the window for the full-screen
    // state: it is placed over the whole display itself, so the picture, which
    // is scaled to the window's size, fills what is really shown.
    SDL_Rect bounds{};
    const int display = SDL_GetWindowDisplayIndex(window_.get());
    if (full && display >= 0 && SDL_GetDisplayBounds(display, &bounds) == 0) {
      SDL_SetWindowPosition(window_.get(), bounds.x, bounds.y);
      SDL_SetWindowSize(window_.get(), bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window_.get(), full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!full && wasFull_) {
      SDL_SetWindowSize(window_.get(), Screen::kWidth, Screen::kHeight);
      SDL_SetWindowPosition(window_.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    wasFull_ = full;
  }

  // Where the screen goes in the renderer's output: as large as fits with the
  // aspect kept (whole multiples only with integer scaling), centred.
  SDL_Rect Destination() const {
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(renderer_.get(), &ow, &oh);
    double scale = std::min(static_cast<double>(ow) / Screen::kWidth, static_cast<double>(oh) / Screen::kHeight);
    if (options_.integerScale && scale >= 1.0) scale = static_cast<int>(scale);
    SDL_Rect r;
    r.w = std::max(1, static_cast<int>(Screen::kWidth * scale));
    r.h = std::max(1, static_cast<int>(Screen::kHeight * scale));
    r.x = (ow - r.w) / 2;
    r.y = (oh - r.h) / 2;
    return r;
  }

  // Window coordinates to the 800 x 600 screen.
  POINT ToScreen(int wx, int wy) const {
    int ww = 1, wh = 1, ow = 1, oh = 1;
    SDL_GetWindowSize(window_.get(), &ww, &wh);
    SDL_GetRendererOutputSize(renderer_.get(), &ow, &oh);
    const SDL_Rect d = Destination();
    const double ox = static_cast<double>(wx) * ow / std::max(ww, 1);
    const double oy = static_cast<double>(wy) * oh / std::max(wh, 1);
    return POINT{static_cast<LONG>((ox - d.x) * Screen::kWidth / d.w),
                 static_cast<LONG>((oy - d.y) * Screen::kHeight / d.h)};
  }

  // The rows [first, last) where the screen differs from what the window
  // shows; first == last when none does.
  std::pair<int, int> ChangedRows(const Screen& s) const {
    if (shownPixels_.size() != s.pixels.size()) return {0, Screen::kHeight};
    const auto rowDiffers = [&](int y) {
      const std::size_t at = static_cast<std::size_t>(y) * Screen::kPitch;
      return std::memcmp(s.pixels.data() + at, shownPixels_.data() + at, Screen::kPitch) != 0;
    };
    int first = 0;
    while (first < Screen::kHeight && !rowDiffers(first)) ++first;
    int last = Screen::kHeight;
    while (last > first && !rowDiffers(last - 1)) --last;
    return {first, last};
  }

  // The screen's rows [first, last) into the texture (the rest of it holds
  // what it held), then the texture and the cursor drawn. The screen is
  // widened to 8 bits a channel here, the same way as the headless capture
  // does it, so both backends show identical colours.
  bool Render(int first = 0, int last = Screen::kHeight) {
    const Screen& s = GetScreen();
    if (!screenTexture_) {
      screenTexture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                             Screen::kWidth, Screen::kHeight));
      if (!screenTexture_) return false;
      first = 0;
      last = Screen::kHeight;
    }
    if (rgbFor555_ != s.is555 || rgb_.empty()) {
      rgb_.resize(65536);
      for (std::uint32_t p = 0; p < 65536; ++p)
        rgb_[p] = 0xFF000000u | Pixel16ToRgb(static_cast<std::uint16_t>(p), s.is555);
      rgbFor555_ = s.is555;
    }
    if (first < last) {
      const SDL_Rect rows{0, first, Screen::kWidth, last - first};
      void* pixels = nullptr;
      int pitch = 0;
      if (SDL_LockTexture(screenTexture_.get(), &rows, &pixels, &pitch) != 0) return false;
      for (int y = first; y < last; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels) +
                                                     static_cast<std::size_t>(y - first) * pitch);
        const BYTE* in = s.pixels.data() + static_cast<std::size_t>(y) * Screen::kPitch;
        for (int x = 0; x < Screen::kWidth; ++x)
          out[x] = rgb_[static_cast<std::uint32_t>(in[x * 2] | (in[x * 2 + 1] << 8))];
      }
      SDL_UnlockTexture(screenTexture_.get());
    }
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer_.get());
    const SDL_Rect dst = Destination();
    SDL_RenderCopy(renderer_.get(), screenTexture_.get(), nullptr, &dst);
    DrawCursor(dst);
    return true;
  }

  // The main window's class icon becomes the host window's icon.
  void ShowProgramIcon() {
    const HICON icon = ProgramIcon();
    const CursorImage* image = IconImage(icon);
    if (icon == shownIcon_ || !image || image->width <= 0) return;
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(image->argb.data()), image->width,
                                                          image->height, 32, image->width * 4,
                                                          SDL_PIXELFORMAT_ARGB8888));
    if (!surface) return;
    SDL_SetWindowIcon(window_.get(), surface.get());
    shownIcon_ = icon;
  }

  void DrawCursor(const SDL_Rect& dst) {
    const CursorOverlay overlay = CurrentCursorOverlay();
    if (!overlay.image || !pointerInside_ || overlay.image->width <= 0) return;
    if (overlay.image != cursorImage_) {
      cursorTexture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                             overlay.image->width, overlay.image->height));
      if (!cursorTexture_) return;
      SDL_SetTextureBlendMode(cursorTexture_.get(), SDL_BLENDMODE_BLEND);
      SDL_UpdateTexture(cursorTexture_.get(), nullptr, overlay.image->argb.data(), overlay.image->width * 4);
      cursorImage_ = overlay.image;
    }
    const double sx = static_cast<double>(dst.w) / Screen::kWidth, sy = static_cast<double>(dst.h) / Screen::kHeight;
    SDL_Rect r;
    r.x = dst.x + static_cast<int>((overlay.position.x - overlay.image->hotspot.x) * sx);
    r.y = dst.y + static_cast<int>((overlay.position.y - overlay.image->hotspot.y) * sy);
    r.w = static_cast<int>(overlay.image->width * sx);
    r.h = static_cast<int>(overlay.image->height * sy);
    SDL_RenderCopy(renderer_.get(), cursorTexture_.get(), nullptr, &r);
  }

  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        input::RequestQuit();
        break;
      case SDL_WINDOWEVENT:
        HandleWindow(e.window);
        break;
      case SDL_MOUSEMOTION:
        input::MouseMove(ToScreen(e.motion.x, e.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        input::MouseMove(ToScreen(e.button.x, e.button.y));
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        // Without a window manager nobody gives the keyboard back once another
        // window that held it has gone: the click takes it.
        if (down && !(SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_INPUT_FOCUS))
          SDL_SetWindowInputFocus(window_.get());
        if (e.button.button == SDL_BUTTON_LEFT) input::MouseButton(input::Button::Left, down);
        if (e.button.button == SDL_BUTTON_RIGHT) input::MouseButton(input::Button::Right, down);
        if (e.button.button == SDL_BUTTON_MIDDLE) input::MouseButton(input::Button::Middle, down);
        break;
      }
      case SDL_MOUSEWHEEL: {
        int notches = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        if (notches) input::MouseWheel(notches * WHEEL_DELTA);
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (UINT vk = VirtualKeyOf(e.key.keysym.scancode)) input::Key(vk, e.type == SDL_KEYDOWN);
        break;
      default:
        break;
    }
  }

  void HandleWindow(const SDL_WindowEvent& w) {
    switch (w.event) {
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        input::SetAppActive(true);
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        input::SetAppActive(false);
        break;
      case SDL_WINDOWEVENT_MINIMIZED:
        input::SetAppMinimized(true);
        if (exclusive_) SetDisplayDeactivated(true);
        break;
      case SDL_WINDOWEVENT_RESTORED:
        if (exclusive_) SetDisplayDeactivated(false);
        input::SetAppMinimized(false);
        break;
      case SDL_WINDOWEVENT_ENTER:
        pointerInside_ = true;
        break;
      case SDL_WINDOWEVENT_LEAVE:
        pointerInside_ = false;
        break;
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        windowChanged_ = true;
        Present();
        break;
      default:
        break;
    }
  }

  BackendOptions options_;
  WindowPtr window_;
  RendererPtr renderer_;
  TexturePtr screenTexture_;
  std::vector<std::uint32_t> rgb_;  // 16-bit pixel to ARGB
  bool rgbFor555_ = false;
  TexturePtr cursorTexture_;
  const CursorImage* cursorImage_ = nullptr;
  HICON shownIcon_ = nullptr;
  bool exclusive_ = false;
  bool wasFull_ = false;
  bool pointerInside_ = true;
  std::chrono::steady_clock::time_point lastPresent_{};
  // What the window shows now.
  std::vector<BYTE> shownPixels_;
  bool shownIs555_ = false;
  CursorOverlay shownCursor_;
  bool shownPointerInside_ = true;
  bool windowChanged_ = true;
};

}  // namespace

std::unique_ptr<Backend> OpenSdlBackend(const BackendOptions& options) {
  auto backend = std::make_unique<SdlBackend>(options);
  if (!backend->Open()) return nullptr;
  return backend;
}

}  // namespace plat
