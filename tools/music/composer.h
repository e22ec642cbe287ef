#pragma once
// The game's music: ambient pieces rendered by our own synthesiser from a
// mood (key, scale, tempo, instruments), seeded so every run gives the same
// samples. Pure computation; any thread.

#include <string>
#include <string_view>
#include <vector>

namespace music {

constexpr int kRate = 22050;

struct Mood {
  std::string name;
  int rootMidi = 45;       // the key's root note
  std::vector<int> scale;  // semitone steps of the mode above the root
  std::vector<int> chords; // scale degrees of the chord roots, one per bar
  double barSeconds = 8;   // length of one chord
  double brightness = 0.5; // pad filter opening, 0..1
  double bells = 0.5;      // density of the bell melody, 0..1
  double pulse = 0;        // bass pulse and drums, 0..1
  double detune = 0.3;     // pad width, 0..1
};

// The moods the inventory's music recipes name; nothing for an unknown one.
const Mood* FindMood(std::string_view name);

// Interleaved stereo samples in -1..1, `seconds` long (at least one bar).
std::vector<float> Compose(const Mood& mood, double seconds);

}  // namespace music
