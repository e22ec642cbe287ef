#pragma once
// Bitmap objects from pixel layouts: new blank ones and ones read from DIB
// bytes (bitmap resources and BMP files). Called from the program's thread only.

#include <memory>
#include <span>

#include "platform/gdi/gdi_impl.h"
#include "platform/resource/dib.h"

namespace plat::gdi_impl {

// A blank bitmap of the format, rows padded to 4 bytes.
std::unique_ptr<BitmapObject> NewBitmap(int width, int height, PixelFormat format, bool bottomUp);

// The image of a parsed DIB whose rows start at `rowsOffset` of `bytes` (the
// caller has checked that they fit): 1-, 4- and 8-bit images become 8-bit, 16-bit
// ones keep their 5-5-5 or 5-6-5 layout, 24- and 32-bit ones become 24-bit.
// Null for 16- or 32-bit images with other channel masks.
std::unique_ptr<BitmapObject> BitmapFromDib(std::span<const BYTE> bytes, const DibHeader& header,
                                            std::size_t rowsOffset);

// A BMP file's bytes: the 14-byte file header ("BM", the rows' offset at 10),
// then a DIB. Null when any part is missing, malformed or outside the bytes.
std::unique_ptr<BitmapObject> BitmapFromBmpFile(std::span<const BYTE> bytes);

}  // namespace plat::gdi_impl
