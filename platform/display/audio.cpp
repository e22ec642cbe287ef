#include "platform/display/audio.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <fstream>
#include <mutex>

#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/lifelong.h"

namespace plat {
namespace {

constexpr std::size_t kChunk = 512;

struct Sources {
  std::mutex mutex;
  std::array<AudioSource*, kMaxAudioSources> list{};
};

Sources& Registry() { return Lifelong<Sources>(); }

// The beep: 880 Hz for 120 ms, counted down by the render.
constexpr int kBeepFrames = kAudioRate * 120 / 1000;
std::atomic<int> g_beepLeft{0};

void MixBeep(std::int32_t* mix, std::size_t frames) {
  int left = g_beepLeft.load(std::memory_order_relaxed);
  if (left <= 0) return;
  for (std::size_t i = 0; i < frames && left > 0; ++i, --left) {
    const int t = kBeepFrames - left;
    // A square wave at a quarter of full scale: easy to hear, easy to find in a capture.
    const std::int32_t v = ((t * 880 * 2 / kAudioRate) & 1) ? 8000 : -8000;
    mix[2 * i] += v;
    mix[2 * i + 1] += v;
  }
  g_beepLeft.store(left, std::memory_order_relaxed);
}

// The mix's limiter: many sounds at once (a screen's sound over the music,
// twenty effects in a battle) would add up past full scale and clip. Below the
// ceiling the mix passes untouched; a peak above it turns the gain down at once
// to meet the ceiling exactly, and the gain comes back over about 60 ms.
constexpr std::int32_t kCeiling = 29491;  // 90% of full scale
constexpr float kRelease = 1.0f / (kAudioRate * 60 / 1000);
std::atomic<float> g_limiterGain{1.0f};

void Limit(const std::int32_t* mix, std::int16_t* out, std::size_t samples) {
  float gain = g_limiterGain.load(std::memory_order_relaxed);
  for (std::size_t i = 0; i < samples; i += kAudioChannels) {
    std::int32_t peak = 0;
    for (std::size_t c = 0; c < kAudioChannels; ++c) peak = std::max(peak, std::abs(mix[i + c]));
    if (peak * gain > kCeiling) gain = static_cast<float>(kCeiling) / static_cast<float>(peak);
    for (std::size_t c = 0; c < kAudioChannels; ++c) {
      const std::int32_t v = gain >= 1.0f ? mix[i + c] : static_cast<std::int32_t>(mix[i + c] * gain);
      out[i + c] = static_cast<std::int16_t>(std::clamp<std::int32_t>(v, -kCeiling, kCeiling));
    }
    if (gain < 1.0f) gain = std::min(1.0f, gain + kRelease);
  }
  g_limiterGain.store(gain, std::memory_order_relaxed);
}

std::unique_ptr<AudioOutput>& Output() { return Lifelong<std::unique_ptr<AudioOutput>>(); }

}  // namespace

bool AddAudioSource(AudioSource* source) {
  auto& r = Registry();
  std::lock_guard lock(r.mutex);
  if (std::find(r.list.begin(), r.list.end(), source) != r.list.end()) return true;
  for (auto& slot : r.list)
    if (!slot) {
      slot = source;
      return true;
    }
  return false;
}

void RemoveAudioSource(AudioSource* source) {
  auto& r = Registry();
  std::lock_guard lock(r.mutex);
  for (auto& slot : r.list)
    if (slot == source) slot = nullptr;
}

void RenderAudio(std::int16_t* out, std::size_t frames) {
  std::array<std::int32_t, kChunk * kAudioChannels> mix;
  auto& r = Registry();
  while (frames > 0) {
    const std::size_t n = std::min(frames, kChunk);
    std::fill(mix.begin(), mix.begin() + static_cast<std::ptrdiff_t>(n * kAudioChannels), 0);
    {
      std::lock_guard lock(r.mutex);
      for (AudioSource* s : r.list)
        if (s) s->MixInto(mix.data(), n);
    }
    MixBeep(mix.data(), n);
    Limit(mix.data(), out, n * kAudioChannels);
    out += n * kAudioChannels;
    frames -= n;
  }
}

void PrepareAudio(std::size_t frames) {
  std::array<AudioSource*, kMaxAudioSources> copy;
  {
    auto& r = Registry();
    std::lock_guard lock(r.mutex);
    copy = r.list;
  }
  for (AudioSource* s : copy)
    if (s) s->Prepare(frames);
}

void AudioBeep(UINT) { g_beepLeft.store(kBeepFrames, std::memory_order_relaxed); }

AudioOutput& CurrentAudioOutput() {
  auto& o = Output();
  if (!o) o = std::make_unique<MemoryAudioOutput>();
  return *o;
}

void InstallAudioOutput(std::unique_ptr<AudioOutput> output) {
  Output().reset();
  Output() = std::move(output);
}

MemoryAudioOutput* CurrentMemoryAudioOutput() { return dynamic_cast<MemoryAudioOutput*>(&CurrentAudioOutput()); }

MemoryAudioOutput::MemoryAudioOutput() : lastMs_(timeGetTime()) {}

void MemoryAudioOutput::CatchUp() {
  // A source's Prepare may call back into the sound calls, which catch up
  // first: the render under way already covers them.
  if (rendering_) return;
  rendering_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{rendering_};
  const DWORD now = timeGetTime();
  const DWORD delta = now - lastMs_;
  lastMs_ = now;
  if (delta > 0x80000000u) return;  // the clock was set back
  elapsedMs_ += delta;
  const std::uint64_t target = elapsedMs_ * kAudioRate / 1000;
  if (target <= rendered_) return;
  std::array<std::int16_t, kChunk * kAudioChannels> block;
  while (rendered_ < target) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(target - rendered_, kChunk));
    PrepareAudio(n);
    RenderAudio(block.data(), n);
    if (capturing_) {
      const std::size_t room = maxFrames_ - captured_.size() / kAudioChannels;
      const std::size_t keep = std::min(room, n);
      captured_.insert(captured_.end(), block.begin(),
                       block.begin() + static_cast<std::ptrdiff_t>(keep * kAudioChannels));
    }
    rendered_ += n;
  }
}

void MemoryAudioOutput::StartCapture(std::size_t maxFrames) {
  CatchUp();
  captured_.clear();
  captured_.reserve(std::min<std::size_t>(maxFrames, kAudioRate * 60) * kAudioChannels);
  maxFrames_ = maxFrames;
  capturing_ = true;
}

bool WriteWavFile(const std::filesystem::path& path, const std::vector<std::int16_t>& samples, int channels, int rate) {
  const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
  const auto block = static_cast<std::uint16_t>(channels * 2);
  ByteWriter w;
  w.Chars("RIFF");
  w.U32(36 + bytes);
  w.Chars("WAVEfmt ");
  w.U32(16);
  w.U16(1);
  w.U16(static_cast<std::uint16_t>(channels));
  w.U32(static_cast<std::uint32_t>(rate));
  w.U32(static_cast<std::uint32_t>(rate) * block);
  w.U16(block);
  w.U16(16);
  w.Chars("data");
  w.U32(bytes);
  for (std::int16_t v : samples) w.I16(v);
  std::ofstream out(path, std::ios::binary);
  const auto data = w.Data();
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return w.Ok() && static_cast<bool>(out);
}

}  // namespace plat
