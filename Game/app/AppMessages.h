#pragma once
// The main window's size and its private messages, for everything that posts
// to it without needing the application object.

#include "platform/core/types.h"

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// Private messages of the main window.
enum AppMessage : plat::UINT {
  WM_APP_SWITCH_VIEW = 0x800,
  WM_APP_GO_TO = 0x802,
  WM_APP_GAME_STARTED = 0x803,
  WM_APP_TURN_RESULTS = 0x804,
  WM_APP_EMAIL_END_TURN = 0x905,
  WM_APP_SAVE = 0x906,
  WM_APP_AUTOSAVE = 0x907,
  WM_APP_SAVE_FINISHED = 0x908,
  WM_APP_LOAD_REQUEST = 0x909,
  WM_APP_LOAD_REPLY = 0x90A,
  WM_APP_LOAD_PERMISSION = 0x90C,
  WM_APP_LOAD_DATA = 0x90D,
  WM_APP_TURN_PROCESSING = 0x90E,
  WM_APP_RESTART = 0x911,
  WM_APP_RESTART_VIEWS = 0x912,
  WM_APP_RESTART_REPLY = 0x913,
};
