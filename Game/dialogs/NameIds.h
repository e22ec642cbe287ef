#pragma once
// Control IDs of the name prompts ("IDD_ENTER_NAME_DLG"), shared by their
// resource script and their code; the resource compiler reads the defines
// alone.

#define IDC_NAME_TEXT 1003
