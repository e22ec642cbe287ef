#pragma once
// Multimedia file I/O: buffered reading of RIFF files by DOS path, chunk
// descent and ascent, and direct access to the I/O buffer (get info, advance,
// set info), with the classic flags and error codes. Reading only. Each file
// handle belongs to one thread at a time.

#include "platform/core/types.h"
#include "platform/sound/mmresult.h"

namespace plat {

struct HMMIO__;
using HMMIO = HMMIO__*;
using FOURCC = DWORD;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
  return static_cast<FOURCC>(static_cast<BYTE>(a)) | (static_cast<FOURCC>(static_cast<BYTE>(b)) << 8) |
         (static_cast<FOURCC>(static_cast<BYTE>(c)) << 16) | (static_cast<FOURCC>(static_cast<BYTE>(d)) << 24);
}

constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;
constexpr DWORD MMIO_DEFAULTBUFFER = 8192;

constexpr UINT MMIOERR_FILENOTFOUND = 257;
constexpr UINT MMIOERR_OUTOFMEMORY = 258;
constexpr UINT MMIOERR_CANNOTOPEN = 259;
constexpr UINT MMIOERR_CANNOTREAD = 261;
constexpr UINT MMIOERR_CANNOTSEEK = 263;
constexpr UINT MMIOERR_CHUNKNOTFOUND = 265;
constexpr UINT MMIOERR_UNBUFFERED = 266;

// The state of a file's I/O buffer as mmioGetInfo shows it: bytes from
// pchNext up to pchEndRead are read but not yet taken.
struct MMIOINFO {
  DWORD dwFlags = 0;
  UINT wErrorRet = 0;
  LONG cchBuffer = 0;
  char* pchBuffer = nullptr;
  char* pchNext = nullptr;
  char* pchEndRead = nullptr;
  char* pchEndWrite = nullptr;
  LONG lBufOffset = 0;   // file offset of pchBuffer
  LONG lDiskOffset = 0;  // file offset the next read from disk starts at
  HMMIO hmmio = nullptr;
};

struct MMCKINFO {
  FOURCC ckid = 0;
  DWORD cksize = 0;
  FOURCC fccType = 0;
  DWORD dwDataOffset = 0;  // file offset of the chunk's data
  DWORD dwFlags = 0;
};

// Opens a file for reading (MMIO_ALLOCBUF: with an 8 KB buffer). Null when it
// cannot; info->wErrorRet (when info is given) says why.
HMMIO mmioOpen(const char* dosPath, MMIOINFO* info, DWORD flags);
UINT mmioClose(HMMIO h, UINT flags);
// Bytes read (0 at the end), -1 on error.
LONG mmioRead(HMMIO h, char* buffer, LONG bytes);
// The new position, -1 on error.
LONG mmioSeek(HMMIO h, LONG offset, int origin);
// Finds a chunk from the current position: with MMIO_FINDRIFF a "RIFF" (and
// MMIO_FINDLIST a "LIST") chunk whose form type is ck->fccType, with
// MMIO_FINDCHUNK a chunk whose id is ck->ckid, else the next chunk. Within
// `parent` when given. Leaves the position at the chunk's data (after the
// form type for RIFF and LIST). MMIOERR_CHUNKNOTFOUND when there is none.
UINT mmioDescend(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags);
// Moves past the chunk (and its pad byte when its size is odd).
UINT mmioAscend(HMMIO h, MMCKINFO* ck, UINT flags);
UINT mmioGetInfo(HMMIO h, MMIOINFO* info, UINT flags);
// Takes back the buffer state (how far the caller read: pchNext).
UINT mmioSetInfo(HMMIO h, const MMIOINFO* info, UINT flags);
// Refills the buffer from the file after what it held; the caller's info
// shows the new contents (pchNext == pchEndRead when the file ended).
UINT mmioAdvance(HMMIO h, MMIOINFO* info, UINT flags);

}  // namespace plat
