#pragma once
// Between the queue and the files that feed it.

#include <optional>

#include "platform/user/messages.h"

namespace plat::user_impl {

// Queues an input message; a mouse move replaces a mouse move for the same
// window and buttons still waiting at the end of the queue.
void PostInputMessage(const MSG& msg);
// Puts a message in front of everything waiting (TranslateMessage).
void PostFrontMessage(const MSG& msg);

// Marks the calling thread as the one that runs windows (the first to create
// one or to look at the queue); only its posts are checked against windows.
void NoteGameThread();

bool MessageMatches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax);
// Timers: the most overdue timer matching the filters; with `remove` its
// period starts again.
bool TakeDueTimer(MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove);
// Clock time at which the next timer falls due.
std::optional<DWORD> NextTimerDue();

}  // namespace plat::user_impl
