#pragma once
// The game CD's music through the MCI CD-audio device: one track at a time,
// its end reported to a window as MM_MCINOTIFY. Game track n is CD track
// n + 1. Game thread only.

#include "platform/sound/mci.h"

class CCDAudio {
 public:
  CCDAudio() = default;
  ~CCDAudio() { Close(); }
  CCDAudio(const CCDAudio&) = delete;
  CCDAudio& operator=(const CCDAudio&) = delete;

  // Opens the shareable CD-audio device in the TMSF time format; isOpen tells
  // whether it worked. The window and limit are stored either way.
  void Open(int driveIndex, plat::HWND notifyWindow, plat::DWORD trackLimit);
  // Tracks below trackLimit play alone, others to the end of the disc. 1
  // started (or the open-ended play asked), 0 failed (the device then counts
  // as closed).
  int PlayTrack(plat::BYTE track);
  // Stops and closes; 1 when it was open.
  int Close();
  // The letter of the CD-ROM drive holding "Avi\intro.avi", cached; 0 when
  // none does (the next call searches again).
  char FindDrive();

  plat::MCI_OPEN_PARMS openParams;
  plat::DWORD isOpen = 0;
  plat::HWND notifyWindow = nullptr;
  char driveLetter = 0;
  plat::DWORD trackLimit = 0;
};
