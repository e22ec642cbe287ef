// Feeds arbitrary bytes to the resource-module reader and to every parser of
// the resources it finds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/resource/cursoricon.h"
#include "platform/resource/dialogtemplate.h"
#include "platform/resource/dib.h"
#include "platform/resource/module.h"
#include "platform/resource/peimage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  plat::ResourceListing listing = plat::ReadResourceDirectory(bytes);
  plat::HMODULE m = plat::LoadLibraryFromMemory(bytes);
  if (m == nullptr) return 0;
  char text[64];
  for (const plat::ResourceRecord& rec : listing.records) {
    auto resource = plat::ResourceBytes(m, rec.name, rec.type);
    if (!rec.type.IsId()) continue;
    switch (rec.type.Id()) {
      case plat::RT_DIALOG:
        plat::ParseDialogTemplate(resource);
        break;
      case plat::RT_BITMAP:
        plat::ParseDib(resource);
        break;
      case plat::RT_GROUP_CURSOR:
        plat::LoadCursorGroup(m, rec.name);
        break;
      case plat::RT_GROUP_ICON:
        plat::LoadIconGroup(m, rec.name);
        break;
      case plat::RT_STRING:
        if (rec.name.IsId() && rec.name.Id() > 0) {
          for (unsigned i = 0; i < 16; ++i) plat::LoadString(m, (rec.name.Id() - 1u) * 16u + i, text, sizeof text);
        }
        break;
      default:
        break;
    }
  }
  plat::FreeLibrary(m);
  return 0;
}
