#pragma once
// The dialog manager's record of one dialog, kept behind its window bytes.
// Called from the program's thread only.

#include <vector>

#include "platform/core/types.h"
#include "platform/dialog/dialog.h"
#include "platform/gdi/objects.h"

namespace plat::dialog_impl {

struct DialogData {
  HFONT font = nullptr;  // the template's font (null: the system font)
  bool ownsFont = false;
  SIZE baseUnits{8, 16};      // average character width and height of the font
  HWND savedFocus = nullptr;  // the control to focus again at the next activation
  WORD defId = 0;
  bool hasDefId = false;
  bool modal = false;
  bool ended = false;
  LRESULT result = 0;
  HWND disabledOwner = nullptr;  // the owner a modal dialog disabled, until it is enabled again
};

constexpr int kDialogDataIndex = DWLP_USER + static_cast<int>(sizeof(LONG_PTR));
constexpr int DLGWINDOWEXTRA = kDialogDataIndex + static_cast<int>(sizeof(DialogData*));

// The record of a dialog; null for other windows.
DialogData* DialogOf(HWND hwnd);

// The siblings of `control` in its group (from a WS_GROUP window up to the
// next one), in creation order, `control` among them.
std::vector<HWND> GroupOf(HWND control);

// Gives the focus to a control of the dialog; an edit gets all its text selected.
void FocusControl(HWND dialog, HWND control);
// Dialog units to pixels with the dialog's base units (rounded to nearest).
int ScaleX(const DialogData& d, int units);
int ScaleY(const DialogData& d, int units);

}  // namespace plat::dialog_impl
