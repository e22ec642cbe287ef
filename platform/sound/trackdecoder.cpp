#include "platform/sound/trackdecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include <vorbis/vorbisfile.h>

#include "platform/display/audio.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace plat {

namespace {

// Rates and channel counts past any real recording: a damaged header's rate
// of a billion frames a second made the resampler work out its filter for
// minutes before the first frame.
constexpr long kLowestRate = 1000, kHighestRate = 384000;
constexpr int kMostChannels = 8;

bool PlayableLayout(long rate, int channels) {
  return rate >= kLowestRate && rate <= kHighestRate && channels >= 1 && channels <= kMostChannels;
}

bool SetUpResampler(SwrContext** resampler, AVChannelLayout& from, AVSampleFormat format, int rate) {
  if (!PlayableLayout(rate, from.nb_channels)) return false;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  return swr_alloc_set_opts2(resampler, &stereo, AV_SAMPLE_FMT_S16, kAudioRate, &from, format, rate, 0, nullptr) >= 0 &&
         swr_init(*resampler) >= 0;
}

}  // namespace

// Ogg Vorbis, the format of the installation's tracks, is read with
// libvorbisfile, which decodes into room it keeps: FFmpeg's packets and frames
// take and give back heap blocks for every packet, several times a block of
// music, on the thread that feeds the mix. Other formats go through FFmpeg.
struct TrackDecoder::State {
  OggVorbis_File vorbis{};
  bool vorbisOpen = false;
  int vorbisChannels = 0;
  long vorbisRate = 0;
  std::vector<char> vorbisBlock = std::vector<char>(8192);  // interleaved 16-bit samples from the decoder
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  bool inputEnded = false;
  bool finished = false;
  std::vector<std::int16_t> pending;  // converted frames not yet taken
  std::size_t pendingAt = 0;          // samples of `pending` already taken
  // What the resampler was set up to take from FFmpeg's decoder.
  AVSampleFormat inputFormat = AV_SAMPLE_FMT_NONE;
  int inputChannels = 0;

  ~State() {
    if (vorbisOpen) ov_clear(&vorbis);
    av_frame_free(&frame);
    av_packet_free(&packet);
    swr_free(&resampler);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  // Resamples straight onto the end of `pending`, whose room stays from one
  // frame to the next: a warm decoder makes no heap call here. `in` null with
  // no samples drains what the resampler still holds.
  void Convert(const std::uint8_t* const* in, int samples) {
    const int room = swr_get_out_samples(resampler, samples);
    if (room <= 0) return;
    const std::size_t had = pending.size();
    pending.resize(had + static_cast<std::size_t>(room) * kAudioChannels);
    std::uint8_t* dst[1] = {reinterpret_cast<std::uint8_t*>(pending.data() + had)};
    const int made = swr_convert(resampler, dst, room, const_cast<const std::uint8_t**>(in), samples);
    pending.resize(had + static_cast<std::size_t>(std::max(made, 0)) * kAudioChannels);
  }
  void Convert(const AVFrame* f) { Convert(f->extended_data, f->nb_samples); }

  // A damaged file's decoder may hand over a frame of another layout than the
  // one it opened with, or one whose planes are missing or shorter than its
  // sample count says: the resampler would read past them.
  bool Convertible(const AVFrame* f) const {
    if (f->format != inputFormat || f->ch_layout.nb_channels != inputChannels || f->nb_samples <= 0 ||
        !f->extended_data)
      return false;
    const auto format = static_cast<AVSampleFormat>(f->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const int planes = planar ? inputChannels : 1;
    const long long need =
        static_cast<long long>(f->nb_samples) * av_get_bytes_per_sample(format) * (planar ? 1 : inputChannels);
    for (int p = 0; p < planes; ++p)
      if (!f->extended_data[p]) return false;
    return f->linesize[0] >= need;
  }
  void Drain() { Convert(nullptr, 0); }

  // Mono and stereo Vorbis only: the channel order of more channels differs
  // from FFmpeg's, which remaps them itself.
  bool OpenVorbis(const std::filesystem::path& hostPath) {
    if (ov_fopen(hostPath.c_str(), &vorbis) != 0) return false;  // closes the file itself
    vorbisOpen = true;
    const vorbis_info* info = ov_info(&vorbis, -1);
    if (!info || info->channels < 1 || info->channels > 2 || !PlayableLayout(info->rate, info->channels)) {
      ov_clear(&vorbis);
      vorbisOpen = false;
      return false;
    }
    vorbisChannels = info->channels;
    vorbisRate = info->rate;
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, info->channels);
    return SetUpResampler(&resampler, layout, AV_SAMPLE_FMT_S16, static_cast<int>(info->rate));
  }

  void Decode() { vorbisOpen ? DecodeVorbis() : DecodeOther(); }

  // Decodes until some frames are pending or the file is done.
  void DecodeVorbis() {
    while (!finished && pendingAt == pending.size()) {
      pending.clear();
      pendingAt = 0;
      int link = 0;
      const long got = ov_read(&vorbis, vorbisBlock.data(), static_cast<int>(vorbisBlock.size()),
                               std::endian::native == std::endian::big ? 1 : 0, 2, 1, &link);
      if (got == OV_HOLE) continue;  // a gap in the stream: what follows still plays
      const vorbis_info* info = got > 0 ? ov_info(&vorbis, link) : nullptr;
      // The end, a damaged stream, or a chained link of another layout the
      // resampler was not set up for: the track ends there.
      if (!info || info->channels != vorbisChannels || info->rate != vorbisRate) {
        Drain();
        finished = true;
        break;
      }
      const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(vorbisBlock.data())};
      Convert(in, static_cast<int>(got / (2 * vorbisChannels)));
    }
  }

  void DecodeOther() {
    while (!finished && pendingAt == pending.size()) {
      pending.clear();
      pendingAt = 0;
      const int got = avcodec_receive_frame(codec, frame);
      if (got == 0) {
        const bool convertible = Convertible(frame);
        if (convertible) Convert(frame);
        av_frame_unref(frame);
        if (convertible) continue;
        Drain();  // the track ends at the damage
        finished = true;
        break;
      }
      if (got == AVERROR_EOF) {
        Drain();
        finished = true;
        break;
      }
      if (got != AVERROR(EAGAIN)) {
        finished = true;
        break;
      }
      if (inputEnded) {
        avcodec_send_packet(codec, nullptr);
        continue;
      }
      if (av_read_frame(format, packet) < 0) {
        inputEnded = true;
        avcodec_send_packet(codec, nullptr);
        continue;
      }
      if (packet->stream_index == stream) avcodec_send_packet(codec, packet);
      av_packet_unref(packet);
    }
  }
};

TrackDecoder::TrackDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
TrackDecoder::~TrackDecoder() = default;

std::unique_ptr<TrackDecoder> TrackDecoder::Open(const std::filesystem::path& hostPath) {
  av_log_set_level(AV_LOG_QUIET);
  auto s = std::make_unique<State>();
  if (s->OpenVorbis(hostPath)) return std::unique_ptr<TrackDecoder>(new TrackDecoder(std::move(s)));
  if (s->vorbisOpen) return nullptr;  // Vorbis, but the resampler refused it
  if (avformat_open_input(&s->format, hostPath.c_str(), nullptr, nullptr) < 0) return nullptr;
  if (avformat_find_stream_info(s->format, nullptr) < 0) return nullptr;
  const AVCodec* codec = nullptr;
  s->stream = av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (s->stream < 0 || !codec) return nullptr;
  s->codec = avcodec_alloc_context3(codec);
  if (!s->codec || avcodec_parameters_to_context(s->codec, s->format->streams[s->stream]->codecpar) < 0 ||
      avcodec_open2(s->codec, codec, nullptr) < 0)
    return nullptr;
  if (s->codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_default(&s->codec->ch_layout, s->codec->ch_layout.nb_channels);
  if (!SetUpResampler(&s->resampler, s->codec->ch_layout, s->codec->sample_fmt, s->codec->sample_rate)) return nullptr;
  s->inputFormat = s->codec->sample_fmt;
  s->inputChannels = s->codec->ch_layout.nb_channels;
  s->packet = av_packet_alloc();
  s->frame = av_frame_alloc();
  if (!s->packet || !s->frame) return nullptr;
  return std::unique_ptr<TrackDecoder>(new TrackDecoder(std::move(s)));
}

std::size_t TrackDecoder::Read(std::int16_t* out, std::size_t maxFrames) {
  std::size_t done = 0;
  while (done < maxFrames) {
    state_->Decode();
    const std::size_t available = (state_->pending.size() - state_->pendingAt) / kAudioChannels;
    if (available == 0) break;
    const std::size_t n = std::min(available, maxFrames - done);
    std::memcpy(out + done * kAudioChannels, state_->pending.data() + state_->pendingAt,
                n * kAudioChannels * sizeof(std::int16_t));
    state_->pendingAt += n * kAudioChannels;
    done += n;
  }
  return done;
}

}  // namespace plat
