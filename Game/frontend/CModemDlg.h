#pragma once
// The modem screen: the modems the machine's registry lists and the phone
// number to dial; OK writes both into the application's service settings.
// Game thread only.

#include <cstdint>
#include <string>
#include <vector>

class CClntApp;

// The modems' descriptions under the machine's modem class key, in key
// order; a description that cannot be read ends the list with ":<code>".
// Empty when the key is missing.
std::vector<std::string> ListModems();

// 9 dial (name and number stored), 100 back, 1 the title.
std::int16_t RunModemDlg(CClntApp& app);
