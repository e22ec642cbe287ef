#pragma once
// What the in-game settings take from and give back to the application
// object, kept apart from the game model's headers (the application's
// chapter constants differ from the model's). Game thread only.

struct InGameSettings;
struct PlayerOptions;

// The effects and music levels and the speech flag (nothing without an application).
void CopySettingsFromApplication(InGameSettings& settings);
// Save's way to the application's fields (null without an application) and
// to "UserInfo.dat" (nothing without one).
PlayerOptions* ApplicationOptions();
void WriteApplicationUserInfo();
// The player's distance-fog and star-background settings (on without an
// application).
bool ApplicationDistanceFogOn();
bool ApplicationStarBackgroundOn();
// The server takes the autosave switch from the player who hosts the game alone.
bool ApplicationMayChangeAutosave();
