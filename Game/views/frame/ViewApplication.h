#pragma once
// What the view framework reads of and asks from the application object,
// kept apart from the game model's headers (the application's chapter
// constants differ from the model's). Game thread only.

// The three display flags from the application's settings (nothing without one).
void CopyDisplaySettingsFromApplication();
// The main loop redraws the whole screen at its next frame.
void AskFullRedraw();
