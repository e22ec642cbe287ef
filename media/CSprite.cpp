#include "media/CSprite.h"

#include <cctype>

#include "media/CDDraw.h"
#include "media/ImaImage.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/resource/module.h"
#include "platform/user/focus.h"

using namespace plat;

CSprite::CSprite(CDDraw* owner_, const char* name, DWORD key, DWORD width_, DWORD height_, LONG x_, LONG y_,
                 DWORD systemMemory)
    : CSprite(owner_, name, nullptr, key, width_, height_, x_, y_, systemMemory) {}

CSprite::CSprite(CDDraw* owner_, const char* name, HMODULE module_, DWORD key, DWORD width_, DWORD height_, LONG x_,
                 LONG y_, DWORD systemMemory)
    : owner(owner_), height(height_), width(width_), x(x_), y(y_), module(module_) {
  SetImageName(name);
  CreateSpriteSurface(key, systemMemory);
}

CSprite::CSprite(CDDraw* owner_, DWORD key, HMODULE module_, const char* name, LONG x_, LONG y_, DWORD systemMemory)
    : owner(owner_), x(x_), y(y_), module(module_) {
  SetImageName(name);
  SIZE size;
  if (owner->bitsPerPixel == 16) {
    if (ImageKind() == Kind::Tga)
      GetTGA16Size(&size);
    else if (ImageKind() == Kind::Ima)
      GetIMASize(&size);
  } else if (owner->bitsPerPixel == 8) {
    GetBMP8Size(&size);
  }
  width = static_cast<DWORD>(size.cx);
  height = static_cast<DWORD>(size.cy);
  CreateSpriteSurface(key, systemMemory);
  LoadImage(nullptr);
}

CSprite::~CSprite() {
  if (surface) surface->Release();
}

HRESULT CSprite::CreateSpriteSurface(DWORD key, DWORD systemMemory) {
  if (!owner || !owner->directDraw) return DDERR_INVALIDOBJECT;
  DDSURFACEDESC desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (systemMemory ? DDSCAPS_SYSTEMMEMORY : 0);
  desc.dwHeight = height;
  desc.dwWidth = width;
  const HRESULT r = CheckDDResult(owner->directDraw->CreateSurface(&desc, &surface, nullptr),
                                  "CSprite::CreateSpriteSurface - CreateSurface ", this);
  if (r) surface = nullptr;
  colourKey = key;
  // The key takes the surface's own encoding, so a blank or TGA sprite on a
  // 5-5-5 display is transparent where its image is.
  if (surface && key != kNoColourKey) ResetColorKey(key, IsVideoIn565Format(nullptr));
  return r;
}

void CSprite::SetImageName(const char* name) {
  imageName.clear();
  if (!name) return;
  for (const char* p = name; *p; ++p)
    imageName.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*p))));
}

CSprite::Kind CSprite::ImageKind() const {
  if (imageName.size() < 3) return Kind::Other;
  const std::string ext = imageName.substr(imageName.size() - 3);
  if (ext == "ima") return Kind::Ima;
  if (ext == "tga") return Kind::Tga;
  return Kind::Other;
}

std::string CSprite::ResourceName() const {
  const auto slash = imageName.find_last_of('\\');
  return slash == std::string::npos ? imageName : imageName.substr(slash + 1);
}

void CSprite::LoadImage(HMODULE bitmapModule) {
  if (imageName.empty() || !surface) return;
  HRESULT result = 0;
  if (owner->bitsPerPixel == 8) {
    result = LoadBMP8Image(bitmapModule);
  } else if (owner->bitsPerPixel == 16 && ImageKind() != Kind::Other) {
    result = ImageKind() == Kind::Ima ? LoadIMAImage() : LoadTGA16Image();
  } else {
    if (!bitmapModule) loaded = 1;
    return;
  }
  if (result == 0) loaded = 1;
}

void CSprite::GetIMASize(SIZE* size) {
  if (auto layout = ReadImaHeader(ResourceBytes(module, ResourceName(), "IMA"))) {
    size->cx = static_cast<LONG>(layout->width);
    size->cy = static_cast<LONG>(layout->height);
  }
}

void CSprite::GetTGA16Size(SIZE* size) {
  if (auto layout = ReadTga16Header(ResourceBytes(module, ResourceName(), "TGA"))) {
    size->cx = static_cast<LONG>(layout->width);
    size->cy = static_cast<LONG>(layout->height);
  }
}

namespace {

HBITMAP LoadBitmap8(HMODULE module, const std::string& name) {
  HBITMAP bitmap = LoadImage(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!bitmap) bitmap = LoadImage(nullptr, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE);
  return bitmap;
}

}  // namespace

void CSprite::GetBMP8Size(SIZE* size) {
  HBITMAP bitmap = LoadBitmap8(nullptr, imageName);
  if (!bitmap) return;
  BITMAP info;
  GetObject(bitmap, sizeof info, &info);
  size->cx = info.bmWidth;
  size->cy = info.bmHeight;
  DeleteObject(bitmap);
}

HRESULT CSprite::LoadIMAImage() { return Load16(Kind::Ima); }
HRESULT CSprite::LoadTGA16Image() { return Load16(Kind::Tga); }

HRESULT CSprite::Load16(Kind kind) {
  if (!surface) return 1;
  DDSURFACEDESC desc;
  if (surface->GetSurfaceDesc(&desc) != DD_OK) {
    RestoreSurface();
    if (surface->GetSurfaceDesc(&desc) != DD_OK) return 1;
  }
  const bool is565 = IsVideoIn565Format(&desc) != 0;
  if (!module) module = GetModuleHandle(nullptr);
  const auto bytes = ResourceBytes(module, ResourceName(), kind == Kind::Ima ? "IMA" : "TGA");
  if (bytes.empty()) return 0;
  const auto layout = kind == Kind::Ima ? ReadImaHeader(bytes) : ReadTga16Header(bytes);
  if (!layout || !HoldsAllPixels(*layout, bytes.size())) return 1;
  DDSURFACEDESC locked;
  auto* bits = static_cast<std::uint8_t*>(LockWhole(locked));
  if (!bits) return 1;
  PixelConversion conversion = PixelConversion::None;
  if (kind == Kind::Ima && !is565) conversion = PixelConversion::To555;
  if (kind == Kind::Tga && is565) conversion = PixelConversion::To565;
  CopyImageRows(*layout, bytes, bits, locked.lPitch, width, height, conversion);
  if (kind == Kind::Ima && !is565 && colourKey != kNoColourKey) ResetColorKey(colourKey, 0);
  surface->Unlock(nullptr);
  return 0;
}

HRESULT CSprite::LoadBMP8Image(HMODULE bitmapModule) {
  HBITMAP bitmap = LoadBitmap8(bitmapModule, imageName);
  if (!bitmap) return DDERR_GENERIC;
  const HRESULT r = CopyBitmapToSurface(bitmap, 0, 0, 0, 0, nullptr);
  DeleteObject(bitmap);
  return r;
}

HRESULT CSprite::CopyBitmapToSurface(HBITMAP bitmap, int srcX, int srcY, int srcWidth, int srcHeight,
                                     const RECT* destRect) {
  if (!bitmap || !surface) return DDERR_GENERIC;
  RestoreSurface();
  HDC memory = CreateCompatibleDC(nullptr);
  SelectObject(memory, bitmap);
  BITMAP info;
  GetObject(bitmap, sizeof info, &info);
  if (srcWidth == 0) srcWidth = info.bmWidth;
  if (srcHeight == 0) srcHeight = info.bmHeight;
  RECT dest;
  if (destRect) {
    dest = *destRect;
  } else {
    DDSURFACEDESC desc;
    surface->GetSurfaceDesc(&desc);
    dest = {0, 0, static_cast<LONG>(desc.dwWidth), static_cast<LONG>(desc.dwHeight)};
  }
  HDC target = nullptr;
  if (surface->GetDC(&target) != DD_OK) {
    DeleteDC(memory);
    return 0;
  }
  HRESULT r = 0;
  if (!StretchBlt(target, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, memory, srcX, srcY,
                  srcWidth, srcHeight, SRCCOPY))
    r = DDERR_GENERIC;
  surface->ReleaseDC(target);
  DeleteDC(memory);
  return r;
}

void CSprite::ResetColorKey(DWORD key, DWORD is565) {
  if (!surface) return;
  const DWORD r = (key >> 16) & 0xFF, g = (key >> 8) & 0xFF, b = key & 0xFF;
  const DWORD value =
      is565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3) : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
  DDCOLORKEY ck;
  ck.dwColorSpaceLowValue = value;
  ck.dwColorSpaceHighValue = value;
  CheckDDResult(surface->SetColorKey(DDCKEY_SRCBLT, &ck), "CSprite::ResetColorKey - SetColorKey ", this);
}

DWORD CSprite::IsVideoIn565Format(const DDSURFACEDESC* desc) {
  DDSURFACEDESC own;
  if (!desc) {
    if (!surface) return 1;
    if (surface->GetSurfaceDesc(&own) != DD_OK) {
      RestoreSurface();
      if (surface->GetSurfaceDesc(&own) != DD_OK) return 1;
    }
    desc = &own;
  }
  const DWORD m = desc->ddpfPixelFormat.dwRBitMask;
  if ((m & 0x83FF) == 0) return 0;
  return (m & 0x07FF) == 0 ? 1 : 0;
}

HRESULT CSprite::RestoreSurface() {
  if (!surface) return DDERR_INVALIDOBJECT;
  if (owner->fullScreen && IsIconic(owner->window)) return 1;
  return CheckDDResult(surface->Restore(), "CSprite::RestoreSurface - Restore ", this);
}

void* CSprite::LockWhole(DDSURFACEDESC& desc) {
  HRESULT r = surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  if (r == DDERR_SURFACELOST) {
    RestoreSurface();
    r = surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  }
  return r == DD_OK ? desc.lpSurface : nullptr;
}

HDC CSprite::GetDC() {
  if (!surface) return nullptr;
  HDC hdc = nullptr;
  if (surface->GetDC(&hdc) == DD_OK) return hdc;
  RestoreSurface();
  return surface->GetDC(&hdc) == DD_OK ? hdc : nullptr;
}

void CSprite::ReleaseDC(HDC hdc) {
  if (surface) surface->ReleaseDC(hdc);
}
