#include "asset_scan.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr std::array<std::string_view, 7> kExtensions = {".ima", ".tga", ".bmp", ".wav", ".avi", ".ogg", ".dll"};
constexpr std::array<std::string_view, 3> kSoundCalls = {"PlayEffect", "PlaySoundAt", "PlayVoiceFile"};

bool EndsWithExtension(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::any_of(kExtensions.begin(), kExtensions.end(),
                     [&](std::string_view e) { return lower.size() > e.size() && lower.ends_with(e); });
}

bool IsHelpTopic(std::string_view s) {
  return s.size() > 1 && s[0] == '#' &&
         std::all_of(s.begin() + 1, s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

}  // namespace

std::vector<AssetUse> FindAssetUses(std::string_view src) {
  using quentest::SourceToken;
  const std::vector<SourceToken> tokens = quentest::TokenizeSource(src);
  std::vector<AssetUse> out;
  for (std::size_t t = 0; t < tokens.size(); ++t) {
    if (tokens[t].kind != SourceToken::kString) continue;
    const std::string& text = tokens[t].text;
    // The literal as the first argument of a sound call.
    const bool sound = t >= 2 && tokens[t - 1].text == "(" && tokens[t - 2].kind == SourceToken::kIdentifier &&
                       std::find(kSoundCalls.begin(), kSoundCalls.end(), tokens[t - 2].text) != kSoundCalls.end();
    if (sound || EndsWithExtension(text) || text.rfind("IDC_CURSOR_", 0) == 0 || IsHelpTopic(text)) {
      out.push_back({text, tokens[t].line, sound});
    }
  }
  return out;
}

std::string LookupPart(std::string_view text) {
  std::size_t slash = text.rfind('\\');
  std::string_view tail = slash == std::string_view::npos ? text : text.substr(slash + 1);
  return std::string(tail);
}
