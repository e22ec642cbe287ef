#include "Game/main/GameLinks.h"

#include "Game/app/AppViewNotices.h"
#include "Game/main/DesignLinks.h"

void InstallGameLinks(AppLinks&) {
  // The game screen hears what the game data, handlers and application tell it.
  RegisterAppViewNotices(&GameScreenNotices());
}
