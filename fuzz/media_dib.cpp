// Bitmap files through CDibImage at each depth it widens to, then palette
// matching, pixel addressing and a copy into a second image: any bytes are
// refused or loaded within their sizes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "media/CDibImage.h"
#include "media/MediaMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  g_mediaMessageBox = [](const char*) {};
  fuzz::Scratch::Get().Write("f.bmp", {data, size});
  static plat::HPALETTE palette = [] {
    std::vector<plat::BYTE> storage(sizeof(plat::LOGPALETTE) + 255 * sizeof(plat::PALETTEENTRY));
    auto* lp = reinterpret_cast<plat::LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 256;
    for (int i = 0; i < 256; ++i)
      lp->palPalEntry[i] = {static_cast<plat::BYTE>(i), static_cast<plat::BYTE>(255 - i),
                            static_cast<plat::BYTE>(i * 7), 0};
    return plat::CreatePalette(lp);
  }();
  for (int target : {8, 16, 24}) {
    CDibImage image;
    if (image.LoadFile(0, "Q:\\f.bmp", target) != 1) continue;
    const plat::LONG w = image.GetWidth(), h = image.GetHeight();
    if (static_cast<std::size_t>(CDibImage::RowBytes(w, 8)) * static_cast<std::size_t>(h) > size) __builtin_trap();
    image.MatchPalette(palette);
    if (plat::BYTE* p = image.GetPixelAddress(w - 1, h - 1)) *p ^= 1;
    std::vector<plat::BYTE> bits(static_cast<std::size_t>(CDibImage::RowBytes(17, static_cast<plat::WORD>(target))) *
                                 9);
    plat::BITMAPINFO format;
    format.bmiHeader.biWidth = 17;
    format.bmiHeader.biHeight = 9;
    format.bmiHeader.biBitCount = static_cast<plat::WORD>(target);
    format.bmiHeader.biClrUsed = 1;  // the one entry the record holds
    CDibImage dest;
    dest.SetFormat(&format, bits.data());
    image.CopyTo(&dest, -3, 2, w, h, 1, -1);
    image.CopyTo(&dest, 5, -4, 40, 40, w / 2, h / 2);
  }
  return 0;
}
