#pragma once
// A cairo drawing surface with the handful of drawing helpers every look of
// the game's art shares: colours, bevels, star fields, clouds and lettering
// in the game's fonts (pango with fontconfig). One canvas per thread.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "tools/art/imagefiles.h"

namespace art {

struct Rgb {
  double r = 0, g = 0, b = 0;
  Rgb Mix(const Rgb& o, double t) const { return {r + (o.r - r) * t, g + (o.g - g) * t, b + (o.b - b) * t}; }
  Rgb Scaled(double k) const { return {r * k, g * k, b * k}; }
  // Relative luminance of the colour as the screen shows it (sRGB), 0 to 1.
  double Luminance() const;
};

// Repeatable pseudo-random numbers from a seed (splitmix64), the same on
// every machine and library, so generated art is the same byte for byte.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  double Unit();                       // [0, 1)
  double Range(double lo, double hi);  // [lo, hi)
  int Below(int n);                    // [0, n)

 private:
  std::uint64_t state_;
};

std::uint64_t HashText(std::string_view text);  // FNV-1a

// Frees the font and drawing libraries' process-wide caches; call once when
// done drawing, so leak checkers see only our own allocations.
void ReleaseDrawingCaches();

class Canvas {
 public:
  // A black canvas, or a fully transparent one.
  Canvas(int width, int height, bool transparent = false);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  int width() const { return width_; }
  int height() const { return height_; }

  void Colour(const Rgb& c, double alpha = 1.0);
  void RoundedRect(double x, double y, double w, double h, double r);
  // A raised (depth > 0) or sunk (depth < 0) bevelled plate in `base`.
  void Bevel(double x, double y, double w, double h, const Rgb& base, double depth, double radius);
  void Space(Random& rnd, const Rgb& tint, double cloudiness, int stars);
  void Clouds(Random& rnd, double x, double y, double w, double h, const Rgb& tint, int blobs, double alpha);
  void Stars(Random& rnd, double x, double y, double w, double h, int count);
  // Text centred in the box, shrunk until it fits; serif face of the game.
  // With `narrowFrom`, text that would have to shrink below that size stops
  // shrinking and is narrowed to fit instead (down to kNarrowest of its width),
  // so a long label keeps the height of its shorter neighbours.
  void Text(std::string_view text, double x, double y, double w, double h, const Rgb& colour, double size,
            bool bold = true, double glow = 0.0, double narrowFrom = 0.0);
  static constexpr double kNarrowest = 0.6;
  // A control's label: as Text, but its capitals never stand less than
  // `least` pixels tall. Where the box is too low for that in mixed case, the
  // label is set in capitals whose ink fills `least` rows, centred by its ink,
  // and narrowed rather than shrunk to fit the box's width.
  void Label(std::string_view text, double x, double y, double w, double h, const Rgb& colour, double size,
             double least);
  Pixels Take();  // the picture; alpha not premultiplied

  // The width and height in pixels `text` takes at `size` in the face Text uses.
  static void Measure(std::string_view text, double size, bool bold, int& width, int& height);

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

}  // namespace art
