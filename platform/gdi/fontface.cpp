#include "platform/gdi/fontface.h"

#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "platform/gdi/fontmatch.h"
#include "platform/resource/text1252.h"

namespace plat::gdi_impl {
namespace {

// Larger requests are drawn at this em size.
constexpr int kMaxPixels = 1000;

struct Library {
  FT_Library handle = nullptr;
  ~Library() {
    if (handle) FT_Done_FreeType(handle);
  }
};

std::shared_ptr<Library> SharedLibrary() {
  static std::shared_ptr<Library> library = [] {
    auto lib = std::make_shared<Library>();
    if (FT_Init_FreeType(&lib->handle) != 0) lib->handle = nullptr;
    return lib;
  }();
  return library->handle ? library : nullptr;
}

int Round(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

// One face of a font file, shared by the sizes realized from it. It keeps the
// library alive for as long as any face is.
class FontFile {
 public:
  ~FontFile() {
    if (face) FT_Done_Face(face);
  }
  std::shared_ptr<Library> library;
  FT_Face face = nullptr;
  std::string path;

  static std::shared_ptr<FontFile> Open(const FaceFile& which) {
    static std::map<std::pair<std::string, int>, std::shared_ptr<FontFile>> files;
    auto& slot = files[{which.path, which.index}];
    if (slot) return slot;
    auto file = std::make_shared<FontFile>();
    file->library = SharedLibrary();
    if (!file->library) return nullptr;
    if (FT_New_Face(file->library->handle, which.path.c_str(), which.index, &file->face) != 0) {
      file->face = nullptr;
      return nullptr;
    }
    if (!FT_IS_SCALABLE(file->face) || file->face->units_per_EM == 0) return nullptr;
    file->path = which.path;
    slot = file;
    return slot;
  }
};

std::shared_ptr<RealizedFont> RealizedFont::Realize(const FontRequest& request) {
  // Equal requests share one realization, found by its face file and sizes.
  static std::map<std::tuple<std::string, int, int, int, bool, bool, bool>, std::shared_ptr<RealizedFont>> fonts;
  const auto face = MatchFace(request.face, request.weight, request.italic);
  if (!face) return nullptr;
  const auto key = std::make_tuple(face->path, face->index, request.height, face->minCellHeight, request.italic,
                                   request.underline, request.strikeOut);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second;
  std::shared_ptr<RealizedFont> font(new RealizedFont());
  if (!font->Load(request, *face)) return nullptr;
  fonts.emplace(key, font);
  return font;
}

RealizedFont::~RealizedFont() {
  if (size_) FT_Done_Size(size_);
}

const std::string& RealizedFont::Path() const { return file_->path; }

bool RealizedFont::Load(const FontRequest& request, const FaceFile& faceFile) {
  request_ = request;
  file_ = FontFile::Open(faceFile);
  if (!file_) return false;
  FT_Face face = file_->face;
  if (FT_New_Size(face, &size_) != 0) {
    size_ = nullptr;
    return false;
  }
  FT_Activate_Size(size_);

  const double upem = face->units_per_EM;
  double winAscent = face->ascender, winDescent = -face->descender;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    winAscent = os2->usWinAscent;
    winDescent = os2->usWinDescent;
  }
  const double cellUnits = winAscent + winDescent;
  if (cellUnits <= 0) return false;

  // Negative heights give the em size, positive ones the cell (ascent plus
  // descent); a face with a smallest size is never drawn below it.
  int height = request.height == 0 ? 16 : request.height;
  height = std::clamp(height, -kMaxPixels, kMaxPixels);
  const int minCell = faceFile.minCellHeight;
  if (minCell > 0 && (height > 0 ? height : Round(-height * cellUnits / upem)) < minCell) height = minCell;
  FontMetrics& m = metrics_;
  if (height > 0) {
    m.emSize = std::max(1, Round(height * upem / cellUnits));
    m.height = height;
    m.ascent = Round(height * winAscent / cellUnits);
    m.descent = height - m.ascent;
  } else {
    m.emSize = -height;
    m.ascent = Round(winAscent * m.emSize / upem);
    m.descent = Round(winDescent * m.emSize / upem);
    m.height = m.ascent + m.descent;
  }
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(m.emSize)) != 0) return false;

  const double scale = m.emSize / upem;
  if (const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA))) {
    const double lineUnits = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
    m.externalLeading = std::max(0, Round((lineUnits - cellUnits) * scale));
  }
  m.maxCharWidth = Round(face->max_advance_width * scale);
  m.aveCharWidth = os2 && os2->version != 0xFFFF ? Round(os2->xAvgCharWidth * scale) : GlyphOf('x').advance;
  m.weight = os2 && os2->version != 0xFFFF ? os2->usWeightClass : request.weight;
  m.underlineOffset = std::max(1, Round(-face->underline_position * scale));
  m.underlineThickness = std::max(1, Round(face->underline_thickness * scale));
  if (os2 && os2->version != 0xFFFF) {
    m.strikeOffset = Round(os2->yStrikeoutPosition * scale);
    m.strikeThickness = std::max(1, Round(os2->yStrikeoutSize * scale));
  } else {
    m.strikeOffset = m.ascent / 3;
  }
  return true;
}

const Glyph& RealizedFont::GlyphOf(unsigned char ch) {
  std::optional<Glyph>& slot = glyphs_[ch];
  if (slot) return *slot;
  slot.emplace();
  FT_Face face = file_->face;
  FT_Activate_Size(size_);
  const FT_UInt index = FT_Get_Char_Index(face, Cp1252ToUtf16(ch));
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) return *slot;
  const FT_GlyphSlot g = face->glyph;
  slot->advance = static_cast<int>((g->advance.x + 32) >> 6);
  const FT_Bitmap& bm = g->bitmap;
  if (bm.pixel_mode != FT_PIXEL_MODE_MONO) return *slot;
  for (unsigned row = 0; row < bm.rows; ++row) {
    const unsigned char* bits = bm.buffer + static_cast<std::ptrdiff_t>(row) * bm.pitch;
    const int y = static_cast<int>(row) - g->bitmap_top;
    unsigned col = 0;
    while (col < bm.width) {
      auto set = [&](unsigned c) { return (bits[c >> 3] >> (7 - (c & 7))) & 1; };
      if (!set(col)) {
        ++col;
        continue;
      }
      const unsigned start = col;
      while (col < bm.width && set(col)) ++col;
      slot->runs.push_back(GlyphRun{static_cast<std::int16_t>(y),
                                    static_cast<std::int16_t>(g->bitmap_left + static_cast<int>(start)),
                                    static_cast<std::int16_t>(col - start)});
    }
  }
  return *slot;
}

int RealizedFont::Width(std::string_view text) {
  int width = 0;
  for (char ch : text) width += GlyphOf(static_cast<unsigned char>(ch)).advance;
  return width;
}

}  // namespace plat::gdi_impl
