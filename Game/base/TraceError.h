#pragma once
// The game code's consistency hook. A failing check tells it why (message,
// source file, line) and then returns its own failure value; the hook itself
// does nothing, so the game behaves the same whether or not anything listens.

inline void TraceError(const char* /*message*/, const char* /*sourceFile*/, int /*line*/) {}
