#pragma once
// The application's process-wide objects, each one instance reached from
// everywhere.
// Game thread only.

#include <cstdint>

#include "Game/app/GameView.h"
#include "Game/model/GLocalChapter.h"
#include "platform/core/types.h"

class CClntApp;
class CDDraw;
class CNetSession;

extern CClntApp* g_app;
extern plat::HWND g_mainWnd;
extern plat::HHOOK g_getMessageHook;
extern CDDraw* g_ddraw;
extern CNetSession* g_session;
extern IGameView* g_currentView;
// Set while a movie plays.
extern bool g_moviePlaying;
// Set while a load is retried after an invalid file.
extern std::uint32_t g_reloadAfterFailure;
// Set when the player cancelled the low-disk warning: no more in this run.
extern std::uint32_t g_diskWarningOff;
// The packet dispatcher notes each packet it handled, for scripted runs that
// wait for one.
void NoteDispatchedPacket(std::uint16_t type);
std::uint32_t DispatchedPacketCount(std::uint16_t type);
// Set for scripted runs: the 3D views' objects keep still, since how far they
// turn hangs on how many frames pass while the script waits on the wall clock,
// and the run's captures must repeat.
extern bool g_stillWorld;
