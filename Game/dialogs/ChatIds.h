#pragma once
// Control IDs of the chat and note dialogs ("IDD_DIALOG_CHAT",
// "IDD_MULTILINE_EDIT"), shared by their resource script and their code; the
// resource compiler reads the defines alone.

#define IDC_CHAT_TEXT 1273
#define IDC_CHAT_TO_ALL 1274
#define IDC_CHAT_TO_GUILD 1275
#define IDC_CHAT_GUILDS 1276
#define IDC_CHAT_CHAPTERS 1277
#define IDC_CHAT_TO_CHAPTER 1278

#define IDC_NOTE_TEXT 1000
