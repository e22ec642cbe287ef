#pragma once
// The four movies: what each shows frame by frame and what it sounds like.
// Pure functions of the frame number; any thread.

#include <string_view>
#include <vector>

#include "tools/art/imagefiles.h"

namespace movies {

// The movies play in the middle of the 800 x 600 screen at their own size:
// 640 x 480 fills most of it. Scenes are laid out on a 320 x 240 stage drawn
// at twice its size.
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFps = 15;

struct Movie {
  std::string_view name;  // "intro", "loss", "minorwin", "majorwin"
  double seconds;
  std::string_view mood;  // the music under it
};

// Nothing for an unknown movie name (its file name without ".avi").
const Movie* FindMovie(std::string_view name);

art::Pixels DrawFrame(const Movie& movie, int frame);

// Interleaved stereo at music::kRate for the whole movie.
std::vector<float> Soundtrack(const Movie& movie);

}  // namespace movies
