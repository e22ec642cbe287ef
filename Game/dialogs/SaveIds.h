#pragma once
// Control IDs of the save dialog ("IDD_SAVE"), shared by its resource script
// and its code; the resource compiler reads the defines alone.

#define IDC_SAVE_LIST 1283
#define IDC_SAVE_NAME 1137
#define IDC_SAVE_DELETE 3092
#define IDC_SAVE_REDRAW 1048
