#pragma once
// A font realized at one pixel size: its metrics and its glyphs, rendered
// once (monochrome, hinted) and kept as runs of set pixels. Called from the program's thread only.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/gdi/fontmatch.h"
#include "platform/gdi/gdi_impl.h"

namespace plat::gdi_impl {

struct GlyphRun {
  std::int16_t y;  // row, relative to the baseline (negative = above)
  std::int16_t x;  // first pixel, relative to the pen position
  std::int16_t length;
};

struct Glyph {
  int advance = 0;  // whole pixels
  std::vector<GlyphRun> runs;
};

struct FontMetrics {
  int height = 0;  // ascent + descent
  int ascent = 0;
  int descent = 0;
  int emSize = 0;  // pixels per em
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = 0;
  int underlineOffset = 0;  // rows below the baseline
  int underlineThickness = 1;
  int strikeOffset = 0;  // rows above the baseline
  int strikeThickness = 1;
};

class FontFile;

class RealizedFont {
 public:
  // The request's face at its size; fonts of equal requests are shared. Null
  // when no face can be found or loaded.
  static std::shared_ptr<RealizedFont> Realize(const FontRequest& request);
  ~RealizedFont();
  RealizedFont(const RealizedFont&) = delete;
  RealizedFont& operator=(const RealizedFont&) = delete;

  const FontMetrics& Metrics() const { return metrics_; }
  const FontRequest& Request() const { return request_; }
  const std::string& Path() const;
  // The glyph of a Windows-1252 byte, rendered at first use.
  const Glyph& GlyphOf(unsigned char ch);
  // The sum of the advances.
  int Width(std::string_view text);

 private:
  RealizedFont() = default;
  bool Load(const FontRequest& request, const FaceFile& faceFile);

  FontRequest request_;
  std::shared_ptr<FontFile> file_;
  FT_Size size_ = nullptr;  // the face at this pixel size
  FontMetrics metrics_;
  std::array<std::optional<Glyph>, 256> glyphs_;
};

}  // namespace plat::gdi_impl
