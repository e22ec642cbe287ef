#include "tools/rc/encoders.h"

#include <stdexcept>

#include "platform/core/bytes.h"
#include "platform/resource/dib.h"
#include "platform/resource/text1252.h"

namespace rc {
namespace {

// The text as NUL-terminated UTF-16.
void WriteSz(plat::ByteWriter& w, const std::string& text) {
  for (char c : text) w.U16(plat::Cp1252ToUtf16(static_cast<unsigned char>(c)));
  w.U16(0);
}

void WriteSzOrOrd(plat::ByteWriter& w, const plat::SzOrOrd& v) {
  if (v.isOrdinal) {
    w.U16(0xFFFF);
    w.U16(v.ordinal);
  } else {
    WriteSz(w, v.text);
  }
}

std::vector<Resource> GroupFromFile(std::span<const std::uint8_t> file, const plat::ResName& name,
                                    std::uint16_t& nextImageId, bool cursor) {
  const char* what = cursor ? "cursor file" : "icon file";
  plat::ByteReader r(file);
  std::uint16_t reserved = r.U16();
  std::uint16_t type = r.U16();
  std::size_t count = r.U16();
  if (!r.Ok() || reserved != 0 || type != (cursor ? 2 : 1) || count == 0) {
    throw std::runtime_error(std::string("not a ") + what);
  }
  std::vector<Resource> out;
  plat::ByteWriter group;
  group.U16(0);
  group.U16(cursor ? 2 : 1);
  group.U16(static_cast<std::uint16_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    r.Skip(4);                     // width, height, colours, reserved: the picture's header says it better
    std::uint16_t hotX = r.U16();  // planes in an icon file
    std::uint16_t hotY = r.U16();  // bit count in an icon file
    std::uint32_t size = r.U32();
    std::uint32_t offset = r.U32();
    if (!r.Ok()) throw std::runtime_error(std::string(what) + " directory cut short");
    plat::ByteReader at(file, offset);
    auto picture = at.Bytes(size);
    if (!at.Ok()) throw std::runtime_error(std::string(what) + " picture past the end of the file");
    auto dib = plat::ParseDib(picture, true);
    if (!dib) throw std::runtime_error(std::string(what) + " picture is not a bitmap");
    if (nextImageId == 0) throw std::runtime_error("too many cursor or icon pictures");
    std::uint16_t id = nextImageId++;

    Resource image;
    image.type = cursor ? plat::RT_CURSOR : plat::RT_ICON;
    image.name = id;
    plat::ByteWriter data;
    if (cursor) {
      data.U16(hotX);
      data.U16(hotY);
    }
    data.WriteBytes(picture);
    image.data = data.Take();

    if (cursor) {
      group.U16(static_cast<std::uint16_t>(dib->width));
      group.U16(static_cast<std::uint16_t>(dib->height));  // colour rows and mask rows
    } else {
      group.U8(static_cast<std::uint8_t>(dib->width));  // 256 is stored as 0
      group.U8(static_cast<std::uint8_t>(dib->height / 2));
      group.U8(static_cast<std::uint8_t>(dib->bitCount <= 8 ? dib->palette.size() : 0));
      group.U8(0);
    }
    group.U16(dib->planes);
    group.U16(dib->bitCount);
    group.U32(static_cast<std::uint32_t>(image.data.size()));
    group.U16(id);
    out.push_back(std::move(image));
  }
  Resource g;
  g.type = cursor ? plat::RT_GROUP_CURSOR : plat::RT_GROUP_ICON;
  g.name = name;
  g.data = group.Take();
  out.insert(out.begin(), std::move(g));
  return out;
}

}  // namespace

std::vector<Resource> EncodeStringTable(const std::map<std::uint16_t, std::u16string>& strings) {
  std::vector<Resource> out;
  auto it = strings.begin();
  while (it != strings.end()) {
    const unsigned block = it->first >> 4;
    plat::ByteWriter w;
    for (unsigned slot = 0; slot < 16; ++slot) {
      auto found = strings.find(static_cast<std::uint16_t>(block * 16 + slot));
      if (found == strings.end()) {
        w.U16(0);
        continue;
      }
      if (found->second.size() > 0xFFFF) throw std::runtime_error("string too long");
      w.U16(static_cast<std::uint16_t>(found->second.size()));
      for (char16_t c : found->second) w.U16(c);
    }
    Resource r;
    r.type = plat::RT_STRING;
    r.name = static_cast<int>(block + 1);
    r.data = w.Take();
    out.push_back(std::move(r));
    while (it != strings.end() && (it->first >> 4) == block) ++it;
  }
  return out;
}

std::vector<std::uint8_t> EncodeDialogTemplate(const plat::DialogTemplate& d) {
  plat::ByteWriter w;
  const bool ex = d.extended;
  if (ex) {
    w.U16(1);
    w.U16(0xFFFF);
    w.U32(d.helpId);
    w.U32(d.exStyle);
    w.U32(d.style);
  } else {
    w.U32(d.style);
    w.U32(d.exStyle);
  }
  w.U16(static_cast<std::uint16_t>(d.items.size()));
  w.U16(static_cast<std::uint16_t>(d.x));
  w.U16(static_cast<std::uint16_t>(d.y));
  w.U16(static_cast<std::uint16_t>(d.cx));
  w.U16(static_cast<std::uint16_t>(d.cy));
  WriteSzOrOrd(w, d.menu);
  WriteSzOrOrd(w, d.windowClass);
  WriteSz(w, d.caption);
  if ((d.style & plat::DS_SETFONT) != 0) {
    w.U16(d.pointSize);
    if (ex) {
      w.U16(d.weight);
      w.U8(d.italic ? 1 : 0);
      w.U8(d.charset);
    }
    WriteSz(w, d.faceName);
  }
  for (const plat::DialogItem& item : d.items) {
    w.Align(4);
    if (ex) {
      w.U32(item.helpId);
      w.U32(item.exStyle);
      w.U32(item.style);
    } else {
      w.U32(item.style);
      w.U32(item.exStyle);
    }
    w.U16(static_cast<std::uint16_t>(item.x));
    w.U16(static_cast<std::uint16_t>(item.y));
    w.U16(static_cast<std::uint16_t>(item.cx));
    w.U16(static_cast<std::uint16_t>(item.cy));
    if (ex) {
      w.U32(item.id);
    } else {
      w.U16(static_cast<std::uint16_t>(item.id));
    }
    WriteSzOrOrd(w, item.windowClass);
    WriteSzOrOrd(w, item.text);
    w.U16(static_cast<std::uint16_t>(item.creationData.size()));
    w.WriteBytes(item.creationData);
  }
  return w.Take();
}

std::vector<std::uint8_t> BitmapFromFile(std::span<const std::uint8_t> file) {
  plat::ByteReader r(file);
  if (r.U16() != 0x4D42) throw std::runtime_error("not a bitmap file");
  r.Skip(12);
  auto dib = r.Bytes(r.Remaining());
  if (!r.Ok() || !plat::ParseDib(dib)) throw std::runtime_error("bitmap file holds no readable bitmap");
  return {dib.begin(), dib.end()};
}

std::vector<Resource> CursorGroupFromFile(std::span<const std::uint8_t> file, const plat::ResName& name,
                                          std::uint16_t& nextImageId) {
  return GroupFromFile(file, name, nextImageId, true);
}

std::vector<Resource> IconGroupFromFile(std::span<const std::uint8_t> file, const plat::ResName& name,
                                        std::uint16_t& nextImageId) {
  return GroupFromFile(file, name, nextImageId, false);
}

}  // namespace rc
