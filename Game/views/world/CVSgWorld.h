#pragma once
// The game's one owner of the 3D library's objects: the rendering context, its
// data path, the renderer, the frame buffer laid over the 2D composition
// surface, the three scenes with their cameras (solar, asteroid space, space
// replay), the current scene and camera, the distance fog and the star-field
// background. Camera changes are only recorded (two dirty flags); the camera's
// transform is rebuilt by the next read or frame. Game thread only.

#include <cstdint>

#include "platform/core/types.h"

class CDDraw;
class CSprite;
class CVStarField;
struct SGContext;
struct SGDataPath;
struct SGFrameBuffer;
struct SGInstance;
struct SGRenderer;
struct SGScene;

// The frame-buffer options the world hands to the library: 10 words.
struct CVSgFrameBufferOptions {
  std::uint32_t codes = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  plat::HINSTANCE instance = nullptr;
  std::int32_t showCommand = 0;
  plat::HWND window = nullptr;
  void* directDraw = nullptr;
  void* device = nullptr;
  void* front = nullptr;
  void* back = nullptr;
};

class CVSgWorld {
 public:
  // The 3D picture's place on the composition surface.
  static constexpr int kViewLeft = 29;
  static constexpr int kViewTop = 98;
  static constexpr int kViewWidth = 585;
  static constexpr int kViewHeight = 367;
  static constexpr std::uint32_t kFrameBufferCodes = 0x02704010;
  // The pick mode of the library's ray through a pixel.
  static constexpr std::uint32_t kPickMask = 0x29;
  // The library's status for a frame it skipped.
  static constexpr std::uint32_t kFrameSkipped = 278;

  // instance: the application's; ddraw and screenSprite: the view framework's
  // display and 800 x 600 composition sprite; extra is not read.
  CVSgWorld(plat::HINSTANCE instance, CDDraw* ddraw, CSprite* screenSprite, std::uint32_t extra);
  ~CVSgWorld();
  CVSgWorld(const CVSgWorld&) = delete;
  CVSgWorld& operator=(const CVSgWorld&) = delete;
  // The context's status at destruction (the destructor's result in the
  // library's terms); 0 until the world is destroyed through Destroy.
  std::uint32_t Destroy();

  static int GetViewWidth() { return kViewWidth; }
  static int GetViewHeight() { return kViewHeight; }
  static float GetAspectRatio() { return static_cast<float>(kViewWidth) / static_cast<float>(kViewHeight); }

  // 1 when a frame was drawn and presented, or when there is no current scene
  // (nothing is drawn then, not even the background); 0 when the draw failed or
  // was skipped (the redraw flag stays set). Without a frame buffer nothing is
  // drawn, the player is told once, and the result is 0.
  std::uint32_t RenderFrame();
  bool NeedsRedraw() const { return orientationDirty || positionDirty; }
  SGScene* GetScene() const { return currentScene; }
  void SetScene(SGScene* scene) { currentScene = scene; }
  SGInstance* GetCamera() const { return currentCamera; }
  void SetCamera(SGInstance* camera);
  // Clears the current scene's drawing mark (and its sub-scenes').
  void ResetSceneDrawFlag();

  // Camera: each acts on the current camera.
  void GetCameraPosition(double out[3]);
  void SetCameraPosition(double x, double y, double z);
  void SetCameraPositionF(float x, float y, float z);
  void GetCameraUp(float out[3]);
  void GetCameraForward(float out[3]);
  std::uint32_t SetCameraOrientation(const float forward[3], const float up[3]);
  void SetCameraOrientationUp(const float up[3], const float forward[3]);
  void SetCameraOrientationNow(const float forward[3], const float up[3]);
  void SetCameraOrientationXYZ(float fx, float fy, float fz, float ux, float uy, float uz);
  void LookAt(const double point[3]);
  void SetCameraRange(float range);

  // Picking and projection. PickScreenPoint: the library's status (0 nothing,
  // 0x8602 a hit); without a frame buffer 0, the player told once.
  std::uint32_t PickScreenPoint(int x, int y, SGInstance** hit, double point[3]);
  // The world direction of the eye ray through a pixel of the composition
  // surface; 0 outside the camera's viewport, before the first frame, or
  // without frame buffer or camera.
  std::uint32_t ScreenToWorld(int x, int y, float out[3]);

  // Distance fog.
  std::uint32_t IsDistanceFogOn() const { return distanceFog; }
  void EnableDistanceFog();
  void DisableDistanceFog();
  void ApplyFog(double offset);
  std::uint32_t UpdateDistanceFog(double d);
  void BuildFogTables();

  // The game's answers to the 3D library's questions: every data path is
  // accepted, every context name taken as the library prepared it. The
  // constructor installs both in the library.
  static int CheckDataPathHook(const char* name);
  static char* ContextNameHook(char* buffer, std::uint32_t size);
  static void InstallHooks();

  // The star field, forwarded.
  void ScrollStarFieldX(float angle);
  void ScrollStarFieldY(float angle);
  void LockStarField(std::uint32_t flag);
  void OrientStarField(std::uint16_t arg, const float* forward, const float* up, std::uint32_t force);
  std::uint32_t IsStarBackgroundOn() const;
  void ToggleStarBackground();
  void DrawBackground();

  CVStarField* starField = nullptr;
  SGInstance* currentCamera = nullptr;
  SGInstance* solarCamera = nullptr;
  SGInstance* asteroidCamera = nullptr;
  SGInstance* replayCamera = nullptr;
  SGScene* currentScene = nullptr;
  SGScene* solarScene = nullptr;
  SGScene* asteroidScene = nullptr;
  SGScene* replayScene = nullptr;
  SGContext* context = nullptr;
  SGRenderer* renderer = nullptr;
  SGFrameBuffer* frameBuffer = nullptr;
  SGDataPath* dataPath = nullptr;
  std::uint32_t frameBufferSize[2] = {0, 0};
  CVSgFrameBufferOptions frameBufferOptions;
  std::uint32_t orientationDirty = 0;
  std::uint32_t positionDirty = 0;
  std::uint32_t redraw = 0;
  std::uint32_t distanceFog = 1;
  double fogBaseDistance = 200.0;
  double lastFogOffset = 0.0;

 private:
  // Rebuilds the camera's transform when either dirty flag is set.
  void PendingUpdate();
  // Tells the player once that the 3D picture cannot be drawn.
  void ReportNoFrameBuffer();

  std::uint32_t noFrameBufferReported_ = 0;
  std::uint32_t destroyed_ = 0;
  std::uint32_t contextStatus_ = 0;
};

// The world of the current 3D view (null while no 3D view exists).
extern CVSgWorld* g_sgWorld;
// Milliseconds of game time since the display list's last animation step.
extern std::uint32_t g_animElapsedMs;
