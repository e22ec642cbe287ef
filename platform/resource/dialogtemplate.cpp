#include "platform/resource/dialogtemplate.h"

#include "platform/core/bytes.h"
#include "platform/resource/module.h"
#include "platform/resource/text1252.h"

namespace plat {
namespace {

// A NUL-terminated UTF-16 string; fails the reader when it runs past the end.
std::string ReadSz(ByteReader& r) {
  std::string out;
  while (r.Ok()) {
    std::uint16_t unit = r.U16();
    if (!r.Ok() || unit == 0) break;
    out.push_back(Utf16ToCp1252(unit));
  }
  return out;
}

SzOrOrd ReadSzOrOrd(ByteReader& r) {
  SzOrOrd v;
  std::size_t start = r.Pos();
  std::uint16_t first = r.U16();
  if (first == 0x0000) return v;
  if (first == 0xFFFF) {
    v.isOrdinal = true;
    v.ordinal = r.U16();
    return v;
  }
  r.Seek(start);
  v.text = ReadSz(r);
  return v;
}

bool ReadItem(ByteReader& r, bool extended, DialogItem& item) {
  r.Align(4);
  if (extended) {
    item.helpId = r.U32();
    item.exStyle = r.U32();
    item.style = r.U32();
  } else {
    item.style = r.U32();
    item.exStyle = r.U32();
  }
  item.x = r.I16();
  item.y = r.I16();
  item.cx = r.I16();
  item.cy = r.I16();
  item.id = extended ? r.U32() : r.U16();
  item.windowClass = ReadSzOrOrd(r);
  item.text = ReadSzOrOrd(r);
  std::size_t extra = r.U16();
  auto data = r.Bytes(extra);
  item.creationData.assign(data.begin(), data.end());
  return r.Ok();
}

}  // namespace

const char* PredefinedDialogClassName(WORD atom) {
  switch (atom) {
    case DLG_CLASS_BUTTON:
      return "Button";
    case DLG_CLASS_EDIT:
      return "Edit";
    case DLG_CLASS_STATIC:
      return "Static";
    case DLG_CLASS_LISTBOX:
      return "ListBox";
    case DLG_CLASS_SCROLLBAR:
      return "ScrollBar";
    case DLG_CLASS_COMBOBOX:
      return "ComboBox";
    default:
      return nullptr;
  }
}

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes) {
  ByteReader r(bytes);
  DialogTemplate t;
  std::uint16_t first = r.U16();
  std::uint16_t second = r.U16();
  if (!r.Ok()) return std::nullopt;
  t.extended = second == 0xFFFF;
  if (t.extended) {
    if (first != 1) return std::nullopt;
    t.helpId = r.U32();
    t.exStyle = r.U32();
    t.style = r.U32();
  } else {
    r.Seek(0);
    t.style = r.U32();
    t.exStyle = r.U32();
  }
  std::size_t count = r.U16();
  t.x = r.I16();
  t.y = r.I16();
  t.cx = r.I16();
  t.cy = r.I16();
  t.menu = ReadSzOrOrd(r);
  t.windowClass = ReadSzOrOrd(r);
  t.caption = ReadSz(r);
  if ((t.style & DS_SETFONT) != 0) {
    t.hasFont = true;
    t.pointSize = r.U16();
    if (t.extended) {
      t.weight = r.U16();
      t.italic = r.U8() != 0;
      t.charset = r.U8();
    }
    t.faceName = ReadSz(r);
  }
  if (!r.Ok()) return std::nullopt;
  // Each item takes at least 18 bytes; a count the bytes cannot hold is refused
  // before any room is reserved for it.
  if (count * 18 > r.Remaining() + 3) return std::nullopt;
  t.items.resize(count);
  for (DialogItem& item : t.items) {
    if (!ReadItem(r, t.extended, item)) return std::nullopt;
  }
  return t;
}

std::optional<DialogTemplate> LoadDialogTemplate(HMODULE module, const ResName& name) {
  return ParseDialogTemplate(ResourceBytes(module, name, RT_DIALOG));
}

}  // namespace plat
