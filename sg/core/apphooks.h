#pragma once
// The two functions the application supplies to the library. The library calls
// them through this narrow interface; until the application installs its own,
// the defaults give an empty context name and accept every data directory.

#include <cstdint>

// Fills `buffer` (of `size` bytes) with a terminated name and returns it, or
// returns null to refuse the context.
using ContextNameHook = char* (*)(char* buffer, std::uint32_t size);
// Returns 0 to accept the data directory `path`; any other value refuses it.
using CheckDataPathHook = int (*)(const char* path);

// Installs the application's hooks; a null argument restores that default.
void SGSetApplicationHooks(ContextNameHook contextName, CheckDataPathHook checkDataPath);

char* ISGCallContextNameHook(char* buffer, std::uint32_t size);
int ISGCallCheckDataPathHook(const char* path);
