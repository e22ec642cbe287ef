#pragma once
// Small AVI files written field by field for the movie tests, benchmarks and
// fuzz seeds: raw 24-bit frames of one colour each (or a codec's bytes under
// any four-character code), chosen key frames and dropped frames, and 16-bit
// PCM sound interleaved frame by frame, with an idx1 index.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/bytes.h"

namespace avitest {

struct Frame {
  std::array<std::uint8_t, 3> rgb{};  // the whole picture's colour
  bool key = true;
  bool dropped = false;             // an empty chunk
  std::vector<std::uint8_t> bytes;  // the chunk as it is, when not empty
};

struct AviSpec {
  int width = 32;
  int height = 24;
  int fps = 15;
  int bitCount = 24;        // what the header says; raw frames are 24-bit
  bool topDown = false;     // the header's height negative (frames' bytes as given)
  std::string compression;  // empty: raw BI_RGB; else its four characters
  std::vector<Frame> frames;
  bool video = true;
  int audioRate = 0;  // 0: no sound
  int channels = 1;
  // Sample i of the sound (mono, repeated on each channel).
  std::vector<std::int16_t> audio;
  // Compressed sound in place of PCM: its format bytes (a WAVEFORMATEX), its
  // blocks of `blockAlign` bytes (one chunk after each frame) and the byte
  // rate its header states.
  std::vector<std::uint8_t> soundFormat;
  std::vector<std::vector<std::uint8_t>> soundBlocks;
  std::uint32_t blockAlign = 0;
  std::uint32_t bytesPerSecond = 0;
  // The compressed sound's header timing; 0: blockAlign and bytesPerSecond.
  std::uint32_t soundScale = 0;
  std::uint32_t soundRate = 0;
};

inline std::uint32_t Cc(const char* s) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(s[i]);
  return v;
}

inline std::vector<std::uint8_t> Chunk(const char* id, const std::vector<std::uint8_t>& body) {
  plat::ByteWriter w;
  w.Chars(std::string(id, 4));
  w.U32(static_cast<std::uint32_t>(body.size()));
  w.WriteBytes(body);
  if (body.size() & 1) w.U8(0);
  return w.Take();
}

inline std::vector<std::uint8_t> List(const char* type, const std::vector<std::uint8_t>& body,
                                      const char* id = "LIST") {
  std::vector<std::uint8_t> all(type, type + 4);
  all.insert(all.end(), body.begin(), body.end());
  return Chunk(id, all);
}

inline std::vector<std::uint8_t> RawFrame(const AviSpec& s, const Frame& f) {
  const int pitch = (s.width * 3 + 3) & ~3;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(pitch) * s.height);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      for (int c = 0; c < 3; ++c) rows[static_cast<std::size_t>(y * pitch + x * 3 + c)] = f.rgb[2 - c];
  return rows;
}

// A stream's "strl" list: its header, then its format as "strf".
inline std::vector<std::uint8_t> StreamList(const char* type, std::uint32_t handler, std::uint32_t scale,
                                            std::uint32_t rate, std::uint32_t length, std::uint32_t buffer,
                                            std::uint32_t sampleSize, int w, int h, std::vector<std::uint8_t> format) {
  plat::ByteWriter v;
  v.Chars(type);
  // handler, flags, priority and language, initial frames, scale, rate, start,
  // length, buffer, quality, sample size
  for (std::uint32_t u : {handler, 0u, 0u, 0u, scale, rate, 0u, length, buffer, 0xFFFFFFFFu, sampleSize}) v.U32(u);
  for (int c : {0, 0, w, h}) v.U16(static_cast<std::uint16_t>(c));
  std::vector<std::uint8_t> strl = Chunk("strh", v.Take());
  const auto strf = Chunk("strf", format);
  strl.insert(strl.end(), strf.begin(), strf.end());
  return List("strl", strl);
}

inline std::vector<std::uint8_t> WriteAvi(const AviSpec& s) {
  const bool raw = s.compression.empty();
  const std::uint32_t fourcc = raw ? 0 : Cc(s.compression.c_str());
  const int align = s.channels * 2;
  const int perFrame = s.audioRate ? s.audioRate / s.fps : 0;
  const bool compressed = !s.soundFormat.empty();
  const int streams = (s.video ? 1 : 0) + (s.audioRate || compressed ? 1 : 0);
  const char* videoId = raw ? "00db" : "00dc";
  const char* audioId = s.video ? "01wb" : "00wb";

  // The movie data and its index.
  plat::ByteWriter movi, index;
  std::size_t audioAt = 0;
  std::uint32_t maxVideo = 0;
  const auto add = [&](const char* id, const std::vector<std::uint8_t>& body, bool key) {
    index.Chars(id);
    index.U32(key ? 0x10 : 0);
    index.U32(static_cast<std::uint32_t>(movi.Size() + 4));
    index.U32(static_cast<std::uint32_t>(body.size()));
    movi.WriteBytes(Chunk(id, body));
  };
  const std::size_t frameCount = s.video ? s.frames.size() : (s.audio.size() + perFrame - 1) / std::max(perFrame, 1);
  for (std::size_t f = 0; f < frameCount; ++f) {
    if (s.video) {
      const Frame& fr = s.frames[f];
      std::vector<std::uint8_t> body = fr.dropped          ? std::vector<std::uint8_t>{}
                                       : !fr.bytes.empty() ? fr.bytes
                                                           : RawFrame(s, fr);
      maxVideo = std::max(maxVideo, static_cast<std::uint32_t>(body.size()));
      add(videoId, body, fr.key && !fr.dropped);
    }
    if (compressed && f < s.soundBlocks.size()) add(audioId, s.soundBlocks[f], true);
    if (s.audioRate && audioAt < s.audio.size()) {
      plat::ByteWriter a;
      for (int i = 0; i < perFrame && audioAt < s.audio.size(); ++i, ++audioAt)
        for (int c = 0; c < s.channels; ++c) a.I16(s.audio[audioAt]);
      add(audioId, a.Take(), true);
    }
  }

  plat::ByteWriter hdrl;
  plat::ByteWriter avih;
  for (std::uint32_t v : {static_cast<std::uint32_t>(1000000 / s.fps), 0u, 0u, 0x10u,
                          static_cast<std::uint32_t>(s.frames.size()), 0u, static_cast<std::uint32_t>(streams), 0u,
                          static_cast<std::uint32_t>(s.width), static_cast<std::uint32_t>(s.height), 0u, 0u, 0u, 0u})
    avih.U32(v);
  hdrl.WriteBytes(Chunk("avih", avih.Take()));
  if (s.video) {
    plat::ByteWriter bi;  // BITMAPINFOHEADER
    for (std::uint32_t v :
         {40u, static_cast<std::uint32_t>(s.width), static_cast<std::uint32_t>(s.topDown ? -s.height : s.height)})
      bi.U32(v);
    bi.U16(1);
    bi.U16(static_cast<std::uint16_t>(s.bitCount));
    bi.U32(fourcc);
    bi.U32(static_cast<std::uint32_t>(((s.width * 3 + 3) & ~3) * s.height));
    bi.Zeros(16);
    hdrl.WriteBytes(StreamList("vids", fourcc, 1, static_cast<std::uint32_t>(s.fps),
                               static_cast<std::uint32_t>(s.frames.size()), maxVideo, 0, s.width, s.height, bi.Take()));
  }
  if (s.audioRate) {
    const auto rate = static_cast<std::uint32_t>(s.audioRate), blockAlign = static_cast<std::uint32_t>(align);
    plat::ByteWriter wf;  // WAVEFORMAT, PCM
    wf.U16(1);
    wf.U16(static_cast<std::uint16_t>(s.channels));
    wf.U32(rate);
    wf.U32(rate * blockAlign);
    wf.U16(static_cast<std::uint16_t>(align));
    wf.U16(16);
    hdrl.WriteBytes(StreamList("auds", 0, blockAlign, rate * blockAlign, static_cast<std::uint32_t>(s.audio.size()),
                               static_cast<std::uint32_t>(perFrame) * blockAlign, blockAlign, 0, 0, wf.Take()));
  }
  if (compressed)
    hdrl.WriteBytes(
        StreamList("auds", 0, s.soundScale ? s.soundScale : s.blockAlign, s.soundRate ? s.soundRate : s.bytesPerSecond,
                   static_cast<std::uint32_t>(s.soundBlocks.size()), s.blockAlign, s.blockAlign, 0, 0, s.soundFormat));
  plat::ByteWriter body;
  body.WriteBytes(List("hdrl", hdrl.Take()));
  body.WriteBytes(List("movi", movi.Take()));
  body.WriteBytes(Chunk("idx1", index.Take()));
  return List("AVI ", body.Take(), "RIFF");
}

// `count` frames of distinct colours; every `keyEvery`-th is a key frame.
inline std::vector<Frame> ColourFrames(int count, int keyEvery = 1) {
  std::vector<Frame> frames;
  for (int i = 0; i < count; ++i) {
    Frame f;
    f.rgb = {static_cast<std::uint8_t>(i * 37 % 256), static_cast<std::uint8_t>(i * 91 % 256),
             static_cast<std::uint8_t>(255 - i * 53 % 256)};
    f.key = i % keyEvery == 0;
    frames.push_back(f);
  }
  return frames;
}

}  // namespace avitest
