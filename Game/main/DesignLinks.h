#pragma once
// The game screen's notices as the application hears them, with the design
// chamber's share: the application's call to clear the chamber's design
// reaches the design view, which the view framework beneath it cannot name.
// Game thread only.

#include "Game/app/AppViewNotices.h"

IAppViewNotices& GameScreenNotices();
