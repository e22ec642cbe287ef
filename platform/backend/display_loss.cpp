#include "platform/backend/display_loss.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>

#include <atomic>
#include <cstdio>

#include "platform/core/sudden_end.h"

namespace plat {
namespace {

std::atomic<int> g_exitCode{0};  // 0: not asked for
std::atomic<int> g_watchedConnection{-1};
char g_watchedCause[200];  // written before g_watchedConnection names it
struct sigaction g_previousFault {};

void DescribeLoss(char (&cause)[200], const char* display) {
  std::snprintf(cause, sizeof cause, "the connection to the display %s was lost; the game ends", display);
}

// Xlib calls this on the thread that found the connection broken, and ends
// the process itself if it returns: it never does.
int OnConnectionBroken(Display* display) {
  char cause[200];
  DescribeLoss(cause, XDisplayString(display));
  EndAtOnce(cause, g_exitCode.load());
}

// The server has closed its end (or the socket failed): a poll, which a
// signal handler may make, with no Xlib or xcb state read.
bool ConnectionBroken(int fd) {
  pollfd p{fd, POLLRDHUP, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL)) != 0;
}

void OnFault(int signal, siginfo_t* info, void*) {
  const int fd = g_watchedConnection.load(std::memory_order_acquire);
  if (fd >= 0 && ConnectionBroken(fd)) EndAtOnce(g_watchedCause, g_exitCode.load());
  // Not ours: the handler before takes the fault again as the instruction
  // runs again (a signal sent, not raised by a fault, is sent again).
  ::sigaction(signal, &g_previousFault, nullptr);
  if (info->si_code <= 0) ::raise(signal);
}

}  // namespace

void EndOnDisplayLoss(int exitCode) {
  if (g_exitCode.exchange(exitCode) != 0) return;
  XSetIOErrorHandler(OnConnectionBroken);
  struct sigaction action {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;  // the sanitizer's stack for an overflow, when it has one
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGSEGV, &action, &g_previousFault);
}

void WatchConnectionOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // The handler reads the cause only while a connection is watched.
  UnwatchConnection();
  DescribeLoss(g_watchedCause, XDisplayString(info.info.x11.display));
  g_watchedConnection.store(ConnectionNumber(info.info.x11.display), std::memory_order_release);
}

void UnwatchConnection() { g_watchedConnection.store(-1, std::memory_order_release); }

}  // namespace plat
