#pragma once
// Control IDs of the help window ("IDD_HELP_DLG"), shared by its resource
// script and its code; the resource compiler reads the defines alone.

#define IDC_HELP_UP 1271
#define IDC_HELP_DOWN 1272
