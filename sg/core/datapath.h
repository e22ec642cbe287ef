#pragma once
// Data paths: the directory through which the library opens its files. Names
// are DOS-style ("C:\QUENBAR\ART\x.bin", "ART\x.bin"); they reach the host file
// system through the platform's drive table, without regard to case.

#include <cstdint>
#include <cstdio>

#include "sg/core/sgerror.h"

struct SGContext;

struct SGDataPath {
  SGContext* dpContext;  // not owned
  char* dpDir;           // always ends in a backslash
};

// Copies the directory, asks the application's CheckDataPathHook about it
// (SG_ERROR_OPEN when refused) and appends a backslash when missing. 0, 1, 259.
// `reserved` is not used.
SGError SGDataPathCreate(SGContext* ctx, const char* dir, std::uint32_t reserved, SGDataPath** out);
// Opens `name` in the C `mode`: relative names below the directory; absolute
// names (first character a backslash or second a colon), or any name when the
// data path, its context or its directory is missing or empty, unchanged.
// SG_ERROR_OPEN with a null stream when it cannot be opened, or when the joined
// name does not fit in 511 characters.
SGError SGDataPathOpen(const SGDataPath* dp, const char* name, const char* mode, std::FILE** out);
// Hands the context's name back to CheckDataPathHook and frees the data path.
SGError SGDataPathDestroy(SGDataPath* dp);

// Opens a DOS-style name through the platform's drive table; null when the drive
// is unmapped or the file cannot be opened.
std::FILE* ISGFileOpen(const char* dosName, const char* mode);
// Bytes from the current position to the end of an open file (0 when unknown).
std::uint64_t ISGFileRemaining(std::FILE* file);
