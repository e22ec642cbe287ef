#include "media/AviEngine.h"

#include <algorithm>
#include <cstdio>

#include "media/MediaMessage.h"
#include "platform/core/clock.h"
#include "platform/sound/mmtime.h"

using namespace plat;

AviEngine* g_movieAudioEngine = nullptr;

namespace {

constexpr int kReadAheadMin = 7;
// Frame-buffer sizes from the file are checked against these first: a
// picture several times the screen's is no movie, only a few hundred bytes
// asking for gigabytes.
constexpr LONG kMaxSide = 4096;

// Clock readings that repeat (a device that reports its position coarsely)
// move on with the system clock.
struct ClockRepeat {
  LONG last = -1;
  int count = 0;
  DWORD firstTick = 0;
} g_clockRepeat;

void WaveCallback(HWAVEOUT, UINT message, std::uintptr_t instance, std::uintptr_t, std::uintptr_t) {
  if (message == MM_WOM_OPEN) g_movieAudioEngine = reinterpret_cast<AviEngine*>(instance);
  if (message == MM_WOM_CLOSE) g_movieAudioEngine = nullptr;
  if (message == MM_WOM_DONE && g_movieAudioEngine) g_movieAudioEngine->BufferDone();
}

}  // namespace

LONG MovieClockMs(const MMTIME& t, DWORD sampleRate, DWORD bytesPerSecond) {
  const auto scaled = [](DWORD v, DWORD per) {
    return per ? static_cast<LONG>((static_cast<std::uint64_t>(v) * 1000 + per / 2) / per) : -1;
  };
  switch (t.wType) {
    case TIME_SAMPLES:
      return scaled(t.u.sample, sampleRate);
    case TIME_BYTES:
      return scaled(t.u.cb, bytesPerSecond);
    case TIME_MS:
      return static_cast<LONG>(t.u.ms);
    default:
      return -1;
  }
}

AviEngine::AviEngine() { AVIFileInit(); }

AviEngine::~AviEngine() {
  Stop();
  ReleaseStreams();
  AVIFileExit();
}

void AviEngine::ReleaseStreams() {
  AudioStop();
  decoder_.reset();
  if (video) AVIStreamRelease(video);
  if (audio) AVIStreamRelease(audio);
  video = audio = nullptr;
}

int AviEngine::OpenStreams(PAVIFILE file, HWND movie, HWND notify) {
  ReleaseStreams();
  movieWindow = movie;
  notifyWindow = notify;
  bufferCount = kMovieAudioBuffers;
  playing = paused = 0;
  if (AVIFileGetStream(file, &video, streamtypeVIDEO, 0) != AVIERR_OK) {
    ShowMediaMessage("No video stream");
    return -1;
  }
  AVIFileGetStream(file, &audio, streamtypeAUDIO, 0);
  AVISTREAMINFO info;
  AVIStreamInfo(video, &info, sizeof info);
  frameRate = static_cast<float>(info.dwRate) / static_cast<float>(info.dwScale);
  const int r = OpenVideo();
  if (r == AVIERR_NOCOMPRESSOR || r == -25) {
    ShowMediaMessage("Indeo codec not found - unable to play movie");
  } else if (r != 0) {
    char text[32];
    std::snprintf(text, sizeof text, "Error %d ", r);
    ShowMediaMessage(text);
  }
  return r;
}

int AviEngine::OpenVideo() {
  if (!video) return -20;
  decoder_.reset();
  AVISTREAMINFO info;
  AVIStreamInfo(video, &info, sizeof info);
  firstFrame = static_cast<LONG>(info.dwStart);
  lastFrame = firstFrame + static_cast<LONG>(info.dwLength) - 1;
  currentFrame = firstFrame;
  lastDrawn = firstFrame - 1;
  // A movie without frames would wait for a last frame that never comes.
  if (info.dwLength == 0) return -20;
  LONG size = 0;
  if (AVIStreamReadFormat(video, 0, nullptr, &size) != AVIERR_OK || size != 40) return -1;
  AVIStreamReadFormat(video, 0, &videoFormat, &size);
  const BITMAPINFOHEADER& f = videoFormat;
  if (f.biWidth <= 0 || f.biWidth > kMaxSide || f.biHeight == 0 || std::abs(f.biHeight) > kMaxSide || f.biBitCount > 32)
    return -21;
  decoder_ = std::make_unique<CVideoDecoder>();
  if (const HRESULT r = decoder_->Open(info.fccHandler, f); r != 0) {
    decoder_.reset();
    return r == AVIERR_NOCOMPRESSOR ? -25 : -21;
  }
  // A compressed frame may be larger than the picture it makes.
  const std::size_t picture =
      static_cast<std::size_t>((f.biWidth + 3) / 4) * f.biBitCount * std::abs(f.biHeight) * 4 / 8;
  frameBuffer.assign(std::max<std::size_t>(picture, info.dwSuggestedBufferSize), 0);
  framesSkipped = 0;
  return 0;
}

int AviEngine::SetupOutput(float zoom, int depth, DWORD codecOption, LONG width, LONG height, LONG x, LONG y) {
  if (!decoder_ || videoFormat.biWidth == 0) return -1;
  if (playing) return -4;
  if (depth == 0) depth = decoder_->OutputFormat().biBitCount;
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return -5;
  if (zoom > 0) {
    width = static_cast<LONG>(static_cast<float>(videoFormat.biWidth) * zoom);
    height = static_cast<LONG>(static_cast<float>(std::abs(videoFormat.biHeight)) * zoom);
  }
  BITMAPINFOHEADER out = decoder_->OutputFormat();
  const auto shape = [&](LONG w, LONG h) {
    out.biBitCount = static_cast<WORD>(depth);
    out.biCompression = BI_RGB;
    out.biWidth = w;
    out.biHeight = h;
    out.biSizeImage = static_cast<DWORD>(static_cast<std::int64_t>((w + 3) / 4) * h * depth * 4 / 8);
  };
  shape(width, height);
  if (x == 0 && y == 0) {
    x = decoder_->destination.x;
    y = decoder_->destination.y;
  }
  if (decoder_->QueryOutput(&out, 0, 0, width, height) != 0) {
    width = videoFormat.biWidth;
    height = std::abs(videoFormat.biHeight);
    shape(width, height);
    const VideoRect& o = decoder_->output;
    if (decoder_->QueryOutput(&out, o.x, o.y, width, height) != 0) return -5;
  }
  decoder_->SetOutputFormat(out);
  decoder_->output = decoder_->blit = {0, 0, width, height};
  decoder_->destination = {x, y, width, height};
  if (codecOption != 0 && decoder_->SetCodecOption(codecOption, 0) == 0) return -5;
  lastDrawn = -1;
  return 0;
}

int AviEngine::AudioOpen() {
  if (!audio) return -10;
  if (waveOut) AudioStop();
  AVISTREAMINFO info;
  AVIStreamInfo(audio, &info, sizeof info);
  sampleSize = static_cast<LONG>(info.dwSampleSize);
  samplesPerBuffer = sampleSize > 0 ? static_cast<LONG>(info.dwSuggestedBufferSize) / sampleSize : 0;
  bytesPerBuffer = sampleSize * samplesPerBuffer;
  audioStreamStart = static_cast<LONG>(info.dwStart);
  initialFrames = static_cast<LONG>(info.dwInitialFrames);
  if (samplesPerBuffer <= 0) return -12;
  lastBlock = static_cast<LONG>(info.dwLength) / samplesPerBuffer + audioStreamStart;
  if (initialFrames >= bufferCount) return -11;
  WAVEFORMATEX format;
  LONG size = sizeof format;
  if (AVIStreamReadFormat(audio, 0, &format, &size) != AVIERR_OK || size < 16 || format.wFormatTag != WAVE_FORMAT_PCM)
    return -12;
  sampleRate = format.nSamplesPerSec;
  bytesPerSecond = format.nAvgBytesPerSec;
  format.cbSize = 0;
  const auto open = [&] {
    return waveOutOpen(&waveOut, WAVE_MAPPER, &format, reinterpret_cast<std::uintptr_t>(&WaveCallback),
                       reinterpret_cast<std::uintptr_t>(this), CALLBACK_FUNCTION);
  };
  // One more try after a busy device, no more: the movie then plays silently.
  MMRESULT r = open();
  if (r != MMSYSERR_NOERROR) r = open();
  if (r != MMSYSERR_NOERROR) {
    waveOut = nullptr;
    return r == MMSYSERR_BADDEVICEID ? -10 : -13;
  }
  buffers_.clear();
  for (int i = 0; i < bufferCount; ++i) {
    auto b = std::make_unique<AudioBuffer>();
    b->data.resize(static_cast<std::size_t>(bytesPerBuffer));
    b->header.lpData = reinterpret_cast<char*>(b->data.data());
    b->header.dwBufferLength = static_cast<DWORD>(bytesPerBuffer);
    if (waveOutPrepareHeader(waveOut, &b->header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      AudioStop();
      return -14;
    }
    buffers_.push_back(std::move(b));
  }
  return 0;
}

void AviEngine::ReadBlocks(int count) {
  for (int i = 0; i < count && nextBlock <= lastBlock; ++i) {
    AudioBuffer& b = *buffers_[static_cast<std::size_t>(fillIndex)];
    LONG bytes = 0, samples = 0;
    if (AVIStreamRead(audio, nextBlock * samplesPerBuffer, samplesPerBuffer, b.data.data(), bytesPerBuffer, &bytes,
                      &samples) != AVIERR_OK ||
        samples < samplesPerBuffer)
      break;
    b.header.dwBufferLength = static_cast<DWORD>(bytes);
    fillIndex = (fillIndex + 1) % bufferCount;
    ++readAhead;
    ++nextBlock;
  }
}

void AviEngine::Send() {
  // A write may hand out finished blocks whose callbacks send again: the
  // buffer is counted as sent before the write, so no buffer goes out twice.
  while (queued < bufferCount && sendIndex != fillIndex) {
    WAVEHDR* header = &buffers_[static_cast<std::size_t>(sendIndex)]->header;
    ++queued;
    sendIndex = (sendIndex + 1) % bufferCount;
    if (waveOutWrite(waveOut, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) --queued;
  }
}

int AviEngine::AudioStart() {
  if (paused && waveOut) {
    waveOutRestart(waveOut);
    return 0;
  }
  if (const int r = AudioOpen(); r < 0) return r;
  const LONG startBlock = AVIStreamTimeToSample(audio, AVIStreamSampleToTime(video, currentFrame)) / samplesPerBuffer;
  audioStartTime = AVIStreamSampleToTime(audio, startBlock * samplesPerBuffer);
  // Repeats counted for an earlier start would run this one's clock ahead.
  g_clockRepeat = ClockRepeat{};
  nextBlock = startBlock;
  waveOutPause(waveOut);
  fillIndex = sendIndex = queued = 0;
  readAhead = -1;
  ReadBlocks(initialFrames > kReadAheadMin ? initialFrames : kReadAheadMin);
  Send();
  waveOutRestart(waveOut);
  return 0;
}

int AviEngine::BufferDone() {
  if (audioStartTime < 0 || !playing) return -1;
  if (--readAhead == 0) {
    if (nextBlock > lastBlock) {
      ++readAhead;
      ++nextBlock;
    } else {
      const LONG before = nextBlock;
      ReadBlocks(1);
      if (nextBlock == before) {
        ++readAhead;
        ++nextBlock;
      }
    }
  }
  --queued;
  Send();
  return 0;
}

void AviEngine::AudioStop() {
  if (!waveOut) return;
  waveOutReset(waveOut);
  nextBlock = std::max(0, nextBlock - queued);
  fillIndex = sendIndex = queued = 0;
  readAhead = 0;
  for (auto& b : buffers_) waveOutUnprepareHeader(waveOut, &b->header, sizeof(WAVEHDR));
  if (waveOutClose(waveOut) == WAVERR_STILLPLAYING) {
    waveOutReset(waveOut);
    waveOutClose(waveOut);
  }
  buffers_.clear();
  waveOut = nullptr;
  audioStartTime = -1;
}

LONG AviEngine::Clock() {
  if (!waveOut) return -10;
  MMTIME t;
  t.wType = TIME_SAMPLES;
  if (waveOutGetPosition(waveOut, &t, sizeof t) != MMSYSERR_NOERROR) return -1;
  const LONG ms = MovieClockMs(t, sampleRate, bytesPerSecond);
  if (ms < 0 || audioStartTime < 0) return -1;
  const LONG now = ms + audioStartTime;
  ClockRepeat& r = g_clockRepeat;
  if (now != r.last) {
    r.last = now;
    r.count = 0;
    return now;
  }
  if (r.count++ == 0) {
    r.firstTick = timeGetTime();
    return now;
  }
  return now + static_cast<LONG>(timeGetTime() - r.firstTick);
}

int AviEngine::BeginDrawing(HDC target) {
  dc = target;
  if (!decoder_) return -21;
  if (!dc) return -22;
  if (decoder_->Begin(dc, frameRate) != 0) {
    EndDrawing();
    return -21;
  }
  if (playing) decoder_->StartDrawing(frameRate);
  startTick = timeGetTime();
  startTime = AVIStreamSampleToTime(video, currentFrame);
  clockOffset = startTime - static_cast<LONG>(startTick);
  previousCounted = currentFrame;
  return 0;
}

void AviEngine::EndDrawing() {
  if (decoder_) {
    decoder_->StopDrawing();
    decoder_->End();
  }
  dc = nullptr;
}

int AviEngine::Play(HDC target) {
  if (!video) return -1;
  if (playing) return -4;
  playing = 1;
  TIMECAPS caps;
  timeGetDevCaps(&caps, sizeof caps);
  timerPeriod = caps.wPeriodMin ? caps.wPeriodMin : 1;
  timeBeginPeriod(timerPeriod);
  if (!paused) {
    const int r = AudioStart();
    if (r < 0 && r != -10) {
      playing = 0;
      timeEndPeriod(timerPeriod);
      AudioStop();
      return r;
    }
  }
  paused = 0;
  return BeginDrawing(target);
}

void AviEngine::Stop() {
  if (!playing) return;
  playing = paused = 0;
  timeEndPeriod(timerPeriod);
  AudioStop();
  EndDrawing();
}

int AviEngine::MoveTo(LONG frame) {
  if (playing) return -1;
  currentFrame = std::clamp(frame, firstFrame, std::max(firstFrame, lastFrame));
  if (currentFrame == firstFrame) lastDrawn = previousKey = nextKey = -1;
  if (audio && samplesPerBuffer > 0)
    nextBlock = AVIStreamTimeToSample(audio, AVIStreamSampleToTime(video, currentFrame)) / samplesPerBuffer;
  return 0;
}

bool AviEngine::KeyFrameCheck(LONG frame) {
  if (frame < lastDrawn) lastDrawn = -1;
  if (frame == lastDrawn + 1) return true;
  if (AVIStreamFindSample(video, frame, FIND_PREV | FIND_KEY) == frame) {
    previousKey = frame;
    nextKey = AVIStreamFindSample(video, frame + 1, FIND_NEXT | FIND_KEY);
    return true;
  }
  if (frame > lastDrawn + 3) {
    if (!(previousKey < frame && frame < nextKey)) {
      previousKey = AVIStreamFindSample(video, frame - 1, FIND_PREV | FIND_KEY);
      nextKey = AVIStreamFindSample(video, frame + 1, FIND_NEXT | FIND_KEY);
    }
    // Without a key frame ahead, waiting for one would freeze the movie's end.
    if (playing && nextKey >= 0 && frame - previousKey > nextKey - frame) return false;
  }
  if (lastDrawn < previousKey) lastDrawn = previousKey - 1;
  for (LONG f = lastDrawn + 1; f < frame; ++f) {
    LONG bytes = 0;
    if (AVIStreamRead(video, f, 1, frameBuffer.data(), static_cast<LONG>(frameBuffer.size()), &bytes, nullptr) !=
        AVIERR_OK)
      break;
    decoder_->DecodeFrame(frameBuffer.data(), static_cast<DWORD>(bytes), playing ? ICDECOMPRESS_HURRYUP : 0);
    lastDrawn = f;
  }
  return true;
}

int AviEngine::FrameStep() {
  if (!decoder_) return -21;
  LONG frame;
  if (playing) {
    LONG t = Clock();
    if (t < 0) t = static_cast<LONG>(timeGetTime()) + clockOffset;
    frame = std::min(AVIStreamTimeToSample(video, t), lastFrame);
    if (frame == lastDrawn) return 0;
    currentFrame = frame;
  } else {
    currentFrame = std::min(currentFrame, lastFrame);
    frame = currentFrame;
    if (frame == lastDrawn) lastDrawn = -1;
  }
  if (!KeyFrameCheck(frame)) return 0;
  LONG bytes = 0;
  if (AVIStreamRead(video, frame, 1, frameBuffer.data(), static_cast<LONG>(frameBuffer.size()), &bytes, nullptr) !=
      AVIERR_OK)
    return -24;
  const LRESULT r = decoder_->DrawFrame(frameBuffer.data(), static_cast<DWORD>(bytes), 0);
  if (r != 0 && r != 1) return -21;
  lastDrawn = frame;
  if (playing) {
    framesSkipped += std::max(0, frame - previousCounted - 1);
    previousCounted = frame;
  }
  return 0;
}
