#include "Game/views/world/CVSgWorld.h"

#include <cmath>
#include <cstdio>

#include "Game/base/TraceError.h"
#include "Game/views/world/CVStarField.h"
#include "Game/views/world/WorldMessage.h"
#include "media/CDDraw.h"
#include "media/CSprite.h"
#include "sg/core/apphooks.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/matrix.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/query/raypick.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

CVSgWorld* g_sgWorld = nullptr;
std::uint32_t g_animElapsedMs = 0;

namespace {

constexpr std::uint16_t kNebulaPlacements = 24;

// Scales to length 1 unless the squared length is 0 or already about 1.
void Normalise(float v[3]) {
  const float sq = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
  if (sq == 0.f || (sq >= 0.9999f && sq <= 1.0001f)) return;
  const float k = 1.f / std::sqrt(sq);
  for (int i = 0; i < 3; ++i) v[i] *= k;
}

}  // namespace

int CVSgWorld::CheckDataPathHook(const char* /*name*/) { return 0; }

char* CVSgWorld::ContextNameHook(char* buffer, std::uint32_t /*size*/) { return buffer; }

void CVSgWorld::InstallHooks() { SGSetApplicationHooks(&CVSgWorld::ContextNameHook, &CVSgWorld::CheckDataPathHook); }

CVSgWorld::CVSgWorld(plat::HINSTANCE instance, CDDraw* ddraw, CSprite* screenSprite, std::uint32_t /*extra*/) {
  g_animElapsedMs = 0;
  InstallHooks();
  SGContextCreate(&context);

  // The 3D picture is drawn straight into the composition surface. The frame
  // buffer reaches to the viewport's far corner, so that the cameras' viewport
  // at (29, 98) lies inside it; the scenes draw nothing outside their viewport.
  frameBufferOptions.codes = kFrameBufferCodes;
  frameBufferOptions.width = kViewLeft + kViewWidth;
  frameBufferOptions.height = kViewTop + kViewHeight;
  frameBufferOptions.instance = instance;
  frameBufferOptions.showCommand = 5;
  frameBufferOptions.window = ddraw ? ddraw->window : nullptr;
  frameBufferOptions.directDraw = ddraw ? ddraw->directDraw : nullptr;
  frameBufferOptions.front = frameBufferOptions.back = screenSprite ? screenSprite->surface : nullptr;

  SGFrameBufferOptions o{};
  o.fboCodes = frameBufferOptions.codes;
  o.fboWidth = frameBufferOptions.width;
  o.fboHeight = frameBufferOptions.height;
  o.fboInstance = frameBufferOptions.instance;
  o.fboShowCmd = frameBufferOptions.showCommand;
  o.fboHWnd = frameBufferOptions.window;
  o.fboDD = static_cast<plat::IDirectDraw*>(frameBufferOptions.directDraw);
  o.fboFront = o.fboBack = static_cast<plat::IDirectDrawSurface*>(frameBufferOptions.front);
  SGError err = SG_ERROR_UNSUPPORTED;  // no display to draw into
  if (context && o.fboHWnd && o.fboDD && o.fboFront) {
    err = SGFrameBufferCreate(context, &frameBuffer, &o);
    if (err != SG_ERROR_NONE) err = SGFrameBufferCreate(context, &frameBuffer, &o);
  }
  if (err != SG_ERROR_NONE) {
    char text[32];
    std::snprintf(text, sizeof text, "sgeError = %d", static_cast<int>(err));
    TraceError(text, __FILE__, __LINE__);
    frameBuffer = nullptr;
  } else {
    SGFrameBufferGetSize(frameBuffer, frameBufferSize);
  }
  if (context) SGDataPathCreate(context, ".", 0, &dataPath);
  if (context && SGRendererCreate(context, &renderer) == SG_ERROR_NONE) {
    SGRendererSetOptions(renderer, 1);
    SGRendererSetWord(renderer, 0);
    if (frameBuffer) {
      SGRendererSetFrameBuffer(renderer, frameBuffer);
      SGRendererEnableSoftwarePrimitives(renderer, 1);
    }
  }
  starField = new CVStarField(ddraw, screenSprite, kNebulaPlacements, 1, 1);
}

CVSgWorld::~CVSgWorld() { Destroy(); }

std::uint32_t CVSgWorld::Destroy() {
  if (destroyed_) return contextStatus_;
  destroyed_ = 1;
  delete starField;
  starField = nullptr;
  // The cameras and instances go with their scenes.
  for (SGScene** scene : {&solarScene, &asteroidScene, &replayScene}) {
    if (*scene) SGSceneDestroy(*scene);
    *scene = nullptr;
  }
  currentScene = nullptr;
  currentCamera = solarCamera = asteroidCamera = replayCamera = nullptr;
  if (renderer) SGRendererDestroy(renderer);  // frees the fog table with it
  if (frameBuffer) SGFrameBufferDestroy(frameBuffer);
  if (dataPath) SGDataPathDestroy(dataPath);
  contextStatus_ = context ? SGContextDestroy(context) : 0;
  context = nullptr;
  renderer = nullptr;
  frameBuffer = nullptr;
  dataPath = nullptr;
  return contextStatus_;
}

void CVSgWorld::ReportNoFrameBuffer() {
  if (noFrameBufferReported_) return;
  noFrameBufferReported_ = 1;
  ShowWorldMessage("The 3D view cannot be drawn: the display gave no picture to draw into.");
}

void CVSgWorld::SetCamera(SGInstance* camera) {
  currentCamera = camera;
  orientationDirty = positionDirty = 1;
}

void CVSgWorld::ResetSceneDrawFlag() {
  for (SGScene* s = currentScene; s; s = s->scnSubScene) SGSceneClearFlags(s, SG_SCN_FLAG_DRAWING);
}

std::uint32_t CVSgWorld::RenderFrame() {
  if (!currentScene) return 1;
  if (!frameBuffer || !renderer) {
    ReportNoFrameBuffer();
    return 0;
  }
  SetCameraRange(static_cast<float>(fogBaseDistance));
  DrawBackground();
  PendingUpdate();
  const SGError err = SGSceneDraw(renderer, currentScene, currentCamera);
  if (err == kFrameSkipped) return 0;
  if (err != SG_ERROR_NONE) {
    TraceError("CVSgWorld::RenderFrame - scene draw failed", __FILE__, __LINE__);
    return 0;
  }
  redraw = 0;
  if (SGFrameBufferSwap(frameBuffer) != SG_ERROR_NONE)
    TraceError("CVSgWorld::RenderFrame - swap failed", __FILE__, __LINE__);
  return 1;
}

void CVSgWorld::PendingUpdate() {
  if (currentCamera && (orientationDirty || positionDirty)) SGInstanceUpdate(currentCamera);
  orientationDirty = positionDirty = 0;
}

void CVSgWorld::GetCameraPosition(double out[3]) {
  out[0] = out[1] = out[2] = 0.0;
  PendingUpdate();
  if (currentCamera) SGInstanceGetPosition(currentCamera, out);
}

void CVSgWorld::SetCameraPosition(double x, double y, double z) {
  if (!currentCamera) return;
  // A set after a set rebuilds the transform of the first before the second.
  if (positionDirty || orientationDirty) SGInstanceUpdate(currentCamera);
  const double p[3] = {x, y, z};
  SGInstanceSetPosition(currentCamera, p);
  positionDirty = 1;
  redraw = 1;
}

void CVSgWorld::SetCameraPositionF(float x, float y, float z) { SetCameraPosition(x, y, z); }

void CVSgWorld::GetCameraUp(float out[3]) {
  out[0] = out[1] = out[2] = 0.f;
  PendingUpdate();
  if (currentCamera) SGInstanceGetUp(currentCamera, out);
}

void CVSgWorld::GetCameraForward(float out[3]) {
  out[0] = out[1] = out[2] = 0.f;
  PendingUpdate();
  if (currentCamera) SGInstanceGetForward(currentCamera, out);
}

std::uint32_t CVSgWorld::SetCameraOrientation(const float forward[3], const float up[3]) {
  if (!currentCamera) return 1;
  SGInstanceSetOrientation(currentCamera, forward, up);
  orientationDirty = 1;
  redraw = 1;
  return 1;
}

void CVSgWorld::SetCameraOrientationUp(const float up[3], const float forward[3]) {
  if (!currentCamera) return;
  SGInstanceSetOrientationUp(currentCamera, up, forward);
  orientationDirty = 1;
  redraw = 1;
}

void CVSgWorld::SetCameraOrientationNow(const float forward[3], const float up[3]) {
  PendingUpdate();
  SetCameraOrientation(forward, up);
}

void CVSgWorld::SetCameraOrientationXYZ(float fx, float fy, float fz, float ux, float uy, float uz) {
  const float forward[3] = {fx, fy, fz};
  const float up[3] = {ux, uy, uz};
  SetCameraOrientationNow(forward, up);
}

void CVSgWorld::LookAt(const double point[3]) {
  if (!currentCamera) return;
  if (orientationDirty || positionDirty) {
    SGInstanceUpdate(currentCamera);
    positionDirty = 0;
  }
  double eye[3];
  SGInstanceGetPosition(currentCamera, eye);
  float dir[3] = {static_cast<float>(point[0] - eye[0]), static_cast<float>(point[1] - eye[1]),
                  static_cast<float>(point[2] - eye[2])};
  Normalise(dir);
  float up[3];
  SGInstanceGetUp(currentCamera, up);
  // Looking along the up vector would leave no plane to turn in.
  if (std::fabs(dir[0] - up[0]) < 0.1f && std::fabs(dir[1] - up[1]) < 0.1f && std::fabs(dir[2] - up[2]) < 0.1f) {
    up[0] = dir[1];
    up[1] = dir[2];
    up[2] = dir[0];
  }
  SGInstanceSetOrientation(currentCamera, dir, up);
  SGInstanceUpdate(currentCamera);
  redraw = 1;
}

void CVSgWorld::SetCameraRange(float range) {
  if (currentCamera) SGInstanceSetCameraRange(currentCamera, range);
}

std::uint32_t CVSgWorld::PickScreenPoint(int x, int y, SGInstance** hit, double point[3]) {
  *hit = nullptr;
  if (!frameBuffer || !renderer) {
    ReportNoFrameBuffer();
    return 0;
  }
  if (!currentScene) return 0;
  const std::uint32_t pixel[2] = {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y)};
  return SGCollidePickScreen(renderer, currentScene, pixel, kPickMask, hit, point);
}

std::uint32_t CVSgWorld::ScreenToWorld(int x, int y, float out[3]) {
  if (!frameBuffer || !renderer || !currentCamera) return 0;
  std::int32_t origin[2], size[2];
  if (SGInstanceGetViewport(currentCamera, origin, size) != SG_ERROR_NONE || size[0] <= 0 || size[1] <= 0) return 0;
  // The pixel must lie in the viewport whose origin is taken off below.
  const int px = static_cast<std::uint16_t>(x), py = static_cast<std::uint16_t>(y);
  if (px < origin[0] || px - origin[0] >= size[0] || py < origin[1] || py - origin[1] >= size[1]) return 0;
  const SGMatrix* inverse = nullptr;
  if (SGRendererGetCameraInverse(renderer, &inverse) != SG_ERROR_NONE) return 0;
  const float nx = static_cast<float>(px - origin[0]) / (static_cast<float>(size[0]) / 2.f) - 1.f;
  const float ny = static_cast<float>(py - origin[1]) / (static_cast<float>(size[1]) / 2.f) - 1.f;
  const float v[4] = {nx, ny, 1.f, 1.f};
  float r[4] = {0, 0, 0, 0};
  for (int c = 0; c < 4; ++c)
    for (int k = 0; k < 4; ++k) r[c] += v[k] * inverse->m[k][c];
  if (r[3] == 0.f) return 0;
  // The renderer's camera transform works on coordinates relative to the eye,
  // so the point is already the ray's direction.
  for (int k = 0; k < 3; ++k) out[k] = r[k] / r[3];
  Normalise(out);
  return 1;
}

void CVSgWorld::ApplyFog(double offset) {
  float far = static_cast<float>(fogBaseDistance - offset);
  if (far < 0.01f) far = 1.f;
  lastFogOffset = offset;
  if (!renderer) return;
  std::uint32_t colour = 0;
  float oldFar = 0.f;
  std::uint8_t* table = nullptr;
  SGRendererGetFog(renderer, &colour, &oldFar, &table);
  SGRendererSetFog(renderer, &colour, far);
}

void CVSgWorld::BuildFogTables() {
  if (!renderer || !frameBuffer || !frameBuffer->fbColours) return;
  // The colour record (0xFF, 0, 0, 0): black; the search writes its index into the low byte.
  std::uint32_t black = 0xFF;
  SGPaletteFindNearest(frameBuffer->fbColours, frameBuffer->fbColourCount, &black);
  std::uint8_t* table = nullptr;
  if (SGRendererBuildFogLUT(renderer, 0, black, &table) == SG_ERROR_NONE) SGRendererSetFogLUT(renderer, table);
}

namespace {
bool HasFogTable(SGRenderer* renderer) {
  std::uint32_t colour = 0;
  float far = 0.f;
  std::uint8_t* table = nullptr;
  SGRendererGetFog(renderer, &colour, &far, &table);
  return table != nullptr;
}
}  // namespace

void CVSgWorld::EnableDistanceFog() {
  if (renderer && !HasFogTable(renderer)) BuildFogTables();
  ApplyFog(100.0);
  distanceFog = 1;
}

void CVSgWorld::DisableDistanceFog() {
  if (renderer && !HasFogTable(renderer)) BuildFogTables();
  fogBaseDistance = 1000.0;
  ApplyFog(0.0);
  distanceFog = 0;
}

std::uint32_t CVSgWorld::UpdateDistanceFog(double d) {
  if (!distanceFog) return 0;
  if (d >= 0.1) {
    ApplyFog(d);
    return 1;
  }
  double p[3];
  GetCameraPosition(p);
  double sq = 0.0;
  for (double c : p) {
    if (c < 0.0) c -= 100.0;
    sq += c * c;
  }
  const double length = std::sqrt(sq);
  ApplyFog(length <= 200.0 ? 90.0 : 3.0 * length - 380.0);
  return 1;
}

void CVSgWorld::ScrollStarFieldX(float angle) {
  if (starField) starField->ScrollX(angle);
}

void CVSgWorld::ScrollStarFieldY(float angle) {
  if (starField) starField->ScrollY(angle);
}

void CVSgWorld::LockStarField(std::uint32_t flag) {
  if (starField) starField->lockFlag = flag;
}

void CVSgWorld::OrientStarField(std::uint16_t arg, const float* forward, const float* up, std::uint32_t force) {
  if (!starField) return;
  if (forward && up) {
    starField->Orient(arg, forward, up, force);
    return;
  }
  float f[3], u[3];
  GetCameraUp(u);
  GetCameraForward(f);
  starField->Orient(arg, f, u, force);
}

std::uint32_t CVSgWorld::IsStarBackgroundOn() const { return starField ? starField->onFlag : 0; }

void CVSgWorld::ToggleStarBackground() {
  if (starField) starField->Toggle();
}

void CVSgWorld::DrawBackground() {
  if (starField) starField->BltToSurface();
}
