#pragma once
// The login box of services that need a user name and password before they
// open: it writes both into the service settings and always ends with OK.
// Game thread only.

struct HvMServiceEx_Struct;

// Runs the box modally over the main window.
void RunLoginDlg(HvMServiceEx_Struct& settings);
