#include "platform/sound/mmio.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/core/bytes.h"
#include "platform/core/files.h"

struct plat::HMMIO__ {
  plat::FILE* file = nullptr;
  std::vector<char> buffer;
  long bufOffset = 0;  // file offset of buffer[0]
  std::size_t next = 0;
  std::size_t end = 0;  // bytes valid in buffer
};

namespace plat {
namespace {

constexpr FOURCC kRiff = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC kList = mmioFOURCC('L', 'I', 'S', 'T');

long Position(const HMMIO__& m) { return m.bufOffset + static_cast<long>(m.next); }

bool Fill(HMMIO__& m, long at) {
  if (m.buffer.empty()) return false;
  if (fseek(m.file, at, SEEK_SET) != 0) return false;
  m.bufOffset = at;
  m.next = 0;
  m.end = fread(m.buffer.data(), 1, m.buffer.size(), m.file);
  return true;
}

DWORD U32(const char* p) {
  return static_cast<DWORD>(static_cast<BYTE>(p[0])) | (static_cast<DWORD>(static_cast<BYTE>(p[1])) << 8) |
         (static_cast<DWORD>(static_cast<BYTE>(p[2])) << 16) | (static_cast<DWORD>(static_cast<BYTE>(p[3])) << 24);
}

}  // namespace

HMMIO mmioOpen(const char* dosPath, MMIOINFO* info, DWORD flags) {
  auto fail = [&](UINT code) -> HMMIO {
    if (info) info->wErrorRet = code;
    return nullptr;
  };
  if (!dosPath) return fail(MMIOERR_FILENOTFOUND);
  FILE* f = fopen(dosPath, "rb");
  if (!f) return fail(MMIOERR_CANNOTOPEN);
  auto* m = new HMMIO__;
  m->file = f;
  if (flags & MMIO_ALLOCBUF) m->buffer.resize(MMIO_DEFAULTBUFFER);
  if (info) info->wErrorRet = MMSYSERR_NOERROR;
  return m;
}

UINT mmioClose(HMMIO h, UINT) {
  if (!h) return MMIOERR_CANNOTOPEN;
  fclose(h->file);
  delete h;
  return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO h, char* out, LONG bytes) {
  if (!h || bytes < 0 || (!out && bytes > 0)) return -1;
  if (h->buffer.empty()) return static_cast<LONG>(fread(out, 1, static_cast<std::size_t>(bytes), h->file));
  LONG done = 0;
  while (done < bytes) {
    if (h->next == h->end) {
      if (!Fill(*h, h->bufOffset + static_cast<long>(h->end)) || h->end == 0) break;
    }
    const auto n = std::min<std::size_t>(h->end - h->next, static_cast<std::size_t>(bytes - done));
    std::memcpy(out + done, h->buffer.data() + h->next, n);
    h->next += n;
    done += static_cast<LONG>(n);
  }
  return done;
}

LONG mmioSeek(HMMIO h, LONG offset, int origin) {
  if (!h) return -1;
  long base = 0;
  if (origin == SEEK_CUR) {
    base = h->buffer.empty() ? ftell(h->file) : Position(*h);
  } else if (origin == SEEK_END) {
    if (fseek(h->file, 0, SEEK_END) != 0) return -1;
    base = ftell(h->file);
  } else if (origin != SEEK_SET) {
    return -1;
  }
  const long target = base + offset;
  if (target < 0 || fseek(h->file, target, SEEK_SET) != 0) return -1;
  h->bufOffset = target;
  h->next = h->end = 0;
  return static_cast<LONG>(target);
}

UINT mmioDescend(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags) {
  if (!h || !ck) return MMIOERR_CHUNKNOTFOUND;
  const std::uint64_t limit =
      parent ? std::uint64_t{parent->dwDataOffset} + parent->cksize : std::uint64_t{0xFFFFFFFFu};
  const FOURCC wantId = ck->ckid, wantType = ck->fccType;
  // Each pass moves at least 8 bytes on, so the walk ends with the file.
  for (;;) {
    const LONG at = mmioSeek(h, 0, SEEK_CUR);
    if (at < 0 || static_cast<std::uint64_t>(at) + 8 > limit) return MMIOERR_CHUNKNOTFOUND;
    char head[12];
    if (mmioRead(h, head, 8) != 8) return MMIOERR_CHUNKNOTFOUND;
    ck->ckid = U32(head);
    ck->cksize = U32(head + 4);
    ck->dwDataOffset = static_cast<DWORD>(at) + 8;
    ck->fccType = 0;
    ck->dwFlags = 0;
    if (ck->ckid == kRiff || ck->ckid == kList) {
      if (mmioRead(h, head + 8, 4) != 4) return MMIOERR_CHUNKNOTFOUND;
      ck->fccType = U32(head + 8);
    }
    bool match = true;
    if (flags & MMIO_FINDRIFF)
      match = ck->ckid == kRiff && ck->fccType == wantType;
    else if (flags & MMIO_FINDLIST)
      match = ck->ckid == kList && ck->fccType == wantType;
    else if (flags & MMIO_FINDCHUNK)
      match = ck->ckid == wantId;
    if (match) {
      if (ck->fccType) {  // leave the position after the form type
        mmioSeek(h, static_cast<LONG>(ck->dwDataOffset + 4), SEEK_SET);
      }
      return MMSYSERR_NOERROR;
    }
    const std::uint64_t next = std::uint64_t{ck->dwDataOffset} + ck->cksize + (ck->cksize & 1);
    if (next > 0x7FFFFFFF || mmioSeek(h, static_cast<LONG>(next), SEEK_SET) < 0) return MMIOERR_CHUNKNOTFOUND;
  }
}

UINT mmioAscend(HMMIO h, MMCKINFO* ck, UINT) {
  if (!h || !ck) return MMIOERR_CANNOTSEEK;
  const std::uint64_t next = std::uint64_t{ck->dwDataOffset} + ck->cksize + (ck->cksize & 1);
  if (next > 0x7FFFFFFF || mmioSeek(h, static_cast<LONG>(next), SEEK_SET) < 0) return MMIOERR_CANNOTSEEK;
  return MMSYSERR_NOERROR;
}

UINT mmioGetInfo(HMMIO h, MMIOINFO* info, UINT) {
  if (!h || !info) return MMIOERR_CANNOTREAD;
  *info = MMIOINFO{};
  info->cchBuffer = static_cast<LONG>(h->buffer.size());
  info->pchBuffer = h->buffer.data();
  info->pchNext = h->buffer.data() + h->next;
  info->pchEndRead = h->buffer.data() + h->end;
  info->pchEndWrite = h->buffer.data() + h->buffer.size();
  info->lBufOffset = static_cast<LONG>(h->bufOffset);
  info->lDiskOffset = static_cast<LONG>(h->bufOffset + static_cast<long>(h->end));
  info->hmmio = h;
  return MMSYSERR_NOERROR;
}

UINT mmioSetInfo(HMMIO h, const MMIOINFO* info, UINT) {
  if (!h || !info) return MMIOERR_CANNOTREAD;
  if (info->pchNext < h->buffer.data() || info->pchNext > h->buffer.data() + h->end) return MMIOERR_CANNOTREAD;
  h->next = static_cast<std::size_t>(info->pchNext - h->buffer.data());
  return MMSYSERR_NOERROR;
}

UINT mmioAdvance(HMMIO h, MMIOINFO* info, UINT flags) {
  if (!h) return MMIOERR_CANNOTREAD;
  if (h->buffer.empty()) return MMIOERR_UNBUFFERED;
  if (!Fill(*h, h->bufOffset + static_cast<long>(h->end))) return MMIOERR_CANNOTREAD;
  if (info) return mmioGetInfo(h, info, flags);
  return MMSYSERR_NOERROR;
}

}  // namespace plat
