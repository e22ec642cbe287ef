#pragma once
// The game screen's notices as the application hears them, with the views'
// own shares: the views are made here, and the application's calls to clear
// the chamber's design and to close the space replay's file reach views
// which the view framework beneath them cannot name.
// Game thread only.

#include "Game/app/AppViewNotices.h"

IAppViewNotices& GameScreenNotices();
