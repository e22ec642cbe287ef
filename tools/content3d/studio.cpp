#include "tools/content3d/studio.h"

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "platform/backend/headless.h"
#include "platform/core/dospath.h"
#include "platform/ddraw/ddraw.h"
#include "platform/display/screen.h"
#include "platform/user/window.h"
#include "sg/core/context.h"
#include "sg/core/datapath.h"
#include "sg/core/malloc.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace content3d {

using namespace plat;

namespace {

constexpr DWORD kWidth = 585;
constexpr DWORD kHeight = 367;
constexpr std::uint32_t kGameCodes = 0x2704010;
constexpr float kFov = 40.f;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("studio: ") + what);
}

std::vector<SGPalEntry> Greys() {
  std::vector<SGPalEntry> c(256);
  for (int i = 0; i < 256; ++i)
    c[i] = SGPalEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0};
  return c;
}

}  // namespace

struct Studio::Parts {
  std::filesystem::path dir;
  SGContext* ctx = nullptr;
  IDirectDraw* dd = nullptr;
  IDirectDrawSurface* surface = nullptr;
  SGFrameBuffer* fb = nullptr;
  SGRenderer* rend = nullptr;
  SGDataPath* dp = nullptr;
  SGScene* scene = nullptr;
  SGInstance* camera = nullptr;
  SGMaterial* material = nullptr;  // the lit grey every face is drawn with
  SGMaterial* dark = nullptr;      // unlit black: the plates when finding the trim
};

Studio::Studio() : parts_(std::make_unique<Parts>()) {
  Parts& p = *parts_;
  p.dir = std::filesystem::temp_directory_path() / ("quen-studio-" + std::to_string(::getpid()));
  std::filesystem::create_directories(p.dir);
  // The scene file and its colours, on a drive of the studio's own. The mesh
  // stays in its own axes (x forward, z up): the camera goes round it.
  std::ofstream(p.dir / "studio.con", std::ios::binary) << "Studio\nSTART\ngreys.pal 2048.0 0.0 17 0.0 16 16\n";
  const Image greys = sgdata::MakePalette(Greys());
  std::ofstream(p.dir / "greys.pal", std::ios::binary)
      .write(reinterpret_cast<const char*>(greys.data()), static_cast<std::streamsize>(greys.size()));
  SetDrive('Q', p.dir);
  StartHeadlessBackend();
  ResetUserLayer();
  SetScreenFormat555(false);
  Check(SGContextCreate(&p.ctx) == SG_ERROR_NONE, "no context");
  Check(DirectDrawCreate(nullptr, &p.dd, nullptr) == DD_OK, "no DirectDraw");
  WNDCLASSEX wc;
  wc.lpszClassName = "QuenStudio";
  wc.lpfnWndProc = DefWindowProc;
  RegisterClassEx(&wc);
  HWND hwnd =
      CreateWindowEx(0, "QuenStudio", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  DDSURFACEDESC d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = kWidth;
  d.dwHeight = kHeight;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  Check(p.dd->CreateSurface(&d, &p.surface, nullptr) == DD_OK, "no surface");
  SGFrameBufferOptions o{};
  o.fboCodes = kGameCodes;
  o.fboWidth = kWidth;
  o.fboHeight = kHeight;
  o.fboShowCmd = SW_SHOW;
  o.fboHWnd = hwnd;
  o.fboDD = p.dd;
  o.fboFront = p.surface;
  o.fboBack = p.surface;
  Check(SGFrameBufferCreate(p.ctx, &p.fb, &o) == SG_ERROR_NONE, "no frame buffer");
  const auto greysList = Greys();
  Check(SGFrameBufferInstallPalette(p.fb, greysList.data(), 256) == SG_ERROR_NONE, "no palette");
  Check(SGRendererCreate(p.ctx, &p.rend) == SG_ERROR_NONE, "no renderer");
  SGRendererSetOptions(p.rend, 1);
  SGRendererSetFrameBuffer(p.rend, p.fb);
  Check(SGRendererEnableSoftwarePrimitives(p.rend, 1) == SG_ERROR_NONE, "no software primitives");
  Check(SGDataPathCreate(p.ctx, "Q:\\", 0, &p.dp) == SG_ERROR_NONE, "no data path");
  Check(SGSceneCreate(p.ctx, &p.scene) == SG_ERROR_NONE, "no scene");
  Check(SGSceneLoad(p.scene, p.dp, "studio.con") == SG_ERROR_NONE, "scene file refused");
  // Shaded materials draw through the renderer's shade table.
  Check(SGRendererBuildShadeLUT(p.rend, p.scene) == SG_ERROR_NONE, "no shade table");
  Check(SGInstanceCreate(p.ctx, SG_INST_TYPE_CAMERA, &p.camera) == SG_ERROR_NONE, "no camera");
  SGInstanceSetCamera(p.camera, kFov, static_cast<float>(kWidth) / kHeight, 0.1f, 100.f);
  const std::int32_t origin[2] = {0, 0};
  const std::int32_t size[2] = {static_cast<std::int32_t>(kWidth), static_cast<std::int32_t>(kHeight)};
  SGInstanceSetViewport(p.camera, origin, size);
  SGInstanceSetAttributes(p.camera, SG_ATTR_NO_PICK | SG_ATTR_NO_LOS);
  SGSceneAddInstance(p.scene, p.camera);
  SGInstance* light = nullptr;
  Check(SGInstanceCreate(p.ctx, SG_INST_TYPE_LIGHT, &light) == SG_ERROR_NONE, "no light");
  const float lf[3] = {-0.4f, -0.3f, -0.866f}, lu[3] = {1.f, 0.f, 0.f};
  SGInstanceSetOrientation(light, lf, lu);
  SGSceneAddInstance(p.scene, light);
  SGInstanceUpdate(light);
  auto shaded = [&](std::uint8_t grey, float ambient, float diffuse) {
    auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
    Check(mat != nullptr, "no material");
    mat->matType = SG_MAT_TYPE_SHADED;
    mat->matColour = grey | (std::uint32_t{grey} << 8) | (std::uint32_t{grey} << 16) | (std::uint32_t{grey} << 24);
    mat->matAmbient = ambient;
    mat->matDiffuse = diffuse;
    mat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
    return mat;
  };
  p.material = shaded(200, 0.25f, 0.75f);
  Check(SGContextPrepareMaterial(p.ctx, p.material) == SG_ERROR_NONE, "material refused");
  p.dark = shaded(0, 0.f, 0.f);
  Check(SGContextPrepareMaterial(p.ctx, p.dark) == SG_ERROR_NONE, "material refused");
}

Studio::~Studio() {
  Parts& p = *parts_;
  if (p.scene) SGSceneDestroy(p.scene);
  if (p.material) SGMaterialDestroy(p.material);
  if (p.dark) SGMaterialDestroy(p.dark);
  if (p.rend) SGRendererDestroy(p.rend);
  if (p.dp) SGDataPathDestroy(p.dp);
  if (p.fb) SGFrameBufferDestroy(p.fb);
  if (p.surface) p.surface->Release();
  if (p.dd) p.dd->Release();
  if (p.ctx) SGContextDestroy(p.ctx);
  ResetUserLayer();
  StopBackend();
  ClearDrives();
  std::error_code ec;
  std::filesystem::remove_all(p.dir, ec);
}

Image Studio::Picture(const Mesh& mesh, const std::array<float, 3>& toCamera, std::uint32_t side) {
  Parts& p = *parts_;
  const Image file = MakeMeshModelFile(mesh);
  std::uint32_t size = 0;
  std::memcpy(&size, file.data(), 4);
  SGModel* model = nullptr;
  Check(SGModelRelocate(file.data() + 4, size, &model) == SG_ERROR_NONE, "model refused");
  float radius = 0.f;
  for (const auto& v : mesh.verts) radius = std::max(radius, std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  const double dist = radius / std::tan(kFov * 3.14159265 / 360.0) * 1.05 + radius;
  const double pos[3] = {toCamera[0] * dist, toCamera[1] * dist, toCamera[2] * dist};
  const float forward[3] = {-toCamera[0], -toCamera[1], -toCamera[2]};
  const bool vertical = std::fabs(toCamera[2]) > 0.9f;
  const float camUp[3] = {vertical ? 1.f : 0.f, 0.f, vertical ? 0.f : 1.f};
  SGInstanceSetPosition(p.camera, pos);
  SGInstanceSetOrientation(p.camera, forward, camUp);
  SGInstanceUpdate(p.camera);
  // The first drawing lights every face alike; the second draws the plates
  // black and the trim lit, which finds the trim the first one shows.
  std::vector<std::uint8_t> lit, trim;
  for (const bool findTrim : {false, true}) {
    SGInstance* inst = nullptr;
    if (SGInstanceCreate(p.ctx, SG_INST_TYPE_MODEL_ONE, &inst) != SG_ERROR_NONE) {
      SGModelFree(model);
      Check(false, "no instance");
    }
    SGInstanceSetModel(inst, model);
    SGMaterial* mats[2] = {findTrim ? p.dark : p.material, p.material};
    SGInstanceSetMaterial(inst, 2, mats);
    SGSceneAddInstance(p.scene, inst);
    SGInstanceUpdate(inst);
    DDBLTFX fx;
    fx.dwFillColor = 0;
    p.surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    const SGError drawn = SGSceneDraw(p.rend, p.scene, p.camera);
    SGInstanceRemove(inst);
    SGInstanceDelete(inst);
    if (drawn != SG_ERROR_NONE) SGModelFree(model);
    Check(drawn == SG_ERROR_NONE, "draw failed");
    // The green of each 5-6-5 pixel of the square around the centre, as tall as the frame.
    const auto view = p.surface->Pixels();
    auto& into = findTrim ? trim : lit;
    into.assign(static_cast<std::size_t>(kHeight) * kHeight, 0);
    const std::uint32_t x0 = (kWidth - kHeight) / 2;
    for (std::uint32_t y = 0; y < kHeight; ++y)
      for (std::uint32_t x = 0; x < kHeight; ++x) {
        const BYTE* at = view.bits + static_cast<std::size_t>(y) * view.pitch + static_cast<std::size_t>(x0 + x) * 2;
        const std::uint32_t px = at[0] | (static_cast<std::uint32_t>(at[1]) << 8);
        const std::uint32_t g = (px >> 5) & 63;
        // Drawn pixels are never 0: the darkest face still has its ambient light.
        into[static_cast<std::size_t>(y) * kHeight + x] =
            px == 0 ? 0 : static_cast<std::uint8_t>(std::max(1u, (g << 2) | (g >> 4)));
      }
  }
  SGModelFree(model);
  // Averaged down: plates into 1..kTrimTexel - 1, trim into kTrimTexel..255.
  const std::uint32_t box = kHeight;
  Image out(static_cast<std::size_t>(side) * side, 0);
  for (std::uint32_t ty = 0; ty < side; ++ty) {
    for (std::uint32_t tx = 0; tx < side; ++tx) {
      std::uint32_t covered = 0, trimmed = 0, total = 0, sum = 0;
      for (std::uint32_t y = ty * box / side; y < (ty + 1) * box / side; ++y) {
        for (std::uint32_t x = tx * box / side; x < (tx + 1) * box / side; ++x) {
          const std::size_t i = static_cast<std::size_t>(y) * box + x;
          ++total;
          if (lit[i] != 0) {
            ++covered;
            sum += lit[i];
            trimmed += trim[i] != 0;
          }
        }
      }
      if (covered * 2 <= total) continue;
      const std::uint32_t b = sum / covered;
      out[static_cast<std::size_t>(ty) * side + tx] =
          trimmed * 2 > covered ? static_cast<std::uint8_t>(kTrimTexel + b * (255u - kTrimTexel) / 255u)
                                : static_cast<std::uint8_t>(std::max(1u, b * (kTrimTexel - 1u) / 255u));
    }
  }
  return out;
}

}  // namespace content3d
