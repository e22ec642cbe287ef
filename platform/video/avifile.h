#pragma once
// AVI files: the streams of a movie, their formats and their samples, read
// through FFmpeg's AVI demuxer. A file is read whole when it is opened (at
// most kMaxAviFileBytes), so reading samples never touches the disk again.
// A stream keeps what it needs of its file: it stays valid after the file is
// released. Handles of one file on the game thread; different files may be
// used from different threads.

#include <cstdint>
#include <span>

#include "platform/core/types.h"
#include "platform/video/vfw.h"

namespace plat {

struct AVIFILE__;
using PAVIFILE = AVIFILE__*;
struct AVISTREAM__;
using PAVISTREAM = AVISTREAM__*;

constexpr std::uint64_t kMaxAviFileBytes = 1ull << 30;
// More video samples than this (a corrupt time stamp) are not indexed.
constexpr LONG kMaxAviSamples = 1 << 22;

constexpr UINT OF_READ = 0x0000;
constexpr UINT OF_WRITE = 0x0001;
constexpr UINT OF_READWRITE = 0x0002;
constexpr UINT OF_SHARE_DENY_WRITE = 0x0020;
constexpr UINT OF_CREATE = 0x1000;

struct AVISTREAMINFO {
  FOURCC fccType = 0;     // streamtypeVIDEO, streamtypeAUDIO, or 0 for another kind
  FOURCC fccHandler = 0;  // the codec's four-character code (video), 0 (audio)
  DWORD dwFlags = 0;
  DWORD dwCaps = 0;
  WORD wPriority = 0;
  WORD wLanguage = 0;
  DWORD dwScale = 1;  // samples last dwScale / dwRate seconds each
  DWORD dwRate = 1;
  DWORD dwStart = 0;
  DWORD dwLength = 0;  // samples
  DWORD dwInitialFrames = 0;
  DWORD dwSuggestedBufferSize = 0;  // bytes of the largest chunk of the stream
  DWORD dwQuality = 0;
  DWORD dwSampleSize = 0;  // bytes per sample; 0 for video (one frame per sample)
  RECT rcFrame;
  DWORD dwEditCount = 0;
  DWORD dwFormatChangeCount = 0;
  char szName[64] = {};
};

// Counted; the calls below work without them.
void AVIFileInit();
void AVIFileExit();

// Opens the AVI at `path` (DOS or host path) for reading. AVIERR_READONLY for
// a writing mode, AVIERR_FILEOPEN when it cannot be read (or is larger than
// kMaxAviFileBytes), AVIERR_BADFORMAT when it is not an AVI FFmpeg reads.
// `handler` is not used.
HRESULT AVIFileOpen(PAVIFILE* out, const char* path, UINT mode, const void* handler);
// The same for the bytes of a file.
HRESULT AVIFileOpenBytes(PAVIFILE* out, std::span<const BYTE> bytes);
// Returns the references left (0: freed).
ULONG AVIFileRelease(PAVIFILE file);

// The `index`-th stream of `type` (0: of any type). AVIERR_NODATA when there
// is none.
HRESULT AVIFileGetStream(PAVIFILE file, PAVISTREAM* out, FOURCC type, LONG index);
ULONG AVIStreamRelease(PAVISTREAM stream);

// Copies min(size, 140) bytes' worth of the stream's information.
HRESULT AVIStreamInfo(PAVISTREAM stream, AVISTREAMINFO* info, LONG size);
// The stream's format: for video a 40-byte BITMAPINFOHEADER (followed by the
// codec's extra bytes, when it has any), for audio a WAVEFORMATEX of 16 bytes
// (18 and more with extra bytes). A null `format` only sets *size; otherwise
// copies min(*size, the format's size) bytes and sets *size to the format's.
HRESULT AVIStreamReadFormat(PAVISTREAM stream, LONG pos, void* format, LONG* size);

constexpr LONG AVISTREAMREAD_CONVENIENT = -1;
// Reads from sample `start`: for video exactly one frame (which may be empty:
// a dropped frame), for audio min(`samples`, what is left, what fits in
// `bufferSize`) samples (CONVENIENT: as many as fit). A null `buffer` reports
// in *bytes and *samplesRead what the read would give. AVIERR_BADPARAM for a
// start outside the stream, AVIERR_BUFFERTOOSMALL when a frame does not fit.
HRESULT AVIStreamRead(PAVISTREAM stream, LONG start, LONG samples, void* buffer, LONG bufferSize, LONG* bytes,
                      LONG* samplesRead);

constexpr LONG FIND_NEXT = 0x0001;
constexpr LONG FIND_PREV = 0x0004;
constexpr LONG FIND_KEY = 0x0010;
constexpr LONG FIND_ANY = 0x0020;
// The nearest sample at or after (FIND_NEXT) or at or before (FIND_PREV)
// `pos` that is a key frame (FIND_KEY) or holds data (FIND_ANY); -1 when none.
// Every audio sample is a key frame.
LONG AVIStreamFindSample(PAVISTREAM stream, LONG pos, LONG flags);

LONG AVIStreamStart(PAVISTREAM stream);
LONG AVIStreamLength(PAVISTREAM stream);
// The first whole millisecond of the sample, and the sample playing at a
// millisecond: TimeToSample(SampleToTime(n)) == n. Computed in 64 bits, so
// long streams and high rates do not overflow; -1 for a null stream.
LONG AVIStreamSampleToTime(PAVISTREAM stream, LONG sample);
LONG AVIStreamTimeToSample(PAVISTREAM stream, LONG ms);

}  // namespace plat
