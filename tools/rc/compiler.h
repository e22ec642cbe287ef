#pragma once
// The resource compiler as a library: resource scripts in, resources out, and
// from them a module image (see moduleimage.h).
//
// Script syntax (a subset of the classic resource scripts):
//   #include "file" / <file>, #define NAME value, #undef, #ifdef, #ifndef,
//   #else, #endif, #pragma (ignored), // and /* */ comments.
//   STRINGTABLE [flags] { id[,] "text" ... }         (BEGIN/END may replace braces)
//   name DIALOG[EX] [flags] x, y, cx, cy[, helpId]   followed by options
//     STYLE s, EXSTYLE s, CAPTION "t", FONT size, "face"[, weight, italic, charset],
//     CLASS "c"|n, MENU m
//   and { items }: CONTROL "t", id, class, style, x, y, cx, cy[, exstyle[, helpId]];
//     PUSHBUTTON DEFPUSHBUTTON LTEXT CTEXT RTEXT GROUPBOX CHECKBOX AUTOCHECKBOX
//     RADIOBUTTON AUTORADIOBUTTON "t", id, x, y, cx, cy[, style[, exstyle[, helpId]]];
//     EDITTEXT LISTBOX COMBOBOX SCROLLBAR id, x, y, cx, cy[, style[, exstyle[, helpId]]];
//     ICON t, id, x, y[, cx, cy[, style[, exstyle[, helpId]]]].
//   name BITMAP "file.bmp", name CURSOR "file.cur", name ICON "file.ico",
//   name type "file" (the file's bytes), name type { numbers and strings }.
// Names and types are numbers, identifiers or quoted strings; RCDATA is type 10.
// Numbers are C literals (an L suffix makes a raw-data number 32-bit); number
// fields take expressions with | & + - ~ and parentheses; style fields also
// take NOT name to clear a default bit. Style and command names (WS_*, WS_EX_*,
// DS_*, BS_*, ES_*, SS_*, LBS_*, CBS_*, SBS_*, UDS_*, TTS_*, IDOK ... IDC_STATIC)
// are built in. Strings take \n \t \r \" \\ \xHHHH \ooo and "" for a quote.
// Memory flags (PRELOAD, MOVEABLE, DISCARDABLE, ...) are accepted and ignored.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/rc/moduleimage.h"

namespace rc {

struct CompileOptions {
  std::vector<std::filesystem::path> includeDirs;
  std::vector<std::pair<std::string, std::string>> defines;  // as #define name value before the script
};

struct CompileResult {
  std::vector<Resource> resources;
  std::vector<std::filesystem::path> dependencies;  // every file read
  std::string error;                                // "file:line: what" on failure

  bool Ok() const { return error.empty(); }
};

CompileResult CompileScript(const std::filesystem::path& script, const CompileOptions& options = {});
// Script text said to come from `name`, whose folder starts relative file names.
CompileResult CompileScriptText(std::string_view text, const std::filesystem::path& name,
                                const CompileOptions& options = {});

}  // namespace rc
