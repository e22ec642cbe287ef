#pragma once
// The control IDs of the front-end screens' dialog templates: the resource
// script (data/frontend.rc) and the screens' code both include this file, so
// a control is numbered in one place. Plain #defines: the resource compiler
// reads them too.

// IDD_MAIN: the player's name and nickname.
#define IDC_MAIN_NAME 1211
#define IDC_MAIN_NICKNAME 1212

// IDD_TCPIP: the host's address.
#define IDC_TCPIP_ADDRESS 1248

// IDD_CREATEJOIN: the new session's name and password, the sessions found,
// the password of the session to join.
#define IDC_CREATEJOIN_NAME 1094
#define IDC_CREATEJOIN_PASSWORD 1206
#define IDC_CREATEJOIN_SESSIONS 1092
#define IDC_CREATEJOIN_JOIN_PASSWORD 1096

// IDD_WAIT: the players, the chat lines and the chat entry.
#define IDC_WAIT_PLAYERS 1204
#define IDC_WAIT_CHAT_LINES 1209
#define IDC_WAIT_CHAT_ENTRY 1203

// IDD_EMAIL: the game's name.
#define IDC_EMAIL_NAME 1270

// IDD_MODEM: the modems and the number to dial.
#define IDC_MODEM_LIST 1249
#define IDC_MODEM_PHONE 1264

// IDD_LOGIN: the user name and password.
#define IDC_LOGIN_USER 1545
#define IDC_LOGIN_PASSWORD 1546

// IDD_CONFIG: each number's edit and the up-down beside it.
#define IDC_CONFIG_BIB_TURNS 1059
#define IDC_CONFIG_BIB_TURNS_SPIN 1060
#define IDC_CONFIG_IMPERATOR_ASTEROIDS 1048
#define IDC_CONFIG_IMPERATOR_ASTEROIDS_SPIN 1049
#define IDC_CONFIG_IMPERATOR_VOTES 1050
#define IDC_CONFIG_IMPERATOR_VOTES_SPIN 1051
#define IDC_CONFIG_TURN_TIME 1043
#define IDC_CONFIG_TURN_TIME_SPIN 1044
#define IDC_CONFIG_CHAPTERS 1037
#define IDC_CONFIG_CHAPTERS_SPIN 1038
#define IDC_CONFIG_ASTEROIDS 1039
#define IDC_CONFIG_ASTEROIDS_SPIN 1040
#define IDC_CONFIG_RESEARCH_SHARED 1041
#define IDC_CONFIG_RESEARCH_SHARED_SPIN 1042

// IDD_GUILDCHAPTER: the chapter's name.
#define IDC_GUILDCHAPTER_NAME 1268

// IDD_LOAD: the saved games.
#define IDC_LOAD_LIST 1136
