#include "platform/video/avidemux.h"

#include <algorithm>
#include <cstring>

#include "platform/core/bytes.h"
#include "platform/sound/dsound.h"
#include "platform/video/avistreamheaders.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace plat::video_impl {
namespace {

struct Reader {
  std::span<const BYTE> bytes;
  std::size_t pos = 0;
};

int ReadPacket(void* opaque, std::uint8_t* buffer, int size) {
  auto* r = static_cast<Reader*>(opaque);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), r->bytes.size() - r->pos);
  if (n == 0) return AVERROR_EOF;
  std::memcpy(buffer, r->bytes.data() + r->pos, n);
  r->pos += n;
  return static_cast<int>(n);
}

std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
  auto* r = static_cast<Reader*>(opaque);
  const auto size = static_cast<std::int64_t>(r->bytes.size());
  if (whence & AVSEEK_SIZE) return size;
  std::int64_t to = offset;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
      break;
    case SEEK_CUR:
      to += static_cast<std::int64_t>(r->pos);
      break;
    case SEEK_END:
      to += size;
      break;
    default:
      return -1;
  }
  if (to < 0 || to > size) return -1;
  r->pos = static_cast<std::size_t>(to);
  return to;
}

struct InputDeleter {
  void operator()(AVFormatContext* c) const {
    AVIOContext* io = c->pb;
    avformat_close_input(&c);
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
};

DWORD Clamp32(std::int64_t v) { return static_cast<DWORD>(std::clamp<std::int64_t>(v, 0, 0x7FFFFFFF)); }

// The demuxer makes every height positive and marks raw rows stored bottom-up
// by these bytes at the end of the extra data; raw rows without it were
// stored top-down, which a DIB says by a negative height.
constexpr char kBottomUp[] = "BottomUp";

bool RawBottomUp(const AVCodecParameters& p) {
  constexpr auto n = sizeof kBottomUp;
  return p.extradata && p.extradata_size >= static_cast<int>(n) &&
         std::memcmp(p.extradata + p.extradata_size - n, kBottomUp, n) == 0;
}

std::vector<BYTE> VideoFormat(const AVCodecParameters& p) {
  ByteWriter w;
  const WORD bits = p.bits_per_coded_sample > 0 ? static_cast<WORD>(p.bits_per_coded_sample) : 24;
  const bool raw = p.codec_tag == 0;
  w.U32(40);
  w.I32(p.width);
  w.I32(raw && !RawBottomUp(p) ? -p.height : p.height);
  w.U16(1);
  w.U16(bits);
  w.U32(p.codec_tag);
  // The file's sides are any ints: counted in 64 bits from sides within 2^24.
  const auto side = [](int v) { return std::clamp<std::int64_t>(v, 0, 1 << 24); };
  w.U32(Clamp32(((side(p.width) * bits / 8 + 3) & ~std::int64_t{3}) * side(p.height)));
  w.Zeros(16);
  // A raw DIB's row order is in its height, not in extra bytes.
  if (!raw && p.extradata && p.extradata_size > 0)
    w.WriteBytes(std::span<const BYTE>(p.extradata, static_cast<std::size_t>(p.extradata_size)));
  return w.Take();
}

// Bytes per second as the file gives them: PCM's follow from its rate and
// frame size, a compressed stream's only from its own header.
DWORD AudioBytesPerSecond(const AVCodecParameters& p, WORD align) {
  if (p.codec_tag == WAVE_FORMAT_PCM || p.bit_rate <= 0)
    return Clamp32(static_cast<std::int64_t>(p.sample_rate) * align);
  return Clamp32(p.bit_rate / 8);
}

std::vector<BYTE> AudioFormat(const AVCodecParameters& p, WORD align) {
  ByteWriter w;
  w.U16(static_cast<WORD>(p.codec_tag));
  w.U16(static_cast<WORD>(p.ch_layout.nb_channels));
  w.U32(Clamp32(p.sample_rate));
  w.U32(AudioBytesPerSecond(p, align));
  w.U16(align);
  w.U16(static_cast<WORD>(p.bits_per_coded_sample));
  if (p.codec_tag != WAVE_FORMAT_PCM) {
    const int extra = std::clamp(p.extradata ? p.extradata_size : 0, 0, 0xFFFF);
    w.U16(static_cast<WORD>(extra));
    if (extra > 0) w.WriteBytes(std::span<const BYTE>(p.extradata, static_cast<std::size_t>(extra)));
  }
  return w.Take();
}

AviTrack Describe(const AVStream& s) {
  const AVCodecParameters& p = *s.codecpar;
  AviTrack t;
  AVISTREAMINFO& i = t.info;
  if (p.codec_type == AVMEDIA_TYPE_VIDEO) {
    i.fccType = streamtypeVIDEO;
    i.fccHandler = p.codec_tag;
    i.dwScale = s.time_base.num > 0 ? static_cast<DWORD>(s.time_base.num) : 1;
    i.dwRate = s.time_base.den > 0 ? static_cast<DWORD>(s.time_base.den) : 15;
    i.rcFrame = {0, 0, p.width, p.height < 0 ? -p.height : p.height};
    t.format = VideoFormat(p);
  } else if (p.codec_type == AVMEDIA_TYPE_AUDIO) {
    const int bytesPerFrame = p.ch_layout.nb_channels * p.bits_per_coded_sample / 8;
    const WORD align = static_cast<WORD>(p.block_align > 0 ? p.block_align : std::max(bytesPerFrame, 1));
    i.fccType = streamtypeAUDIO;
    i.dwSampleSize = align;
    i.dwScale = align;
    // Blocks of `align` bytes at the stream's own byte rate.
    i.dwRate = std::max<DWORD>(AudioBytesPerSecond(p, align), 1);
    t.format = AudioFormat(p, align);
  }
  return t;
}

void AddPacket(AviTrack& t, const AVPacket& pkt, std::int64_t& nextIndex) {
  const auto at = t.data.size();
  t.data.insert(t.data.end(), pkt.data, pkt.data + pkt.size);
  t.info.dwSuggestedBufferSize = std::max(t.info.dwSuggestedBufferSize, static_cast<DWORD>(pkt.size));
  if (t.info.fccType != streamtypeVIDEO) return;
  // A frame goes where its time stamp puts it; missing frames stay empty.
  std::int64_t index = pkt.dts != AV_NOPTS_VALUE ? pkt.dts : pkt.pts;
  if (index == AV_NOPTS_VALUE || index < nextIndex) index = nextIndex;
  if (index >= kMaxAviSamples) return;
  t.samples.resize(static_cast<std::size_t>(index), AviSample{t.data.size(), 0, false});
  t.samples.push_back({at, static_cast<std::size_t>(pkt.size), (pkt.flags & AV_PKT_FLAG_KEY) != 0});
  nextIndex = index + 1;
}

}  // namespace

void QuietFFmpeg() {
  // Damaged movies are refused by result; FFmpeg's own reports are not the player's.
  static const bool quiet = (av_log_set_level(AV_LOG_FATAL), true);
  (void)quiet;
}

std::optional<AviContents> DemuxAvi(std::span<const BYTE> bytes) {
  QuietFFmpeg();
  Reader reader{bytes};
  constexpr int kBuffer = 1 << 15;
  auto* buffer = static_cast<std::uint8_t*>(av_malloc(kBuffer));
  if (!buffer) return std::nullopt;
  AVIOContext* io = avio_alloc_context(buffer, kBuffer, 0, &reader, ReadPacket, nullptr, Seek);
  AVFormatContext* raw = io ? avformat_alloc_context() : nullptr;
  if (!raw) {
    if (io) avio_context_free(&io);
    av_free(buffer);
    return std::nullopt;
  }
  raw->pb = io;
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  if (avformat_open_input(&raw, nullptr, av_find_input_format("avi"), nullptr) < 0) {
    // avformat_open_input freed the context but not our I/O.
    av_freep(&io->buffer);
    avio_context_free(&io);
    return std::nullopt;
  }
  std::unique_ptr<AVFormatContext, InputDeleter> input(raw);

  AviContents out;
  for (unsigned s = 0; s < input->nb_streams; ++s) out.tracks.push_back(Describe(*input->streams[s]));
  // A sound's samples are timed as its own header says (a compressed block
  // holds so many samples at the sample rate), not as its format suggests.
  const std::vector<AviStreamTiming> timings = ReadAviStreamTimings(bytes);
  for (std::size_t s = 0; s < out.tracks.size() && s < timings.size(); ++s) {
    AVISTREAMINFO& info = out.tracks[s].info;
    if (info.fccType != streamtypeAUDIO || timings[s].scale == 0 || timings[s].rate == 0) continue;
    info.dwScale = timings[s].scale;
    info.dwRate = timings[s].rate;
  }
  std::vector<std::int64_t> next(out.tracks.size(), 0);
  AVPacket* pkt = av_packet_alloc();
  if (!pkt) return std::nullopt;
  while (av_read_frame(input.get(), pkt) >= 0) {
    const auto s = static_cast<std::size_t>(pkt->stream_index);
    if (s < out.tracks.size() && out.tracks[s].info.fccType != 0 && pkt->size >= 0)
      AddPacket(out.tracks[s], *pkt, next[s]);
    av_packet_unref(pkt);
  }
  av_packet_free(&pkt);
  for (AviTrack& t : out.tracks) {
    if (t.info.fccType == streamtypeVIDEO)
      t.info.dwLength = static_cast<DWORD>(t.samples.size());
    else if (t.info.dwSampleSize > 0)
      t.info.dwLength = static_cast<DWORD>(t.data.size() / t.info.dwSampleSize);
  }
  return out;
}

}  // namespace plat::video_impl
