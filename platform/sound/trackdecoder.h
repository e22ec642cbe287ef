#pragma once
// Decoding one audio file (Ogg Vorbis, or any format FFmpeg reads) to the mix format:
// 44,100 frames a second, two interleaved signed 16-bit channels. Used by one
// thread at a time.

#include <cstdint>
#include <filesystem>
#include <memory>

namespace plat {

class TrackDecoder {
 public:
  // Null when the file cannot be opened or holds no decodable audio.
  static std::unique_ptr<TrackDecoder> Open(const std::filesystem::path& hostPath);
  ~TrackDecoder();
  TrackDecoder(const TrackDecoder&) = delete;
  TrackDecoder& operator=(const TrackDecoder&) = delete;
  // Writes up to maxFrames frames; 0 at the end of the file or on an error.
  std::size_t Read(std::int16_t* out, std::size_t maxFrames);

 private:
  struct State;
  explicit TrackDecoder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace plat
