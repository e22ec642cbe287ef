#pragma once
// State that lives as long as the process: made on first use and never
// destroyed. A part of the platform keeps here the state that other threads
// (the audio output's, a decoder's, the multiplayer engine's) or other static
// objects' destructors reach, so that an exit() from anywhere (a library's, as
// Xlib's on a lost display) takes nothing away under them, whatever order the
// static objects were made in. Orderly ends are the program's own, before
// main returns. May be called from several threads.

namespace plat {

template <class T>
T& Lifelong() {
  static T* const state = new T();
  return *state;
}

}  // namespace plat
