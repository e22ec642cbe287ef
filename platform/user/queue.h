#pragma once
// The game thread's message queue, the get-message hook and timers.
//
// Retrieval order: posted and input messages in arrival order, then WM_QUIT
// (after PostQuitMessage), then WM_PAINT for a window with an update region,
// then WM_TIMER for a due timer. WM_PAINT and WM_TIMER are made when looked
// for, never queued, so a window that does not validate keeps receiving
// WM_PAINT. PostMessage may be called from any thread; everything else from the
// game thread only.

#include "platform/core/types.h"
#include "platform/user/messages.h"

namespace plat {

// Queues a message and returns at once. A null window makes a thread message
// (hwnd null in the MSG). FALSE for a window that does not exist.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls the window procedure now and returns its result; 0 for a window that
// does not exist.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Leaves a WM_QUIT with wParam = exitCode for the queue to hand out once no
// posted message is waiting.
void PostQuitMessage(int exitCode);

// Looks for a message for `hwnd` (null: any window and thread messages;
// (HWND)-1: thread messages only) with a number in [filterMin, filterMax]
// (both 0: any). WM_QUIT is found whatever the filters. With PM_REMOVE the
// message leaves the queue (a due timer restarts its period). TRUE when one was
// found. Each message found passes the WH_GETMESSAGE hooks first. When nothing
// waits, the backend is serviced once (its input may arrive) and the queue is
// looked at again.
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for a message and removes it. Returns 0 for WM_QUIT, else nonzero.
// The wait services the backend; under the virtual clock it advances the clock
// to the next timer (or scripted input) instead of sleeping.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Waits until a message is there (without taking it).
BOOL WaitMessage();
// The wait between two passes of a loop that polls when it has nothing to
// do: services the backend, then waits until a message is posted, a timer
// falls due or `mostMs` (at least 1) have passed. Under the virtual clock it
// is Sleep(1) whatever `mostMs`, so that a scripted run's passes fall where
// they always did.
void WaitIdle(DWORD mostMs);
// For WM_KEYDOWN / WM_SYSKEYDOWN of a key that types a character, puts
// WM_CHAR / WM_SYSCHAR at the front of the queue (US keyboard layout, Shift and
// Caps Lock, Ctrl+letter gives the control code). TRUE when it did.
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of msg->hwnd (a WM_TIMER with a timer procedure in
// lParam calls that instead). Thread messages go nowhere and return 0.
LRESULT DispatchMessage(const MSG* msg);

// Hooks.
constexpr int WH_GETMESSAGE = 3;
constexpr int HC_ACTION = 0;
// code, wParam (PM_REMOVE when the message is being removed, PM_NOREMOVE when
// it is only looked at), lParam (MSG*, which the hook may change).
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);
// Only WH_GETMESSAGE on the game thread (threadId 0 or any id). The newest hook
// runs first; it passes the message on with CallNextHookEx, or keeps it from the
// hooks after it by not doing so (the message itself is delivered either way).
HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// Timers. The period runs on the program clock (virtual under tests); a period
// below 10 ms counts as 10. A due timer gives one WM_TIMER (wParam = id,
// lParam = the timer procedure) however late it is, and its period starts again
// when that message is removed.
using TIMERPROC = void (*)(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
// Same window and id restarts the timer. With a null window the id is chosen
// and returned. 0 on failure (a window that does not exist).
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

}  // namespace plat
