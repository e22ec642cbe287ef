#pragma once
// The contents of an AVI file as FFmpeg's demuxer reads them: per stream its
// description, format bytes and samples. Internal to the video role. Pure
// function: may be called from several threads.

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/video/avifile.h"

namespace plat::video_impl {

struct AviSample {
  std::size_t offset = 0;  // into the track's data
  std::size_t size = 0;    // 0: a dropped frame
  bool key = false;
};

struct AviTrack {
  AVISTREAMINFO info;
  std::vector<BYTE> format;
  std::vector<BYTE> data;
  // Video only: one entry per frame. Audio samples are data[i * sampleSize].
  std::vector<AviSample> samples;
};

struct AviContents {
  std::vector<AviTrack> tracks;
};

// Keeps FFmpeg's log to fatal errors, once for the process.
void QuietFFmpeg();

// Nothing when the bytes are not an AVI FFmpeg can read.
std::optional<AviContents> DemuxAvi(std::span<const BYTE> bytes);

}  // namespace plat::video_impl
