#include "tools/art/canvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

// The font libraries keep caches for the life of the process, some filled by
// a thread of their own; tearing them down at exit races that thread and
// trips their assertions. The leak check is told to leave them alone instead.
extern "C" [[gnu::used]] const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libpango\nleak:libcairo.so\nleak:libglib\nleak:libgobject\nleak:libharfbuzz\n";
}

namespace art {

std::uint64_t Random::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
double Random::Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
int Random::Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

double Rgb::Luminance() const {
  const auto linear = [](double v) {
    v = std::clamp(v, 0.0, 1.0);
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

std::uint64_t HashText(std::string_view text) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

void ReleaseDrawingCaches() { pango_cairo_font_map_set_default(nullptr); }

Canvas::Canvas(int width, int height, bool transparent)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
  if (!transparent) {
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_paint(cr_);
  }
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void Canvas::Colour(const Rgb& c, double alpha) {
  cairo_set_source_rgba(cr_, std::clamp(c.r, 0.0, 1.0), std::clamp(c.g, 0.0, 1.0), std::clamp(c.b, 0.0, 1.0), alpha);
}

void Canvas::RoundedRect(double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr_, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr_, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr_, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr_);
}

void Canvas::Bevel(double x, double y, double w, double h, const Rgb& base, double depth, double radius) {
  const bool raised = depth >= 0;
  const double edge = std::max(1.0, std::min({std::fabs(depth), w / 4, h / 4}));
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, y, 0, y + h);
  const Rgb top = raised ? base.Mix({1, 1, 1}, 0.25) : base.Scaled(0.55);
  const Rgb bottom = raised ? base.Scaled(0.55) : base.Mix({1, 1, 1}, 0.1);
  cairo_pattern_add_color_stop_rgb(fill, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(fill, 0.5, base.r, base.g, base.b);
  cairo_pattern_add_color_stop_rgb(fill, 1, bottom.r, bottom.g, bottom.b);
  RoundedRect(x, y, w, h, radius);
  cairo_set_source(cr_, fill);
  cairo_fill(cr_);
  cairo_pattern_destroy(fill);
  // light edge top-left, shadow edge bottom-right (swapped when sunk)
  cairo_set_line_width(cr_, edge);
  const Rgb light = base.Mix({1, 1, 1}, 0.6), dark = base.Scaled(0.25);
  Colour(raised ? light : dark, 0.9);
  cairo_move_to(cr_, x + edge / 2, y + h - edge / 2);
  cairo_line_to(cr_, x + edge / 2, y + edge / 2);
  cairo_line_to(cr_, x + w - edge / 2, y + edge / 2);
  cairo_stroke(cr_);
  Colour(raised ? dark : light, 0.9);
  cairo_move_to(cr_, x + w - edge / 2, y + edge / 2);
  cairo_line_to(cr_, x + w - edge / 2, y + h - edge / 2);
  cairo_line_to(cr_, x + edge / 2, y + h - edge / 2);
  cairo_stroke(cr_);
}

void Canvas::Clouds(Random& rnd, double x, double y, double w, double h, const Rgb& tint, int blobs, double alpha) {
  cairo_save(cr_);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_clip(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_ADD);
  for (int i = 0; i < blobs; ++i) {
    const double cx = x + rnd.Range(0, w), cy = y + rnd.Range(0, h);
    const double rad = rnd.Range(0.08, 0.35) * std::max(w, h);
    const Rgb c = tint.Mix({rnd.Unit() * 0.6, rnd.Unit() * 0.3, rnd.Unit() * 0.7}, 0.35);
    const double a = alpha * rnd.Range(0.3, 1.0);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, rad);
    cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, a);
    cairo_pattern_add_color_stop_rgba(p, 0.45, c.r, c.g, c.b, a * 0.45);
    cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr_, p);
    cairo_arc(cr_, cx, cy, rad, 0, 2 * M_PI);
    cairo_fill(cr_);
    cairo_pattern_destroy(p);
  }
  cairo_restore(cr_);
}

void Canvas::Stars(Random& rnd, double x, double y, double w, double h, int count) {
  for (int i = 0; i < count; ++i) {
    const double sx = x + rnd.Range(0, w), sy = y + rnd.Range(0, h);
    const double bright = std::pow(rnd.Unit(), 3.0);
    const double rad = 0.35 + bright * 1.4;
    const Rgb c = Rgb{0.85, 0.9, 1.0}.Mix({1.0, 0.85, 0.7}, rnd.Unit());
    Colour(c, 0.35 + 0.65 * bright);
    cairo_arc(cr_, sx, sy, rad, 0, 2 * M_PI);
    cairo_fill(cr_);
    if (bright > 0.7) {  // a few bright ones get a cross glint
      Colour(c, 0.35);
      cairo_set_line_width(cr_, 0.6);
      cairo_move_to(cr_, sx - rad * 4, sy);
      cairo_line_to(cr_, sx + rad * 4, sy);
      cairo_move_to(cr_, sx, sy - rad * 4);
      cairo_line_to(cr_, sx, sy + rad * 4);
      cairo_stroke(cr_);
    }
  }
}

void Canvas::Space(Random& rnd, const Rgb& tint, double cloudiness, int stars) {
  cairo_pattern_t* bg = cairo_pattern_create_linear(0, 0, width_ * 0.3, height_);
  const Rgb deep = tint.Scaled(0.08);
  cairo_pattern_add_color_stop_rgb(bg, 0, deep.r, deep.g, deep.b + 0.03);
  cairo_pattern_add_color_stop_rgb(bg, 1, 0.0, 0.0, 0.02);
  cairo_set_source(cr_, bg);
  cairo_paint(cr_);
  cairo_pattern_destroy(bg);
  const int blobs = static_cast<int>(cloudiness * 40);
  Clouds(rnd, 0, 0, width_, height_, tint, blobs, 0.22);
  Stars(rnd, 0, 0, width_, height_, stars);
}

namespace {

PangoLayout* NewLayout(cairo_t* cr, std::string_view text) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  // Hinting and subpixel choices of the desktop must not change our bytes.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
  cairo_font_options_destroy(options);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  return layout;
}

}  // namespace

void Canvas::Measure(std::string_view text, double size, bool bold, int& width, int& height) {
  Canvas scratch(1, 1, true);
  PangoLayout* layout = NewLayout(scratch.cr(), text);
  PangoFontDescription* font = pango_font_description_from_string(bold ? "Liberation Serif Bold" : "Liberation Serif");
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
}

void Canvas::Text(std::string_view text, double x, double y, double w, double h, const Rgb& colour, double size,
                  bool bold, double glow, double narrowFrom) {
  if (text.empty() || w < 2 || h < 2) return;
  PangoLayout* layout = NewLayout(cr_, text);
  int tw = 0, th = 0;
  double narrow = 1.0;  // horizontal scale of the lettering
  for (double s = std::min(size, h * 0.8); s >= 4; s *= 0.9) {
    PangoFontDescription* font =
        pango_font_description_from_string(bold ? "Liberation Serif Bold" : "Liberation Serif");
    pango_font_description_set_absolute_size(font, s * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_get_pixel_size(layout, &tw, &th);
    if (tw <= w - 2 && th <= h + 2) break;
    const double fit = (w - 2) / tw;
    if (s * 0.9 < narrowFrom && th <= h + 2 && fit >= kNarrowest) {
      narrow = fit;
      break;
    }
  }
  const double tx = x + (w - tw * narrow) / 2, ty = y + (h - th) / 2;
  const auto show = [&](double px, double py) {
    if (narrow >= 1.0) {
      cairo_move_to(cr_, px, py);
      pango_cairo_show_layout(cr_, layout);
      return;
    }
    cairo_save(cr_);
    cairo_translate(cr_, px, py);
    cairo_scale(cr_, narrow, 1.0);
    cairo_move_to(cr_, 0, 0);
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
  };
  if (glow > 0) {
    Colour(colour, glow * 0.25);
    for (int dx = -2; dx <= 2; ++dx) {
      for (int dy = -2; dy <= 2; ++dy) {
        if (dx == 0 && dy == 0) continue;
        show(tx + dx, ty + dy);
      }
    }
  }
  Colour({0, 0, 0}, 0.7);  // drop shadow keeps light text readable on light plates
  show(tx + 1, ty + 1);
  Colour(colour);
  show(tx, ty);
  g_object_unref(layout);
}

namespace {

void SetFace(PangoLayout* layout, double size) {
  PangoFontDescription* font = pango_font_description_from_string("Liberation Serif Bold");
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
}

struct InkBox {
  double x = 0, y = 0, w = 0, h = 0;  // pixels, from the layout's top left
};

InkBox InkOf(PangoLayout* layout) {
  PangoRectangle ink{};
  pango_layout_get_extents(layout, &ink, nullptr);
  return {static_cast<double>(ink.x) / PANGO_SCALE, static_cast<double>(ink.y) / PANGO_SCALE,
          static_cast<double>(ink.width) / PANGO_SCALE, static_cast<double>(ink.height) / PANGO_SCALE};
}

}  // namespace

void Canvas::Label(std::string_view text, double x, double y, double w, double h, const Rgb& colour, double size,
                   double least) {
  if (text.empty() || w < 2 || h < 2) return;
  // How tall the capitals stand at each size: the measure of the label.
  PangoLayout* layout = NewLayout(cr_, "H");
  SetFace(layout, 100);
  const double capsPerSize = InkOf(layout).h / 100;
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  // The size Text would settle on, while the capitals keep `least` rows; a
  // size asked for below that grows to it where the box is tall enough.
  const double smallest = least / capsPerSize * (1 - 1e-9);
  double chosen = 0;
  for (double s = std::max(std::min(size, h * 0.8), smallest); s >= smallest; s *= 0.9) {
    SetFace(layout, s);
    int tw = 0, th = 0;
    pango_layout_get_pixel_size(layout, &tw, &th);
    if (th > h + 2) break;
    if (tw <= w - 2) {
      chosen = s;
      break;
    }
    if (s * 0.9 < smallest) {
      if ((w - 2) / tw >= kNarrowest) chosen = s;
      break;
    }
  }
  g_object_unref(layout);
  if (chosen > 0) {
    // Text takes at most 0.8 of its box's height: a box as much taller, about
    // the same middle, keeps a grown size whole.
    const double tall = std::max(h, chosen / 0.8);
    Text(text, x, y - (tall - h) / 2, w, tall, colour, chosen, true, 0.0, chosen);
    return;
  }
  // Capitals as tall as `least`, their flat tops and feet on whole rows.
  std::string capitals(text);
  for (char& ch : capitals) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const double s = least / capsPerSize;
  layout = NewLayout(cr_, capitals);
  SetFace(layout, s);
  pango_layout_set_text(layout, "H", 1);
  const double capTop = InkOf(layout).y;
  pango_layout_set_text(layout, capitals.data(), static_cast<int>(capitals.size()));
  const InkBox ink = InkOf(layout);
  const double narrow = std::min(1.0, (w - 2) / ink.w);
  const double px = x + (w - ink.w * narrow) / 2 - ink.x * narrow;
  const double py = y + std::floor((h - least) / 2) - capTop;
  const auto show = [&](double ox, double oy) {
    cairo_save(cr_);
    cairo_translate(cr_, ox, oy);
    cairo_scale(cr_, narrow, 1.0);
    cairo_move_to(cr_, 0, 0);
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
  };
  Colour({0, 0, 0}, 0.7);
  show(px + 1, py + 1);
  Colour(colour);
  show(px, py);
  g_object_unref(layout);
}

Pixels Canvas::Take() {
  cairo_surface_flush(surface_);
  Pixels out;
  out.width = width_;
  out.height = height_;
  out.argb.resize(static_cast<std::size_t>(width_) * height_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  for (int y = 0; y < height_; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width_; ++x) {
      std::uint32_t p = row[x];
      const std::uint32_t a = p >> 24;
      if (a != 0 && a != 255) {  // cairo keeps colours multiplied by alpha
        auto un = [&](int shift) { return std::min<std::uint32_t>(255, ((p >> shift) & 0xFF) * 255 / a) << shift; };
        p = (a << 24) | un(16) | un(8) | un(0);
      }
      out.argb[static_cast<std::size_t>(y) * width_ + x] = p;
    }
  }
  return out;
}

}  // namespace art
