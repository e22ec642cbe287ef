#pragma once
// The game screen's notices as the application hears them, with the views'
// own shares: the views are made here, and the application's call to close
// the space replay's file reaches a view which the view framework beneath
// them cannot name.
// Game thread only.

#include "Game/app/AppViewNotices.h"

IAppViewNotices& GameScreenNotices();
