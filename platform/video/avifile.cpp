#include "platform/video/avifile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "platform/core/dospath.h"
#include "platform/core/files.h"
#include "platform/video/avidemux.h"

struct plat::AVIFILE__ {
  std::shared_ptr<const plat::video_impl::AviContents> contents;
  plat::ULONG refs = 1;
};

struct plat::AVISTREAM__ {
  std::shared_ptr<const plat::video_impl::AviContents> contents;
  const plat::video_impl::AviTrack* track = nullptr;
};

namespace plat {
namespace {

std::atomic<int> g_initCount{0};

LONG MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c, bool roundUp) {
  if (c <= 0) return -1;
  const std::int64_t product = a * b;
  std::int64_t q = product / c;
  if (roundUp && product % c != 0) ++q;
  return static_cast<LONG>(std::clamp<std::int64_t>(q, -0x7FFFFFFF, 0x7FFFFFFF));
}

}  // namespace

void AVIFileInit() { ++g_initCount; }

void AVIFileExit() {
  if (g_initCount > 0) --g_initCount;
}

HRESULT AVIFileOpenBytes(PAVIFILE* out, std::span<const BYTE> bytes) {
  if (!out) return AVIERR_BADPARAM;
  *out = nullptr;
  auto contents = video_impl::DemuxAvi(bytes);
  if (!contents) return AVIERR_BADFORMAT;
  auto file = std::make_unique<AVIFILE__>();
  file->contents = std::make_shared<const video_impl::AviContents>(std::move(*contents));
  *out = file.release();
  return AVIERR_OK;
}

HRESULT AVIFileOpen(PAVIFILE* out, const char* path, UINT mode, const void*) {
  if (!out || !path) return AVIERR_BADPARAM;
  *out = nullptr;
  if (mode & (OF_WRITE | OF_READWRITE | OF_CREATE)) return AVIERR_READONLY;
  auto host = ResolveDosPath(path);
  if (!host && path[0] == '/') host = std::filesystem::path(path);
  std::error_code ec;
  if (!host || std::filesystem::file_size(*host, ec) > kMaxAviFileBytes || ec) return AVIERR_FILEOPEN;
  const auto bytes = ReadHostFile(*host);
  if (!bytes) return AVIERR_FILEOPEN;
  return AVIFileOpenBytes(out, *bytes);
}

ULONG AVIFileRelease(PAVIFILE file) {
  if (!file) return 0;
  if (--file->refs > 0) return file->refs;
  delete file;
  return 0;
}

HRESULT AVIFileGetStream(PAVIFILE file, PAVISTREAM* out, FOURCC type, LONG index) {
  if (!out) return AVIERR_BADPARAM;
  *out = nullptr;
  if (!file) return AVIERR_BADHANDLE;
  for (const auto& track : file->contents->tracks) {
    if (track.info.fccType == 0 || (type != 0 && track.info.fccType != type)) continue;
    if (index-- > 0) continue;
    *out = new AVISTREAM__{file->contents, &track};
    return AVIERR_OK;
  }
  return AVIERR_NODATA;
}

ULONG AVIStreamRelease(PAVISTREAM stream) {
  delete stream;
  return 0;
}

HRESULT AVIStreamInfo(PAVISTREAM stream, AVISTREAMINFO* info, LONG size) {
  if (!stream) return AVIERR_BADHANDLE;
  if (!info || size < 0) return AVIERR_BADPARAM;
  std::memcpy(info, &stream->track->info, std::min<std::size_t>(static_cast<std::size_t>(size), sizeof(AVISTREAMINFO)));
  return AVIERR_OK;
}

HRESULT AVIStreamReadFormat(PAVISTREAM stream, LONG, void* format, LONG* size) {
  if (!stream) return AVIERR_BADHANDLE;
  if (!size) return AVIERR_BADPARAM;
  const auto& bytes = stream->track->format;
  if (format && *size > 0)
    std::memcpy(format, bytes.data(), std::min<std::size_t>(static_cast<std::size_t>(*size), bytes.size()));
  *size = static_cast<LONG>(bytes.size());
  return AVIERR_OK;
}

HRESULT AVIStreamRead(PAVISTREAM stream, LONG start, LONG samples, void* buffer, LONG bufferSize, LONG* bytes,
                      LONG* samplesRead) {
  if (bytes) *bytes = 0;
  if (samplesRead) *samplesRead = 0;
  if (!stream) return AVIERR_BADHANDLE;
  const auto& t = *stream->track;
  if (start < 0 || static_cast<DWORD>(start) >= t.info.dwLength || bufferSize < 0) return AVIERR_BADPARAM;
  std::size_t offset = 0, size = 0;
  LONG count = 1;
  if (t.info.fccType == streamtypeVIDEO) {
    const auto& s = t.samples[static_cast<std::size_t>(start)];
    offset = s.offset;
    size = s.size;
    if (buffer && size > static_cast<std::size_t>(bufferSize)) return AVIERR_BUFFERTOOSMALL;
  } else {
    const std::size_t unit = t.info.dwSampleSize;
    std::int64_t n = static_cast<std::int64_t>(t.info.dwLength) - start;
    if (samples != AVISTREAMREAD_CONVENIENT) n = std::min<std::int64_t>(n, std::max(samples, 0));
    if (buffer) n = std::min<std::int64_t>(n, bufferSize / static_cast<std::int64_t>(unit));
    count = static_cast<LONG>(n);
    offset = static_cast<std::size_t>(start) * unit;
    size = static_cast<std::size_t>(n) * unit;
  }
  if (buffer && size > 0) std::memcpy(buffer, t.data.data() + offset, size);
  if (bytes) *bytes = static_cast<LONG>(size);
  if (samplesRead) *samplesRead = count;
  return AVIERR_OK;
}

LONG AVIStreamFindSample(PAVISTREAM stream, LONG pos, LONG flags) {
  if (!stream) return -1;
  const auto& t = *stream->track;
  const auto length = static_cast<LONG>(t.info.dwLength);
  const LONG step = (flags & FIND_PREV) ? -1 : 1;
  pos = step < 0 ? std::min(pos, length - 1) : std::max(pos, 0);
  for (LONG i = pos; i >= 0 && i < length; i += step) {
    if (t.info.fccType != streamtypeVIDEO) return i;
    const auto& s = t.samples[static_cast<std::size_t>(i)];
    if ((flags & FIND_KEY) ? s.key : s.size > 0 || !(flags & FIND_ANY)) return i;
  }
  return -1;
}

LONG AVIStreamStart(PAVISTREAM stream) { return stream ? static_cast<LONG>(stream->track->info.dwStart) : -1; }

LONG AVIStreamLength(PAVISTREAM stream) { return stream ? static_cast<LONG>(stream->track->info.dwLength) : -1; }

LONG AVIStreamSampleToTime(PAVISTREAM stream, LONG sample) {
  if (!stream) return -1;
  const auto& i = stream->track->info;
  return MulDiv64(sample, static_cast<std::int64_t>(i.dwScale) * 1000, i.dwRate, true);
}

LONG AVIStreamTimeToSample(PAVISTREAM stream, LONG ms) {
  if (!stream) return -1;
  const auto& i = stream->track->info;
  return MulDiv64(ms, i.dwRate, static_cast<std::int64_t>(i.dwScale) * 1000, false);
}

}  // namespace plat
