#include "platform/user/boxfont.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <sstream>

namespace plat::user_impl {

namespace {

std::string FindSansFile() {
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return file;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Sans"));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) file = reinterpret_cast<char*>(path);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return file;
}

std::uint16_t Pack(std::uint32_t r, std::uint32_t g, std::uint32_t b, bool is555) {
  if (is555) return static_cast<std::uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
  return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

}  // namespace

struct BoxFont::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int lineHeight = 0;
  int ascent = 0;
};

BoxFont::BoxFont(int pixelHeight) : impl_(std::make_unique<Impl>()) {
  impl_->lineHeight = pixelHeight + pixelHeight / 4;
  if (FT_Init_FreeType(&impl_->library) != 0) return;
  const std::string file = FindSansFile();
  if (file.empty() || FT_New_Face(impl_->library, file.c_str(), 0, &impl_->face) != 0) {
    impl_->face = nullptr;
    return;
  }
  FT_Set_Pixel_Sizes(impl_->face, 0, static_cast<FT_UInt>(pixelHeight));
  impl_->ascent = static_cast<int>(impl_->face->size->metrics.ascender >> 6);
  impl_->lineHeight = static_cast<int>(impl_->face->size->metrics.height >> 6);
}

BoxFont::~BoxFont() {
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->library) FT_Done_FreeType(impl_->library);
}

bool BoxFont::Ok() const { return impl_->face != nullptr; }

int BoxFont::LineHeight() const { return impl_->lineHeight; }

int BoxFont::Width(std::string_view text) {
  if (!Ok()) return 0;
  long width = 0;
  for (unsigned char c : text)
    if (FT_Load_Char(impl_->face, c, FT_LOAD_DEFAULT) == 0) width += impl_->face->glyph->advance.x;
  return static_cast<int>(width >> 6);
}

std::vector<std::string> BoxFont::Wrap(std::string_view text, int maxWidth) {
  std::vector<std::string> lines;
  std::string paragraph;
  std::istringstream in{std::string(text)};
  while (std::getline(in, paragraph)) {
    std::istringstream words(paragraph);
    std::string word, line;
    while (words >> word) {
      std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && Width(candidate) > maxWidth) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
    }
    lines.push_back(line);
  }
  return lines;
}

void BoxFont::Draw(Screen& screen, int x, int y, std::string_view text, COLORREF colour, const RECT& clip) {
  if (!Ok()) return;
  const std::uint32_t cr = GetRValue(colour), cg = GetGValue(colour), cb = GetBValue(colour);
  const RECT bounds{std::max<LONG>(clip.left, 0), std::max<LONG>(clip.top, 0),
                    std::min<LONG>(clip.right, Screen::kWidth), std::min<LONG>(clip.bottom, Screen::kHeight)};
  long penX = static_cast<long>(x) << 6;
  const int baseline = y + impl_->ascent;
  for (unsigned char c : text) {
    if (FT_Load_Char(impl_->face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = impl_->face->glyph;
    const int left = static_cast<int>(penX >> 6) + g->bitmap_left;
    const int top = baseline - g->bitmap_top;
    for (unsigned row = 0; row < g->bitmap.rows; ++row) {
      const int py = top + static_cast<int>(row);
      if (py < bounds.top || py >= bounds.bottom) continue;
      for (unsigned col = 0; col < g->bitmap.width; ++col) {
        const int px = left + static_cast<int>(col);
        if (px < bounds.left || px >= bounds.right) continue;
        const std::uint32_t a = g->bitmap.buffer[row * static_cast<unsigned>(g->bitmap.pitch) + col];
        if (a == 0) continue;
        const std::uint32_t under = Pixel16ToRgb(screen.At(px, py), screen.is555);
        auto mix = [a](std::uint32_t fg, std::uint32_t bg) { return (fg * a + bg * (255 - a)) / 255; };
        const std::uint16_t p = Pack(mix(cr, (under >> 16) & 0xFF), mix(cg, (under >> 8) & 0xFF),
                                     mix(cb, under & 0xFF), screen.is555);
        BYTE* dst = screen.pixels.data() + static_cast<std::size_t>(py) * Screen::kPitch + static_cast<std::size_t>(px) * 2;
        dst[0] = static_cast<BYTE>(p & 0xFF);
        dst[1] = static_cast<BYTE>(p >> 8);
      }
    }
    penX += g->advance.x;
  }
}

}  // namespace plat::user_impl
