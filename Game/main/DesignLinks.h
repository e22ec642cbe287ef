#pragma once
// The game screen's notices as the application hears them, with the design
// chamber's and the space replay's shares: the application's calls to clear
// the chamber's design and to close the replay file reach views which the
// view framework beneath them cannot name.
// Game thread only.

#include "Game/app/AppViewNotices.h"

IAppViewNotices& GameScreenNotices();
