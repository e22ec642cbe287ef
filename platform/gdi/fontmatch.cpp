#include "platform/gdi/fontmatch.h"

#include <fontconfig/fontconfig.h>

#include <cctype>
#include <map>
#include <memory>
#include <tuple>

namespace plat::gdi_impl {
namespace {

struct Substitute {
  const char* classic;
  const char* family;
  int minWeight;  // the classic face is itself bold: at least this weight
  int width;      // fontconfig width, 100 = normal
  int minCellHeight;
};

// Times New Roman and Liberation Serif share their advance widths, so layouts
// measured for one fit the other.
constexpr Substitute kSubstitutes[] = {
    {"times new roman", "Liberation Serif", 0, FC_WIDTH_NORMAL, 0},
    {"times new roman bold", "Liberation Serif", 700, FC_WIDTH_NORMAL, 0},
    {"angular3", "DejaVu Sans", 700, FC_WIDTH_CONDENSED, 9},
};

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// Fontconfig's state lives from the first query to the end of the program.
struct Fontconfig {
  Fontconfig() : ready(FcInit() == FcTrue) {}
  ~Fontconfig() {
    if (ready) FcFini();
  }
  bool ready;
};

std::optional<FaceFile> Query(const std::string& family, int weight, int width, bool italic) {
  static const Fontconfig fontconfig;
  if (!fontconfig.ready) return std::nullopt;
  Pattern pattern(FcPatternCreate());
  if (!pattern) return std::nullopt;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern.get(), FC_WIDTH, width);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  if (!match) return std::nullopt;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return std::nullopt;
  FaceFile out;
  out.path = reinterpret_cast<const char*>(file);
  int index = 0;
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch) out.index = index;
  return out;
}

}  // namespace

std::optional<FaceFile> MatchFace(const std::string& face, int weight, bool italic) {
  if (weight <= 0) weight = 400;
  std::string family = face;
  int width = FC_WIDTH_NORMAL;
  int minCell = 0;
  for (const Substitute& s : kSubstitutes) {
    if (Lower(face) != s.classic) continue;
    family = s.family;
    if (weight < s.minWeight) weight = s.minWeight;
    width = s.width;
    minCell = s.minCellHeight;
    break;
  }
  // Fonts are made again and again (every paint of some screens makes its
  // own), so the answers are kept.
  static std::map<std::tuple<std::string, int, int, bool>, std::optional<FaceFile>> cache;
  const auto key = std::make_tuple(family, weight, width, italic);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, Query(family, weight, width, italic)).first;
  std::optional<FaceFile> out = it->second;
  if (out) out->minCellHeight = minCell;
  return out;
}

}  // namespace plat::gdi_impl
