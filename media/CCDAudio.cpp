#include "media/CCDAudio.h"

#include "platform/core/dospath.h"
#include "platform/core/files.h"

using namespace plat;

namespace {

char g_introPath[] = "D:\\Avi\\intro.avi";

}  // namespace

void CCDAudio::Open(int, HWND window, DWORD limit) {
  notifyWindow = window;
  trackLimit = limit;
  openParams = MCI_OPEN_PARMS{};
  openParams.lpstrDeviceType = MCI_DEVTYPE_CD_AUDIO;
  isOpen = 0;
  if (mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_SHAREABLE, &openParams) != 0) return;
  MCI_SET_PARMS set;
  set.dwTimeFormat = MCI_FORMAT_TMSF;
  if (mciSendCommand(openParams.wDeviceID, MCI_SET, MCI_SET_TIME_FORMAT, &set) != 0) {
    mciSendCommand(openParams.wDeviceID, MCI_CLOSE, 0, nullptr);
    return;
  }
  isOpen = 1;
}

int CCDAudio::PlayTrack(BYTE track) {
  MCI_PLAY_PARMS play;
  play.dwCallback = reinterpret_cast<std::uintptr_t>(notifyWindow);
  play.dwFrom = MCI_MAKE_TMSF(static_cast<BYTE>(track + 1), 0, 0, 0);
  if (track < trackLimit) {
    play.dwTo = MCI_MAKE_TMSF(static_cast<BYTE>(track + 2), 0, 0, 0);
    if (mciSendCommand(openParams.wDeviceID, MCI_PLAY, MCI_NOTIFY | MCI_FROM | MCI_TO, &play) != 0) {
      // Counted as closed from now on, so it must not stay open (nor go on
      // playing what it played before) behind the player's back.
      MCI_GENERIC_PARMS none;
      mciSendCommand(openParams.wDeviceID, MCI_CLOSE, 0, &none);
      isOpen = 0;
      return 0;
    }
  } else {
    mciSendCommand(openParams.wDeviceID, MCI_PLAY, MCI_NOTIFY | MCI_FROM, &play);
  }
  return 1;
}

int CCDAudio::Close() {
  if (!isOpen) return 0;
  MCI_GENERIC_PARMS none;  // the close is not reported: only a track's end reaches the window
  mciSendCommand(openParams.wDeviceID, MCI_STOP, MCI_WAIT, &none);
  mciSendCommand(openParams.wDeviceID, MCI_CLOSE, MCI_NOTIFY, &none);
  isOpen = 0;
  return 1;
}

char CCDAudio::FindDrive() {
  if (driveLetter) return driveLetter;
  for (char d = 'C'; d <= 'Y'; ++d) {
    const char root[] = {d, ':', '\\', 0};
    if (GetDriveType(root) != DRIVE_CDROM) continue;
    g_introPath[0] = d;
    if (plat::FILE* f = plat::fopen(g_introPath, "rb")) {
      plat::fclose(f);
      driveLetter = d;
      return d;
    }
  }
  return 0;
}
