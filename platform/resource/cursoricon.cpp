#include "platform/resource/cursoricon.h"

#include "platform/core/bytes.h"
#include "platform/resource/module.h"

namespace plat {
namespace {

constexpr WORD kGroupIcon = 1;
constexpr WORD kGroupCursor = 2;
constexpr std::size_t kGroupEntrySize = 14;

std::optional<CursorIconGroup> LoadGroup(HMODULE module, const ResName& name, bool cursor) {
  ByteReader r(ResourceBytes(module, name, cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON));
  std::uint16_t reserved = r.U16();
  std::uint16_t type = r.U16();
  std::size_t count = r.U16();
  if (!r.Ok() || reserved != 0 || type != (cursor ? kGroupCursor : kGroupIcon)) return std::nullopt;
  if (count * kGroupEntrySize > r.Remaining()) return std::nullopt;
  CursorIconGroup group;
  group.isCursor = cursor;
  for (std::size_t i = 0; i < count; ++i) {
    r.Skip(12);  // sizes, planes, bit count and byte count repeat what the image says
    CursorIconImage image;
    image.resourceId = r.U16();
    ByteReader data(ResourceBytes(module, image.resourceId, cursor ? RT_CURSOR : RT_ICON));
    if (cursor) {
      image.hotspot.x = data.U16();
      image.hotspot.y = data.U16();
    }
    auto dib = data.Bytes(data.Remaining());
    auto header = ParseDib(dib, true);
    if (!data.Ok() || !header) return std::nullopt;
    image.header = std::move(*header);
    image.width = image.header.width;
    image.height = image.header.height / 2;
    image.dib.assign(dib.begin(), dib.end());
    group.images.push_back(std::move(image));
  }
  return group;
}

}  // namespace

std::optional<CursorIconGroup> LoadCursorGroup(HMODULE module, const ResName& name) {
  return LoadGroup(module, name, true);
}

std::optional<CursorIconGroup> LoadIconGroup(HMODULE module, const ResName& name) {
  return LoadGroup(module, name, false);
}

}  // namespace plat
