#pragma once
// Encoders of resource data: string-table blocks, dialog templates, and the
// bitmap, cursor and icon files a script names. Malformed input files throw
// std::runtime_error naming what is wrong.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/resource/dialogtemplate.h"
#include "tools/rc/moduleimage.h"

namespace rc {

// One RT_STRING resource per block of 16 ids that holds any string.
std::vector<Resource> EncodeStringTable(const std::map<std::uint16_t, std::u16string>& strings);

// A DIALOG or DIALOGEX template (by `dialog.extended`).
std::vector<std::uint8_t> EncodeDialogTemplate(const plat::DialogTemplate& dialog);

// The RT_BITMAP data of a .bmp file: the file without its 14-byte file header.
std::vector<std::uint8_t> BitmapFromFile(std::span<const std::uint8_t> file);

// A .cur or .ico file as one group resource named `name` plus one image
// resource per picture, numbered from nextImageId on (which advances).
std::vector<Resource> CursorGroupFromFile(std::span<const std::uint8_t> file, const plat::ResName& name,
                                          std::uint16_t& nextImageId);
std::vector<Resource> IconGroupFromFile(std::span<const std::uint8_t> file, const plat::ResName& name,
                                        std::uint16_t& nextImageId);

}  // namespace rc
