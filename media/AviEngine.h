#pragma once
// The engine under the movie player: reads an AVI's video and audio streams,
// plays the audio through wave out in 32 blocks that are refilled as they
// finish, derives the movie clock from the audio position (the system clock
// when there is no audio), and draws the frame for that time through a
// CVideoDecoder, skipping to key frames when it falls behind. Game thread only.

#include <memory>
#include <vector>

#include "media/CVideoDecoder.h"
#include "platform/sound/waveout.h"
#include "platform/video/avifile.h"

constexpr int kMovieAudioBuffers = 32;

// The movie time of a wave-out position (samples, bytes or milliseconds) in
// milliseconds, rounded; -1 for another unit. 64-bit: positions beyond 2^32
// / 1000 samples do not wrap.
plat::LONG MovieClockMs(const plat::MMTIME& position, plat::DWORD sampleRate, plat::DWORD bytesPerSecond);

class AviEngine {
 public:
  AviEngine();
  ~AviEngine();
  AviEngine(const AviEngine&) = delete;
  AviEngine& operator=(const AviEngine&) = delete;

  // 0 ready; -1 no video stream ("No video stream" shown); the video open's
  // code otherwise (with its message). The file stays the caller's.
  int OpenStreams(plat::PAVIFILE file, plat::HWND movieWindow, plat::HWND notifyWindow);
  // 0; -1 without decoder or format; -4 while playing; -5 refused.
  int SetupOutput(float zoom, int depth, plat::DWORD codecOption, plat::LONG width, plat::LONG height, plat::LONG x,
                  plat::LONG y);
  // 0, or -1 no video, -4 playing, an audio failure, or the drawing code.
  int Play(plat::HDC dc);
  void Stop();
  // -1 while playing.
  int MoveTo(plat::LONG frame);
  // Draws the frame the clock has reached: 0, -21 (no decoder or the codec
  // failed), -24 (a frame could not be read).
  int FrameStep();
  // The movie time in ms, or -10 without a wave-out device.
  plat::LONG Clock();
  // The wave-out buffer-done step; -1 when no audio runs.
  int BufferDone();
  // Drawing on a DC outside Play (one frame shown while stopped): 0, -21 (no
  // decoder or the codec refuses), -22 (no DC).
  int BeginDrawing(plat::HDC target);
  void EndDrawing();

  CVideoDecoder* decoder() { return decoder_.get(); }

  plat::PAVISTREAM video = nullptr;
  plat::PAVISTREAM audio = nullptr;
  plat::HWND movieWindow = nullptr;
  plat::HWND notifyWindow = nullptr;
  plat::DWORD playing = 0;
  plat::DWORD paused = 0;
  float frameRate = 0;
  plat::BITMAPINFOHEADER videoFormat;
  plat::UINT timerPeriod = 1;
  plat::HDC dc = nullptr;
  plat::DWORD startTick = 0;
  plat::LONG startTime = 0;
  plat::LONG clockOffset = 0;
  plat::LONG previousCounted = 0;
  plat::LONG framesSkipped = 0;
  plat::LONG currentFrame = 0;
  plat::LONG lastDrawn = -1;
  plat::LONG previousKey = -1;
  plat::LONG nextKey = -1;
  plat::LONG firstFrame = 0;
  plat::LONG lastFrame = -1;
  std::vector<plat::BYTE> frameBuffer;
  // Audio.
  int bufferCount = kMovieAudioBuffers;
  plat::HWAVEOUT waveOut = nullptr;
  plat::LONG audioStartTime = -1;
  plat::LONG audioStreamStart = 0;
  plat::LONG lastBlock = 0;
  plat::LONG initialFrames = 0;
  plat::DWORD sampleRate = 0;
  plat::DWORD bytesPerSecond = 0;
  plat::LONG sampleSize = 0;
  plat::LONG samplesPerBuffer = 0;
  plat::LONG nextBlock = 0;
  plat::LONG fillIndex = 0;
  plat::LONG sendIndex = 0;
  plat::LONG queued = 0;
  plat::LONG readAhead = 0;
  plat::LONG bytesPerBuffer = 0;

 private:
  struct AudioBuffer {
    plat::WAVEHDR header;
    std::vector<plat::BYTE> data;
  };
  void ReleaseStreams();
  int OpenVideo();
  int AudioOpen();
  int AudioStart();
  void AudioStop();
  void ReadBlocks(int count);
  void Send();
  bool KeyFrameCheck(plat::LONG frame);

  std::unique_ptr<CVideoDecoder> decoder_;
  std::vector<std::unique_ptr<AudioBuffer>> buffers_;
};

// The engine whose wave-out device is open (set and cleared by its callback).
extern AviEngine* g_movieAudioEngine;
