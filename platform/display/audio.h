#pragma once
// Where sound meets the world. Sound sources (the DirectSound mixer, the CD
// music player, the beep) register here; the running audio output pulls their
// mix: the SDL2 audio device in play, or memory on the program clock
// (headless and when no device opens), where a test reads what was heard.
//
// The mix is 44,100 frames a second of two interleaved signed 16-bit channels.
// Sources are mixed on the output's thread (SDL's audio thread), so a source's
// MixInto must neither allocate nor wait for long. Registration and
// RenderAudio may be called from any thread; CurrentAudioOutput and
// InstallAudioOutput from the game thread only.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/core/types.h"

namespace plat {

constexpr int kAudioRate = 44100;
constexpr int kAudioChannels = 2;

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Adds `frames` frames of sound to `mix` (interleaved left, right).
  virtual void MixInto(std::int32_t* mix, std::size_t frames) = 0;
  // On the game thread, before a memory output renders `frames` frames: a
  // source fed by a thread of its own makes sure they are ready.
  virtual void Prepare(std::size_t /*frames*/) {}
};

// At most kMaxAudioSources at once; AddAudioSource returns false beyond.
constexpr std::size_t kMaxAudioSources = 16;
bool AddAudioSource(AudioSource* source);
// After it returns, the source is no longer mixed.
void RemoveAudioSource(AudioSource* source);
// Mixes every source (and a beep under way) into `out`, clipped to 16 bits.
void RenderAudio(std::int16_t* out, std::size_t frames);
// The game thread's hook before a render: calls every source's Prepare.
void PrepareAudio(std::size_t frames);

// MessageBeep's sound: a short tone mixed over everything else.
void AudioBeep(UINT type);

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  virtual const char* Name() const = 0;
  // Renders what the program clock has reached and the output has not yet
  // taken; a real device keeps up by itself and does nothing.
  virtual void CatchUp() {}
};

// The output running. Until a backend installs one it is a memory output.
AudioOutput& CurrentAudioOutput();
// Replaces the running output (the previous one is destroyed first).
void InstallAudioOutput(std::unique_ptr<AudioOutput> output);

// A 16-bit PCM WAV file of interleaved samples; false when it cannot be written.
bool WriteWavFile(const std::filesystem::path& path, const std::vector<std::int16_t>& samples, int channels, int rate);

// Memory on the program clock: CatchUp renders 44.1 frames for each
// millisecond the clock moved on since the last call (a clock set back starts
// over from there). Keeps what it rendered when asked to.
class MemoryAudioOutput : public AudioOutput {
 public:
  MemoryAudioOutput();
  const char* Name() const override { return "memory"; }
  void CatchUp() override;
  // Starts keeping the rendered frames, at most maxFrames of them (later
  // frames are dropped); clears what was kept.
  void StartCapture(std::size_t maxFrames);
  void StopCapture() { capturing_ = false; }
  // What was kept up to now (it catches up first), interleaved left, right.
  const std::vector<std::int16_t>& Captured() {
    CatchUp();
    return captured_;
  }
  std::uint64_t FramesRendered() const { return rendered_; }
  // Writes what was kept as a 16-bit stereo WAV file; false when it cannot.
  bool SaveCapture(const std::filesystem::path& wav) {
    return WriteWavFile(wav, Captured(), kAudioChannels, kAudioRate);
  }

 private:
  DWORD lastMs_;
  std::uint64_t elapsedMs_ = 0;
  std::uint64_t rendered_ = 0;
  bool capturing_ = false;
  bool rendering_ = false;
  std::size_t maxFrames_ = 0;
  std::vector<std::int16_t> captured_;
};

// The memory output running, or null when another kind runs.
MemoryAudioOutput* CurrentMemoryAudioOutput();

}  // namespace plat
