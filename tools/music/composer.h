#pragma once
// The game's music: pieces rendered by our own synthesiser from a mood (key,
// scale, chords, tempo, instruments): a seeded melody built from motifs over
// the mood's chords, pad, bass, arpeggio, bells and drums, in sections that
// add and drop layers, loudness-normalised. Seeded, so every run gives the
// same samples. Pure computation; any thread.

#include <string>
#include <string_view>
#include <vector>

namespace music {

constexpr int kRate = 22050;

struct Mood {
  std::string name;
  int rootMidi = 45;        // the key's root note
  std::vector<int> scale;   // semitone steps of the mode above the root
  std::vector<int> chords;  // scale degrees of the chord roots, one per bar
  double barSeconds = 8;    // length of one bar of four beats, one chord
  double brightness = 0.5;  // pad filter opening, 0..1
  double bells = 0.5;       // density of the bell melody, 0..1
  double pulse = 0;         // bass pulse and drums, 0..1
  double detune = 0.3;      // pad width, 0..1
  double lead = 0.7;        // presence of the melody, 0..1
};

// The moods the inventory's music recipes name; nothing for an unknown one.
const Mood* FindMood(std::string_view name);

// Interleaved stereo samples in -1..1, `seconds` long (at least one bar), at
// kTargetLufs (loudness.h). The end runs on into the start: played in a loop,
// the piece continues without a gap or a click.
std::vector<float> Compose(const Mood& mood, double seconds);

// `seconds` rounded up to whole bars, so a loop ends on a bar line.
double WholeBars(const Mood& mood, double seconds);

}  // namespace music
