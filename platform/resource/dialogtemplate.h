#pragma once
// DIALOG and DIALOGEX resources parsed into plain records, from which the
// dialog code builds its windows. Pure functions on the bytes given: may be called from several threads.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/resource/resname.h"

namespace plat {

// Window classes of dialog items named by number.
constexpr WORD DLG_CLASS_BUTTON = 0x80;
constexpr WORD DLG_CLASS_EDIT = 0x81;
constexpr WORD DLG_CLASS_STATIC = 0x82;
constexpr WORD DLG_CLASS_LISTBOX = 0x83;
constexpr WORD DLG_CLASS_SCROLLBAR = 0x84;
constexpr WORD DLG_CLASS_COMBOBOX = 0x85;

// Dialog style bit that says a font follows the caption.
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_SHELLFONT = 0x48;

// A field that is a string or a number (ordinal).
struct SzOrOrd {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::string text;  // 8-bit (Windows-1252) when not an ordinal; empty for "none"

  bool Empty() const { return !isOrdinal && text.empty(); }
};

struct DialogItem {
  DWORD helpId = 0;  // DIALOGEX only
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;  // 16 bits in a DIALOG
  SzOrOrd windowClass;
  SzOrOrd text;
  std::vector<BYTE> creationData;
};

struct DialogTemplate {
  bool extended = false;  // DIALOGEX
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  SzOrOrd menu;
  SzOrOrd windowClass;
  std::string caption;
  bool hasFont = false;  // style has DS_SETFONT
  WORD pointSize = 0;
  WORD weight = 0;      // DIALOGEX only
  bool italic = false;  // DIALOGEX only
  BYTE charset = 0;     // DIALOGEX only
  std::string faceName;
  std::vector<DialogItem> items;
};

// The class name of an item class given by number ("Button", "Edit", "Static",
// "ListBox", "ScrollBar", "ComboBox"); null for other numbers.
const char* PredefinedDialogClassName(WORD atom);

// Parses a template; nothing when its bytes end early or hold an unknown version.
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes);
// Finds and parses the RT_DIALOG resource `name` of a module.
std::optional<DialogTemplate> LoadDialogTemplate(HMODULE module, const ResName& name);

}  // namespace plat
