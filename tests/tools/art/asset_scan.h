#pragma once
// Finds the asset names C++ code asks for: string literals that name an image,
// sound, movie or module file (ending in .ima .tga .bmp .wav .avi .ogg .dll,
// any case, possibly a printf format such as "%sbkgnd%d.ima"), cursor names
// ("IDC_CURSOR_..."), help topics ("#12"), and the literal first argument of
// the sound calls (PlayEffect, PlaySoundAt, PlayVoiceFile), whose names may
// lack an extension ("click"). Comments, character literals and raw strings
// are skipped.

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/source_scan.h"

struct AssetUse {
  std::string text;  // the literal's contents
  int line = 0;
  bool soundCall = false;  // the first argument of a sound call
};

std::vector<AssetUse> FindAssetUses(std::string_view source);

// The part of a path the game looks a resource or file up by: after the last
// backslash, or after a leading format directive such as "%s".
std::string LookupPart(std::string_view text);

using quentest::FormatMatches;
