#pragma once
// Conventions every saved block of the game model follows: fields
// little-endian with no padding (ByteStream.h), lists as a u16 count and the
// elements, and a closing validity byte.

#include "platform/core/files.h"

class BlockReader;
class BlockWriter;

constexpr unsigned char kValidityByte = 0xFE;

// Writes the validity byte; 1 when it was written, else 0.
int WriteValidityByte(plat::FILE* fp);
int WriteValidityByte(BlockWriter& w);
// Reads one byte; 1 when it is the validity byte, 0 at end of file or for any
// other value (the byte is consumed either way).
int ReadValidityByte(plat::FILE* fp);
int ReadValidityByte(BlockReader& r);
// Copies the whole file `source` to `destination` (both opened through
// OpenDataFile). 1 on success; 0 when either cannot be opened or the copy
// falls short.
int CopyWholeFile(const char* source, const char* destination);
