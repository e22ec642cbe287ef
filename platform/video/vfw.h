#pragma once
// What the Video for Windows calls share: four-character codes and the AVI
// error results. Constants only: may be used from any thread.

#include "platform/core/types.h"
#include "platform/sound/mmio.h"

namespace plat {

constexpr FOURCC streamtypeVIDEO = mmioFOURCC('v', 'i', 'd', 's');
constexpr FOURCC streamtypeAUDIO = mmioFOURCC('a', 'u', 'd', 's');

constexpr HRESULT AVIErr(DWORD code) { return static_cast<HRESULT>(code); }
constexpr HRESULT AVIERR_OK = 0;
constexpr HRESULT AVIERR_UNSUPPORTED = AVIErr(0x80044065);
constexpr HRESULT AVIERR_BADFORMAT = AVIErr(0x80044066);
constexpr HRESULT AVIERR_MEMORY = AVIErr(0x80044067);
constexpr HRESULT AVIERR_BADPARAM = AVIErr(0x8004406A);
constexpr HRESULT AVIERR_BADHANDLE = AVIErr(0x8004406C);
constexpr HRESULT AVIERR_FILEREAD = AVIErr(0x8004406D);
constexpr HRESULT AVIERR_FILEOPEN = AVIErr(0x8004406F);
constexpr HRESULT AVIERR_NOCOMPRESSOR = AVIErr(0x80044071);
constexpr HRESULT AVIERR_READONLY = AVIErr(0x80044072);
constexpr HRESULT AVIERR_NODATA = AVIErr(0x80044073);
constexpr HRESULT AVIERR_BUFFERTOOSMALL = AVIErr(0x80044074);

}  // namespace plat
