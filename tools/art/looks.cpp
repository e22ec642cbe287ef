#include "tools/art/looks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace art {
namespace {

bool Has(const std::string& s, std::string_view part) { return s.find(part) != std::string::npos; }
bool Starts(const std::string& s, std::string_view part) { return s.rfind(part, 0) == 0; }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Base name without extension, for shapes chosen by name.
std::string Stem(const std::string& name) {
  std::string s = Lower(name);
  if (auto dot = s.rfind('.'); dot != std::string::npos) s.erase(dot);
  return s;
}

constexpr std::array<std::string_view, 11> kClasses = {"genp", "usta", "asta", "usct", "asct", "uasl",
                                                       "aasl", "cons", "dest", "crus", "batt"};

int ClassIndex(const std::string& stem) {
  for (std::size_t i = 0; i < kClasses.size(); ++i) {
    if (Starts(stem, kClasses[i])) return static_cast<int>(i);
  }
  return -1;
}

double Phase(const Asset& a) { return a.count > 1 ? static_cast<double>(a.index) / a.count : 0.0; }

void Captions(Canvas& c, const Palette& p, const std::vector<PlacedCaption>& captions) {
  for (const PlacedCaption& k : captions) {
    const Box& b = k.box;
    c.Colour({0, 0, 0}, 0.5);  // a dark plate keeps the words clear of bright stars
    c.RoundedRect(b.x - 2, b.y, b.w + 4, b.h, 3);
    cairo_fill(c.cr());
    if (k.heading) {
      c.Colour(p.accent, 0.6);
      cairo_rectangle(c.cr(), b.x, b.y + b.h - 1.5, b.w, 1);
      cairo_fill(c.cr());
    }
    c.Text(k.text, b.x, b.y, b.w, b.h, k.heading ? p.accent : p.accent.Mix({1, 1, 1}, 0.35), k.size, true);
  }
}

void Backdrop(Canvas& c, const Asset& a, const Palette& p, Random& rnd, const BackdropWords* words) {
  c.Space(rnd, p.glow, 1.0, c.width() * c.height() / 900);
  const std::string stem = Stem(a.name);
  if (a.label.empty()) return;
  const bool title = Starts(stem, "backdrp1") || stem == "main";
  if (title) {
    // a planet's limb low on the screen, and the name above it
    cairo_t* cr = c.cr();
    const double cx = c.width() * 0.5, cy = c.height() * 1.55, r = c.height() * 0.95;
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy - r * 0.3, r * 0.2, cx, cy, r);
    cairo_pattern_add_color_stop_rgb(g, 0, p.base.r * 0.5, p.base.g * 0.5, p.base.b * 0.6);
    cairo_pattern_add_color_stop_rgb(g, 0.97, 0.02, 0.03, 0.06);
    cairo_pattern_add_color_stop_rgb(g, 1, p.glow.r, p.glow.g, p.glow.b);
    cairo_set_source(cr, g);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    c.Text(a.label, 0, c.height() * 0.08, c.width(), c.height() * 0.2, p.accent, c.height() * 0.15, true, 1.0);
  } else {
    // The name banner, moved down where the screen's buttons fill the top.
    const double top = words ? words->bannerY : 0, h = kBannerHeight;
    c.Colour(p.base.Scaled(0.35), 0.55);
    cairo_rectangle(c.cr(), 0, top, c.width(), h);
    cairo_fill(c.cr());
    c.Colour(p.accent, 0.8);
    if (top > 0) cairo_rectangle(c.cr(), 0, top - 1.5, c.width(), 1.5);
    cairo_rectangle(c.cr(), 0, top + h, c.width(), 1.5);
    cairo_fill(c.cr());
    c.Text(a.label, 0, top, c.width(), h, p.accent, 30, true, 0.6);
  }
  if (words) Captions(c, p, words->captions);
}

// The game screen: a metal frame around the black 3D viewport (29, 98)-(614, 465),
// with recesses where the views draw: the ten goto slots and their tabs above,
// the frame animations at the sides, the info area below and the control panel
// at the bottom right.
void GameScreen(Canvas& c, const Palette& p, Random& rnd) {
  cairo_t* cr = c.cr();
  const Rgb metal = p.base.Mix({0.25, 0.27, 0.3}, 0.65);
  c.Bevel(0, 0, c.width(), c.height(), metal.Scaled(0.6), 3, 0);
  for (int i = 0; i < 40; ++i) {  // rivets
    c.Colour(metal.Mix({1, 1, 1}, 0.3), 0.6);
    cairo_arc(cr, rnd.Range(4, c.width() - 4), rnd.Range(4, c.height() - 4), 1.2, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  for (int n = 0; n < 10; ++n) c.Bevel(5 + 79 * n, 8, 77, 69, metal.Scaled(0.35), -2, 2);  // goto slots
  for (int x : {21, 92, 171, 250, 329, 408, 487, 565, 643, 719}) c.Bevel(x, 0, 40, 8, metal.Scaled(0.5), -1, 1);
  c.Bevel(45, 89, 554, 6, metal.Scaled(0.3), -1, 1);  // blink line
  c.Bevel(0, 19, 9, 50, metal.Scaled(0.3), -1, 1);    // side lights
  c.Bevel(791, 19, 9, 50, metal.Scaled(0.3), -1, 1);
  c.Bevel(0, 120, 29, 327, metal.Scaled(0.35), -1, 2);    // plate
  c.Bevel(613, 115, 35, 207, metal.Scaled(0.35), -1, 2);  // tube
  c.Bevel(614, 371, 37, 103, metal.Scaled(0.35), -1, 2);  // beacon
  c.Bevel(25, 94, 593, 375, metal.Scaled(0.4), -3, 2);    // viewport well
  c.Colour({0, 0, 0});
  cairo_rectangle(cr, 29, 98, 585, 367);
  cairo_fill(cr);
  c.Bevel(720, 462, 55, 35, metal.Scaled(0.4), -1, 2);                         // chat light
  c.Bevel(25, 473, 597, 123, metal.Scaled(0.45), -2, 4);                       // info area
  c.Bevel(632, 489, 164, 107, metal.Scaled(0.45), -2, 4);                      // control panel
  for (int x : {119, 542}) c.Bevel(x, 590, 10, 10, metal.Scaled(0.3), -1, 1);  // lamps
  c.Colour(p.accent, 0.7);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 28.5, 97.5, 586, 368);
  cairo_stroke(cr);
  c.Colour(p.glow, 0.5);  // the guild's colour along the panel edges
  cairo_rectangle(cr, 632.5, 489.5, 163, 106);
  cairo_rectangle(cr, 25.5, 473.5, 596, 122);
  cairo_stroke(cr);
}

void MineralPicture(Canvas& c, const std::string& stem, double w, double h, const Palette& p);

// `colour` darkened until its luminance is at most `most`.
Rgb DarkenedTo(Rgb colour, double most) {
  while (colour.Luminance() > most) colour = colour.Scaled(0.95);
  return colour;
}

// The data panel's backdrop: its rows are written in the guild's pale colour
// by most read-outs and in its dark and bright colours by the template lists.
// The pale one wants a dark ground, the dark one the darkest there is, so the
// rows (from (3, 6) to the right edge, where long names run on) lie on a ground
// next to black; only the rim around them carries the guild's metal.
constexpr double kDataRowsLeft = 3, kDataRowsTop = 6, kDataRowsBottom = 254;
constexpr double kDataGround = 0.002;

void DataPanel(Canvas& c, const Palette& p) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  c.Bevel(0, 0, w, h, p.base.Scaled(0.45), 2, 2);
  c.Colour(DarkenedTo(p.base, kDataGround));
  cairo_rectangle(cr, kDataRowsLeft, kDataRowsTop, w - kDataRowsLeft, kDataRowsBottom - kDataRowsTop);
  cairo_fill(cr);
}

// A panel labelled "lit" is its panel's highlighted twin (a selection band is
// cut from it): the same layout in the guild's glow, with no caption.
void Panel(Canvas& c, const Asset& a, const Palette& p, Random& rnd, const BackdropWords* words) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const bool lit = a.label == "lit";
  if (Stem(a.name) == "datafil" && w >= 132 && h >= kDataRowsBottom) {
    DataPanel(c, p);
    return;
  }
  c.Bevel(0, 0, w, h, lit ? p.base.Mix(p.glow, 0.45) : p.base.Scaled(0.45), std::max(1.0, std::min(w, h) / 40), 3);
  if (lit) return;
  if (w > 60 && h > 60) {
    c.Clouds(rnd, 6, 6, w - 12, h - 12, p.glow, 6, 0.08);
    c.Colour({0, 0, 0}, 0.45);
    c.RoundedRect(w * 0.05, h * 0.16, w * 0.9, h * 0.78, 4);
    cairo_fill(cr);
    c.Colour(p.accent, 0.5);
    cairo_set_line_width(cr, 1);
    c.RoundedRect(w * 0.05 + 0.5, h * 0.16 + 0.5, w * 0.9, h * 0.78, 4);
    cairo_stroke(cr);
  }
  // The trade panels show the offered mineral's picture at their top left,
  // (78, 12) to (248, 75): their own is the metals', which the dialogs cover
  // with another mineral's; their title stands to its right.
  const std::string stem = Stem(a.name);
  const bool trade = stem == "buymins" || stem == "sellmins";
  if (trade && w >= 248 && h >= 75) {
    cairo_save(cr);
    cairo_translate(cr, 78, 12);
    MineralPicture(c, "smmetl", 170, 63, p);
    cairo_restore(cr);
  }
  const double titleLeft = trade ? 256 : 4;
  // The set-price dialog lays its "Buy For" label over (140, 16) to (224, 31)
  // when it asks for a bid: its title keeps to the left of that.
  const double titleRight = stem == "setprice" && w >= 224 ? 136 : w - 4;
  if (!a.label.empty())
    c.Text(a.label, titleLeft, 2, titleRight - titleLeft, std::min(h * 0.14, 28.0) + (h < 60 ? h : 0), p.accent, 18);
  if (words) Captions(c, p, words->captions);
}

// The notification panel's ground, and its lit twin from which the selected
// line's band is cut: six 16-pixel bands whose text covers columns 12 on and
// rows 1 to 14 of each band (the shadow reaches row 15). The panel writes in
// pale category colours, and in a mid grey once a line is read; that grey
// reads at 4.5:1 only on a ground of luminance 0.006 or less, so both grounds
// stay that dark: the selection shows by bright rules along its band's top
// and bottom rows and a left cap, over a brighter (still dark) tint.
constexpr int kStripBand = 16;
constexpr double kStripGround = 0.002;
constexpr double kStripLitGround = 0.004;

void Strip(Canvas& c, const Asset& a, const Palette& p) {
  cairo_t* cr = c.cr();
  const int w = c.width(), h = c.height();
  const bool lit = a.label == "lit";
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // rules stay on their rows
  c.Colour(lit ? DarkenedTo(p.base.Mix(p.glow, 0.5), kStripLitGround) : DarkenedTo(p.base, kStripGround));
  cairo_paint(cr);
  if (lit) {
    c.Colour(p.glow);
    for (int top = 0; top < h; top += kStripBand) {
      cairo_rectangle(cr, 0, top, w, 1);
      cairo_rectangle(cr, 0, top + kStripBand - 1, w, 1);
      cairo_rectangle(cr, 0, top, 2, kStripBand);
    }
    cairo_fill(cr);
  } else {
    // A rim, and a faint rule between the lines on the rows no text reaches.
    c.Colour(p.base.Scaled(0.45));
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    c.Colour(p.base.Scaled(0.3));
    for (int top = kStripBand; top < h; top += kStripBand) cairo_rectangle(cr, 1, top, w - 2, 1);
    cairo_fill(cr);
  }
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
}

// A frame laid over pictures by colour key: its inside is pure black, which
// lets the picture show through.
void Mask(Canvas& c, const Palette& p) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  c.Bevel(0, 0, w, h, p.base.Scaled(0.55), 2, 0);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  c.Colour({0, 0, 0}, 1.0);
  c.RoundedRect(4, 4, w - 8, h - 8, 6);
  cairo_fill(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
}

void Border(Canvas& c, const Palette& p) {
  c.Bevel(0, 0, c.width(), c.height(), p.base.Scaled(0.55), 2, 0);
  c.Colour(p.accent, 0.6);
  cairo_arc(c.cr(), c.width() / 2.0, c.height() / 2.0, std::min(c.width(), c.height()) / 6.0, 0, 2 * M_PI);
  cairo_fill(c.cr());
}

// A button labelled "swatch R G B" (0..255) is a plain button of that colour
// with no caption, darker when pressed.
bool SwatchColour(const std::string& label, Rgb* out) {
  int r = 0, g = 0, b = 0;
  if (std::sscanf(label.c_str(), "swatch %d %d %d", &r, &g, &b) != 3) return false;
  *out = {r / 255.0, g / 255.0, b / 255.0};
  return true;
}

// The least height, in pixels, of a label's lettering on a control.
constexpr double kLeastLabel = 9;

void Button(Canvas& c, const Asset& a, const Palette& p) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  Rgb base = p.base;
  Rgb text = p.accent;
  double depth = std::max(1.0, std::min(w, h) / 12);
  if (Rgb swatch; SwatchColour(a.label, &swatch)) {
    const bool pressed = a.state == ButtonState::Pressed;
    c.Bevel(0, 0, w, h, pressed ? swatch.Scaled(0.45) : swatch, pressed ? -depth : depth, std::min(w, h) / 5);
    return;
  }
  switch (a.state) {
    case ButtonState::Normal:
      break;
    case ButtonState::Pressed:
      base = p.base.Mix(p.glow, 0.35).Scaled(0.8);
      depth = -depth;
      text = {1, 1, 1};
      break;
    case ButtonState::Lit:
      base = p.base.Mix(p.glow, 0.6);
      text = {1, 1, 0.85};
      break;
    case ButtonState::Disabled:
      base = Rgb{0.3, 0.3, 0.32}.Mix(p.base, 0.15);
      text = {0.55, 0.55, 0.55};
      break;
  }
  const bool vertical = a.kind == "side";
  c.Bevel(0, 0, w, h, base, depth, std::min(w, h) / 5);
  if (a.kind == "check") {
    const double box = std::max(4.0, h - 2);
    c.Bevel(1, 1, box, box, base.Scaled(0.4), -1, 1);
    if (a.state == ButtonState::Pressed || a.state == ButtonState::Lit) {
      c.Colour(p.glow.Mix({1, 1, 1}, 0.4));
      cairo_rectangle(cr, 1 + box * 0.25, 1 + box * 0.25, box * 0.5, box * 0.5);
      cairo_fill(cr);
    }
    c.Label(a.label, box + 3, 0, w - box - 4, h, text, h, kLeastLabel);
    return;
  }
  const double shift = a.state == ButtonState::Pressed ? 1 : 0;
  if (vertical) {
    cairo_save(cr);
    cairo_translate(cr, w / 2 + shift, h / 2 + shift);
    cairo_rotate(cr, -M_PI / 2);
    c.Text(a.label, -h / 2 + 4, -w / 2, h - 8, w, text, w * 0.5);
    cairo_restore(cr);
    // arrow pointing the way the button leads
    c.Colour(text, 0.8);
    const bool back = Has(Lower(a.name), "pr");
    const double ax = w / 2, ay = h * 0.12, s = w * 0.18;
    cairo_move_to(cr, back ? ax - s : ax + s, ay);
    cairo_line_to(cr, back ? ax + s : ax - s, ay - s);
    cairo_line_to(cr, back ? ax + s : ax - s, ay + s);
    cairo_close_path(cr);
    cairo_fill(cr);
    return;
  }
  if (a.state == ButtonState::Lit) {
    c.Colour(p.glow, 0.35);
    cairo_set_line_width(cr, 2);
    c.RoundedRect(1, 1, w - 2, h - 2, std::min(w, h) / 5);
    cairo_stroke(cr);
  }
  if (h > 2.5 * w && a.label.size() > 1) {  // too narrow for a word across: it reads upwards
    cairo_save(cr);
    cairo_translate(cr, w / 2 + shift, h / 2 + shift);
    cairo_rotate(cr, -M_PI / 2);
    c.Label(a.label, -h / 2 + 3, -w / 2 + 1, h - 6, w - 2, text, std::min(w * 0.55, 26.0), kLeastLabel);
    cairo_restore(cr);
    return;
  }
  if (a.label == "^" || a.label == "v" || a.label == "<" || a.label == ">") {
    // scroll buttons: a drawn arrowhead, not a letter standing in for one
    const double cx = w / 2 + shift, cy = h / 2 + shift, r = std::min(w, h) * 0.3;
    const double dir = a.label == "^" ? -M_PI / 2 : a.label == "v" ? M_PI / 2 : a.label == "<" ? M_PI : 0;
    c.Colour(text);
    cairo_move_to(cr, cx + r * std::cos(dir), cy + r * std::sin(dir));
    cairo_line_to(cr, cx + r * std::cos(dir + 2.4), cy + r * std::sin(dir + 2.4));
    cairo_line_to(cr, cx + r * std::cos(dir - 2.4), cy + r * std::sin(dir - 2.4));
    cairo_close_path(cr);
    cairo_fill(cr);
    return;
  }
  c.Label(a.label, 3 + a.clearLeft + shift, 1 + shift, w - 6 - a.clearLeft - a.clearRight, h - 2, text,
          std::min(h * 0.55, 26.0), kLeastLabel);
}

void Menu(Canvas& c, const Asset& a, const Palette& p) {
  const std::string stem = Stem(a.name);
  const bool lit = Starts(stem, "ph") || Starts(stem, "sh");
  const Rgb base = lit ? p.base.Mix(p.glow, 0.5) : p.base.Scaled(0.35);
  c.Bevel(0, 0, c.width(), c.height(), base, 1, 2);
  std::string words = a.label.empty() ? stem.substr(std::min<std::size_t>(2, stem.size())) : a.label;
  if (!words.empty()) words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
  const bool submenu = Starts(stem, "s");
  // The items stand in one column: a long label narrows rather than shrinks
  // below the others' size, so it reads as tall as its neighbours.
  c.Text(words, 4, 0, c.width() - (submenu ? 16 : 8), c.height(), lit ? Rgb{1, 1, 0.9} : p.accent, c.height() * 0.7,
         true, 0.0, c.height() * 0.62);
  if (submenu) {  // the arrow of an item that opens a further menu
    const double h = c.height(), x = c.width() - 10;
    c.Colour(lit ? Rgb{1, 1, 0.9} : p.accent);
    cairo_move_to(c.cr(), x, h * 0.3);
    cairo_line_to(c.cr(), x + 5, h * 0.5);
    cairo_line_to(c.cr(), x, h * 0.7);
    cairo_close_path(c.cr());
    cairo_fill(c.cr());
  }
}

void Lamp(Canvas& c, const Rgb& colour, double level) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0, r = std::min(cx, cy);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.3, 0, cx, cy, r);
  const Rgb hot = colour.Mix({1, 1, 1}, 0.5 * level).Scaled(0.3 + 0.7 * level);
  cairo_pattern_add_color_stop_rgb(g, 0, hot.r, hot.g, hot.b);
  cairo_pattern_add_color_stop_rgb(g, 1, colour.r * 0.25 * level, colour.g * 0.25 * level, colour.b * 0.25 * level);
  cairo_set_source(cr, g);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

// An all-terrain vehicle from the side: a track, a sloped hull with a cab, and
// the tool of its kind on top (c combat gun, m mining drill, p power dish, s
// seed-bank dome).
void Vehicle(Canvas& c, const Rgb& body, char kind, bool highlight) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  // track
  c.Colour({0.12, 0.12, 0.13});
  c.RoundedRect(w * 0.08, h * 0.64, w * 0.84, h * 0.24, h * 0.12);
  cairo_fill(cr);
  c.Colour({0.45, 0.45, 0.48});
  for (int i = 0; i < 4; ++i) {
    cairo_arc(cr, w * (0.2 + 0.2 * i), h * 0.76, h * 0.07, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  // hull with a sloped nose and a cab window
  cairo_new_path(cr);
  cairo_move_to(cr, w * 0.1, h * 0.66);
  cairo_line_to(cr, w * 0.14, h * 0.42);
  cairo_line_to(cr, w * 0.62, h * 0.42);
  cairo_line_to(cr, w * 0.9, h * 0.56);
  cairo_line_to(cr, w * 0.9, h * 0.66);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, h * 0.42, 0, h * 0.66);
  cairo_pattern_add_color_stop_rgb(g, 0, std::min(1.0, body.r * 1.3), std::min(1.0, body.g * 1.3),
                                   std::min(1.0, body.b * 1.3));
  cairo_pattern_add_color_stop_rgb(g, 1, body.r * 0.5, body.g * 0.5, body.b * 0.5);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  c.Colour({0.6, 0.85, 1.0}, 0.85);
  cairo_move_to(cr, w * 0.64, h * 0.46);
  cairo_line_to(cr, w * 0.82, h * 0.55);
  cairo_line_to(cr, w * 0.64, h * 0.55);
  cairo_close_path(cr);
  cairo_fill(cr);
  const Rgb tool = body.Mix({1, 1, 1}, 0.45);
  c.Colour(tool);
  cairo_set_line_width(cr, std::max(1.0, h * 0.07));
  switch (kind) {
    case 'c':  // a turret and its barrel
      cairo_arc(cr, w * 0.38, h * 0.4, h * 0.12, M_PI, 2 * M_PI);
      cairo_fill(cr);
      cairo_move_to(cr, w * 0.4, h * 0.33);
      cairo_line_to(cr, w * 0.85, h * 0.18);
      cairo_stroke(cr);
      break;
    case 'm':  // a drill arm reaching down in front
      cairo_move_to(cr, w * 0.5, h * 0.42);
      cairo_line_to(cr, w * 0.78, h * 0.2);
      cairo_stroke(cr);
      cairo_move_to(cr, w * 0.72, h * 0.16);
      cairo_line_to(cr, w * 0.96, h * 0.26);
      cairo_line_to(cr, w * 0.84, h * 0.12);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case 'p':  // a collector dish on a mast
      cairo_move_to(cr, w * 0.38, h * 0.42);
      cairo_line_to(cr, w * 0.38, h * 0.26);
      cairo_stroke(cr);
      cairo_arc(cr, w * 0.38, h * 0.14, h * 0.14, M_PI * 0.1, M_PI * 0.9);
      cairo_fill(cr);
      break;
    default:  // a seed-bank dome
      cairo_arc(cr, w * 0.36, h * 0.42, h * 0.2, M_PI, 2 * M_PI);
      cairo_fill(cr);
      c.Colour({0.4, 0.9, 0.45}, 0.8);
      cairo_arc(cr, w * 0.36, h * 0.38, h * 0.07, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
  }
  if (highlight) {
    c.Colour({1, 1, 0.6});
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    cairo_stroke(cr);
  }
}

void Building(Canvas& c, const Rgb& body, Random& rnd) {
  const double w = c.width(), h = c.height();
  const int blocks = 2 + rnd.Below(3);
  for (int i = 0; i < blocks; ++i) {
    const double bw = w / (blocks + 1.0), bh = h * rnd.Range(0.35, 0.85);
    c.Bevel(w * 0.08 + i * bw * 1.1, h - bh - 2, bw, bh, body.Mix({0.5, 0.5, 0.55}, 0.4), 1, 1);
  }
}

// The small pictures of the goto bar and the event bar: an empty hull slot,
// hull and life-support damage, and the placement bar's commands.
void GlyphIcon(Canvas& c, const std::string& stem, const Palette& p) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height(), cx = w / 2, cy = h / 2, r = std::min(w, h) * 0.38;
  c.Bevel(0, 0, w, h, p.base.Scaled(0.35), 1, 2);
  const Rgb ink = p.accent.Mix({1, 1, 1}, 0.3), hot = p.glow.Mix({1, 1, 1}, 0.35);
  cairo_set_line_width(cr, std::max(1.2, w / 14));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  auto hullShape = [&] {
    cairo_new_path(cr);
    cairo_move_to(cr, cx, cy - r);
    cairo_line_to(cr, cx + r * 0.6, cy - r * 0.1);
    cairo_line_to(cr, cx + r * 0.45, cy + r);
    cairo_line_to(cr, cx - r * 0.45, cy + r);
    cairo_line_to(cr, cx - r * 0.6, cy - r * 0.1);
    cairo_close_path(cr);
  };
  c.Colour(ink);
  if (stem == "damhull") {  // a hull plate cracked through
    hullShape();
    cairo_stroke(cr);
    c.Colour({1.0, 0.45, 0.15});
    cairo_move_to(cr, cx - r * 0.1, cy - r * 0.7);
    cairo_line_to(cr, cx + r * 0.15, cy - r * 0.1);
    cairo_line_to(cr, cx - r * 0.15, cy + r * 0.2);
    cairo_line_to(cr, cx + r * 0.1, cy + r * 0.9);
    cairo_stroke(cr);
  } else if (Starts(stem, "hull")) {  // an empty hull slot: the outline, dashed
    const double dash = std::max(1.5, w / 10);
    cairo_set_dash(cr, &dash, 1, 0);
    hullShape();
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
  } else if (Starts(stem, "life")) {  // life support: a heartbeat line over a lung of air
    c.Colour(hot, 0.5);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    c.Colour({1.0, 0.4, 0.35});
    cairo_move_to(cr, cx - r, cy);
    cairo_line_to(cr, cx - r * 0.35, cy);
    cairo_line_to(cr, cx - r * 0.15, cy - r * 0.7);
    cairo_line_to(cr, cx + r * 0.1, cy + r * 0.6);
    cairo_line_to(cr, cx + r * 0.3, cy);
    cairo_line_to(cr, cx + r, cy);
    cairo_stroke(cr);
  } else if (stem == "gotoship") {  // the unit being loaded
    hullShape();
    cairo_fill(cr);
  } else if (stem == "gotosel" || stem == "gotodsel") {  // every kind on, or every kind off
    for (int i = 0; i < 4; ++i) {
      const double bx = cx - r + (i % 2) * r * 1.1, by = cy - r + (i / 2) * r * 1.1, side = r * 0.85;
      cairo_rectangle(cr, bx, by, side, side);
      if (stem == "gotosel") {
        cairo_fill(cr);
      } else {
        cairo_stroke(cr);
      }
    }
  } else if (stem == "gotofill") {  // the hold filling
    cairo_rectangle(cr, cx - r * 0.6, cy - r, r * 1.2, r * 2);
    cairo_stroke(cr);
    c.Colour(hot);
    cairo_rectangle(cr, cx - r * 0.45, cy - r * 0.1, r * 0.9, r * 0.95);
    cairo_fill(cr);
  } else {  // land: an arrow down to the ground; recover: up from it
    const bool up = stem == "gotorcvr";
    c.Colour(hot);
    cairo_move_to(cr, cx - r, cy + r * 0.9);
    cairo_line_to(cr, cx + r, cy + r * 0.9);
    cairo_stroke(cr);
    c.Colour(ink);
    const double tip = up ? cy - r : cy + r * 0.55, tail = up ? cy + r * 0.55 : cy - r;
    cairo_move_to(cr, cx, tail);
    cairo_line_to(cr, cx, tip);
    cairo_stroke(cr);
    const double dir = up ? 1 : -1;
    cairo_move_to(cr, cx, tip);
    cairo_line_to(cr, cx - r * 0.45, tip + dir * r * 0.5);
    cairo_line_to(cr, cx + r * 0.45, tip + dir * r * 0.5);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
}

void Icon(Canvas& c, const Asset& a, const Palette& p, Random& rnd) {
  const std::string stem = Stem(a.name);
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  if (w <= 8 || h <= 8 || Has(stem, "lte") || Has(stem, "plrdne") || Has(stem, "dot")) {
    const bool on = Has(stem, "on") && !Has(stem, "of");
    Lamp(c, Has(stem, "chtlte") ? Rgb{0.3, 0.9, 0.4} : p.glow, Has(stem, "dull") ? 0.3 : on ? 1.0 : 0.35);
    if (Has(stem, "chtlte")) c.Text("CHAT", 0, 0, w, h, on ? Rgb{1, 1, 1} : Rgb{0.5, 0.5, 0.5}, h * 0.5);
    return;
  }
  if (stem == "vline" || stem == "hline") {
    c.Colour(p.accent, 0.8);
    cairo_paint(cr);
    return;
  }
  if (Has(stem, "atv")) {
    const Rgb body = Starts(stem, "com") || Starts(stem, "smcom")   ? Rgb{0.8, 0.3, 0.25}
                     : Starts(stem, "min") || Starts(stem, "smmin") ? Rgb{0.75, 0.6, 0.3}
                     : Starts(stem, "pow") || Starts(stem, "smpow") ? Rgb{0.3, 0.6, 0.9}
                                                                    : Rgb{0.35, 0.8, 0.4};
    const char kind = Starts(stem, "sm") ? stem[2] : stem[0];
    Vehicle(c, body, kind, stem.back() == 'h');
    return;
  }
  if (Has(stem, "fcty") || stem == "artifact") {
    Building(c, stem == "artifact" ? Rgb{0.7, 0.5, 0.9} : p.base, rnd);
    return;
  }
  if (Has(stem, "filt")) {
    const Rgb col = Starts(stem, "red")   ? Rgb{0.9, 0.2, 0.2}
                    : Starts(stem, "grn") ? Rgb{0.2, 0.8, 0.3}
                    : Starts(stem, "blu") ? Rgb{0.3, 0.4, 0.95}
                    : Starts(stem, "yel") ? Rgb{0.9, 0.85, 0.2}
                    : Starts(stem, "cyn") ? Rgb{0.2, 0.85, 0.9}
                    : Starts(stem, "mag") ? Rgb{0.85, 0.3, 0.85}
                                          : p.accent;
    c.Bevel(0, 0, w, h, col.Scaled(stem.back() == 'd' ? 0.5 : 1.0), stem.back() == 'd' ? -1 : 1, 2);
    return;
  }
  if (Starts(stem, "st") && stem.size() > 2) {  // the ship-list status glyphs
    c.Bevel(0, 0, w, h, p.base.Scaled(0.35), 1, 2);
    c.Colour(p.accent);
    cairo_set_line_width(cr, std::max(1.0, w / 10));
    const double m = w * 0.2;
    if (stem == "stgun") {
      cairo_rectangle(cr, m, h * 0.45, w - 2 * m, h * 0.18);
      cairo_fill(cr);
      cairo_rectangle(cr, m, h * 0.45, w * 0.25, h * 0.35);
      cairo_fill(cr);
    } else if (stem == "stradar") {
      for (double r : {0.25, 0.45, 0.65}) cairo_arc(cr, m, h - m, w * r, -M_PI / 2, 0), cairo_new_sub_path(cr);
      cairo_stroke(cr);
    } else if (stem == "stbox") {
      cairo_rectangle(cr, m, m, w - 2 * m, h - 2 * m);
      cairo_stroke(cr);
      cairo_move_to(cr, m, m);
      cairo_line_to(cr, w - m, h - m);
      cairo_stroke(cr);
    } else if (stem == "ststat") {
      for (int i = 0; i < 3; ++i)
        cairo_rectangle(cr, m + i * (w - 2 * m) / 3, h - m - (i + 1) * (h - 2 * m) / 3, (w - 2 * m) / 4,
                        (i + 1) * (h - 2 * m) / 3);
      cairo_fill(cr);
    } else {  // wrench
      cairo_move_to(cr, m, h - m);
      cairo_line_to(cr, w * 0.6, h * 0.4);
      cairo_stroke(cr);
      cairo_arc(cr, w * 0.65, h * 0.35, w * 0.18, 0, 2 * M_PI);
      cairo_stroke(cr);
    }
    return;
  }
  const bool plus = stem.back() == '+';
  const std::string mineral = plus ? stem.substr(0, stem.size() - 1) : stem;
  if (mineral == "common" || mineral == "rare" || mineral == "veryrare" || mineral == "veryrar" ||
      mineral == "reactive" || mineral == "reactiv") {
    // the four resources as crystals: metals, silicates, exotics, reactives
    const Rgb col = mineral == "common"       ? Rgb{0.7, 0.72, 0.78}
                    : mineral == "rare"       ? Rgb{0.3, 0.85, 0.45}
                    : Starts(mineral, "very") ? Rgb{0.75, 0.4, 0.95}
                                              : Rgb{1.0, 0.55, 0.15};
    cairo_move_to(cr, w / 2, 1);
    cairo_line_to(cr, w - 2, h * 0.4);
    cairo_line_to(cr, w / 2, h - 1);
    cairo_line_to(cr, 2, h * 0.4);
    cairo_close_path(cr);
    c.Colour(col);
    cairo_fill_preserve(cr);
    c.Colour(col.Mix({1, 1, 1}, 0.6));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (plus) {  // the rich variant carries a plus
      c.Colour({1, 1, 1});
      cairo_rectangle(cr, w * 0.62, h * 0.05, w * 0.3, h * 0.1);
      cairo_rectangle(cr, w * 0.72, 0, w * 0.1, h * 0.3);
      cairo_fill(cr);
    }
    return;
  }
  if (Starts(stem, "bm")) {  // the load dialog's check boxes: clear, or ticked
    const double side = std::min(w, h) - 2, x0 = (w - side) / 2, y0 = (h - side) / 2;
    c.Bevel(x0, y0, side, side, p.base.Scaled(0.35), -1, 1);
    if (stem == "bmx") {
      c.Colour(p.glow.Mix({1, 1, 1}, 0.4));
      cairo_set_line_width(cr, std::max(1.5, side / 7));
      cairo_move_to(cr, x0 + side * 0.22, y0 + side * 0.22);
      cairo_line_to(cr, x0 + side * 0.78, y0 + side * 0.78);
      cairo_move_to(cr, x0 + side * 0.78, y0 + side * 0.22);
      cairo_line_to(cr, x0 + side * 0.22, y0 + side * 0.78);
      cairo_stroke(cr);
    }
    return;
  }
  if (Starts(stem, "hull") || stem == "damhull" || Starts(stem, "life") || Starts(stem, "goto")) {
    GlyphIcon(c, stem, p);
    return;
  }
  // A gem-like glyph in a hue chosen by the name, with the name's first letter.
  const double hue = static_cast<double>(HashText(stem) % 360) / 360.0;
  const Rgb col{0.5 + 0.45 * std::sin(hue * 6.283), 0.5 + 0.45 * std::sin(hue * 6.283 + 2.1),
                0.5 + 0.45 * std::sin(hue * 6.283 + 4.2)};
  c.Bevel(0, 0, w, h, p.base.Scaled(0.4), 1, 2);
  cairo_move_to(cr, w / 2, h * 0.12);
  cairo_line_to(cr, w * 0.88, h / 2);
  cairo_line_to(cr, w / 2, h * 0.88);
  cairo_line_to(cr, w * 0.12, h / 2);
  cairo_close_path(cr);
  c.Colour(col);
  cairo_fill(cr);
  std::string letter(1, static_cast<char>(std::toupper(
                            static_cast<unsigned char>(stem.empty() ? '?' : stem[Starts(stem, "st") ? 2 : 0]))));
  if (h >= 14) c.Text(letter, 0, 0, w, h, {1, 1, 1}, h * 0.55);
}

void Asteroid(Canvas& c, Random& rnd, double cx, double cy, double r) {
  cairo_t* cr = c.cr();
  const int n = 14;
  cairo_new_path(cr);
  for (int i = 0; i < n; ++i) {
    const double ang = i * 2 * M_PI / n, rr = r * rnd.Range(0.78, 1.0);
    cairo_line_to(cr, cx + rr * std::cos(ang), cy + rr * 0.85 * std::sin(ang));
  }
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.4, cy - r * 0.4, r * 0.1, cx, cy, r * 1.1);
  const Rgb rock = Rgb{0.5, 0.42, 0.34}.Mix({0.45, 0.45, 0.5}, rnd.Unit());
  cairo_pattern_add_color_stop_rgb(g, 0, rock.r * 1.5, rock.g * 1.5, rock.b * 1.5);
  cairo_pattern_add_color_stop_rgb(g, 1, rock.r * 0.2, rock.g * 0.2, rock.b * 0.2);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  for (int i = 0; i < 6; ++i) {  // craters
    const double a = rnd.Range(0, 2 * M_PI), d = rnd.Range(0, r * 0.6), cr_r = r * rnd.Range(0.06, 0.16);
    c.Colour({0, 0, 0}, 0.35);
    cairo_arc(cr, cx + d * std::cos(a), cy + d * std::sin(a) * 0.85, cr_r, 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

// An asteroid's ground seen from above, filling the picture but for a ragged
// rim of black (the terrain view keys black out, so its stars show there):
// rock lit from the upper left, boulders and craters with lit and shaded rims.
// The asteroid's surface as the terrain view shows it; with a cell size, the
// zones' grid over it too, as the goto bar's half-terrain corner shows where
// a click leads.
void Surface(Canvas& c, Random& rnd, double cell = 0) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  c.Colour({0, 0, 0});
  cairo_paint(cr);
  const double cx = w / 2, cy = h / 2, rx = w * 0.5, ry = h * 0.5;
  // A squarish outline: a superellipse whose radius wobbles.
  cairo_new_path(cr);
  const int n = 72;
  for (int i = 0; i < n; ++i) {
    const double ang = i * 2 * M_PI / n, wobble = rnd.Range(0.965, 1.0);
    const double cs = std::cos(ang), sn = std::sin(ang);
    const double x = std::copysign(std::pow(std::abs(cs), 0.35), cs),
                 y = std::copysign(std::pow(std::abs(sn), 0.35), sn);
    cairo_line_to(cr, cx + rx * wobble * x, cy + ry * wobble * y);
  }
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, h);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.56, 0.5, 0.43);
  cairo_pattern_add_color_stop_rgb(g, 0.5, 0.4, 0.36, 0.31);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.22, 0.2, 0.18);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  cairo_save(cr);
  cairo_clip(cr);
  // Grit: small specks of lighter and darker rock.
  for (int i = 0; i < static_cast<int>(w * h / 40); ++i) {
    const bool light = rnd.Unit() < 0.5;
    c.Colour(light ? Rgb{0.75, 0.7, 0.62} : Rgb{0.12, 0.1, 0.09}, rnd.Range(0.15, 0.45));
    cairo_rectangle(cr, rnd.Range(0, w), rnd.Range(0, h), 1.5, 1.5);
    cairo_fill(cr);
  }
  // Craters, large to small: a dark bowl, its lit lower-right rim, its shaded upper-left one.
  const double scale = std::min(w, h);
  for (int i = 0; i < 70; ++i) {
    const double r = scale * (i < 6 ? rnd.Range(0.06, 0.11) : rnd.Range(0.008, 0.04));
    const double x = rnd.Range(0, w), y = rnd.Range(0, h);
    c.Colour({0.1, 0.09, 0.08}, 0.45);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_line_width(cr, std::max(1.0, r * 0.18));
    c.Colour({0.85, 0.8, 0.7}, 0.5);
    cairo_arc(cr, x, y, r, 0.1 * M_PI, 0.9 * M_PI);
    cairo_stroke(cr);
    c.Colour({0.05, 0.04, 0.04}, 0.6);
    cairo_arc(cr, x, y, r, 1.1 * M_PI, 1.9 * M_PI);
    cairo_stroke(cr);
  }
  if (cell > 0) {
    cairo_set_line_width(cr, 1);
    c.Colour({0.9, 0.78, 0.45}, 0.55);
    for (double x = cell * 0.5; x < w; x += cell) {
      cairo_move_to(cr, std::floor(x) + 0.5, 0);
      cairo_line_to(cr, std::floor(x) + 0.5, h);
    }
    for (double y = cell * 0.4; y < h; y += cell * 0.64) {
      cairo_move_to(cr, 0, std::floor(y) + 0.5);
      cairo_line_to(cr, w, std::floor(y) + 0.5);
    }
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // The rim catches the light on its upper-left side.
  cairo_set_line_width(cr, 2);
  c.Colour({0.7, 0.64, 0.55}, 0.6);
  cairo_stroke(cr);
}

void Sun(Canvas& c, double cx, double cy, double r, const Rgb& colour) {
  cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r * 2);
  cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.9, 1);
  cairo_pattern_add_color_stop_rgba(g, 0.45, colour.r, colour.g, colour.b, 1);
  cairo_pattern_add_color_stop_rgba(g, 0.55, colour.r, colour.g * 0.6, colour.b * 0.3, 0.5);
  cairo_pattern_add_color_stop_rgba(g, 1, colour.r, colour.g * 0.4, 0, 0);
  cairo_set_source(c.cr(), g);
  cairo_paint(c.cr());
  cairo_pattern_destroy(g);
}

// A ship seen from above, nose up, in its guild's own lines: Ember ships are
// swept arrowheads, Verdant ones rounded seed pods, Talon ones forked claws,
// Aurum ones blocky hulls in a ring, Facet ones cut crystals. Bigger classes
// grow longer and carry more pods, fins and engines.
void ShipOutline(cairo_t* cr, int guild, double cx, double cy, double len, double wid) {
  const double top = cy - len / 2, bottom = cy + len / 2;
  cairo_new_path(cr);
  switch (guild) {
    case 0:  // arrowhead with swept wings
      cairo_move_to(cr, cx, top);
      cairo_line_to(cr, cx + wid * 0.3, cy - len * 0.05);
      cairo_line_to(cr, cx + wid, bottom - len * 0.02);
      cairo_line_to(cr, cx + wid * 0.55, bottom - len * 0.12);
      cairo_line_to(cr, cx + wid * 0.25, bottom);
      cairo_line_to(cr, cx - wid * 0.25, bottom);
      cairo_line_to(cr, cx - wid * 0.55, bottom - len * 0.12);
      cairo_line_to(cr, cx - wid, bottom - len * 0.02);
      cairo_line_to(cr, cx - wid * 0.3, cy - len * 0.05);
      break;
    case 1:  // seed pod: one smooth rounded hull
      cairo_move_to(cr, cx, top);
      cairo_curve_to(cr, cx + wid * 1.1, top + len * 0.25, cx + wid * 0.9, bottom - len * 0.1, cx + wid * 0.3, bottom);
      cairo_line_to(cr, cx - wid * 0.3, bottom);
      cairo_curve_to(cr, cx - wid * 0.9, bottom - len * 0.1, cx - wid * 1.1, top + len * 0.25, cx, top);
      break;
    case 2:  // claw: two prongs forward around a narrow spine
      cairo_move_to(cr, cx - wid * 0.55, top);
      cairo_line_to(cr, cx - wid * 0.25, top + len * 0.3);
      cairo_line_to(cr, cx, top + len * 0.18);
      cairo_line_to(cr, cx + wid * 0.25, top + len * 0.3);
      cairo_line_to(cr, cx + wid * 0.55, top);
      cairo_line_to(cr, cx + wid * 0.8, top + len * 0.45);
      cairo_line_to(cr, cx + wid * 0.35, bottom);
      cairo_line_to(cr, cx - wid * 0.35, bottom);
      cairo_line_to(cr, cx - wid * 0.8, top + len * 0.45);
      break;
    case 3:  // block: a broad squared hull with shoulders
      cairo_move_to(cr, cx - wid * 0.3, top);
      cairo_line_to(cr, cx + wid * 0.3, top);
      cairo_line_to(cr, cx + wid * 0.45, top + len * 0.2);
      cairo_line_to(cr, cx + wid, top + len * 0.35);
      cairo_line_to(cr, cx + wid, bottom - len * 0.15);
      cairo_line_to(cr, cx + wid * 0.5, bottom);
      cairo_line_to(cr, cx - wid * 0.5, bottom);
      cairo_line_to(cr, cx - wid, bottom - len * 0.15);
      cairo_line_to(cr, cx - wid, top + len * 0.35);
      cairo_line_to(cr, cx - wid * 0.45, top + len * 0.2);
      break;
    default:  // crystal: a long cut diamond
      cairo_move_to(cr, cx, top);
      cairo_line_to(cr, cx + wid * 0.6, top + len * 0.3);
      cairo_line_to(cr, cx + wid, cy + len * 0.05);
      cairo_line_to(cr, cx + wid * 0.4, bottom);
      cairo_line_to(cr, cx, bottom - len * 0.08);
      cairo_line_to(cr, cx - wid * 0.4, bottom);
      cairo_line_to(cr, cx - wid, cy + len * 0.05);
      cairo_line_to(cr, cx - wid * 0.6, top + len * 0.3);
      break;
  }
  cairo_close_path(cr);
}

void Ship(Canvas& c, int cls, int guild, const Palette& p, Random& rnd, bool wreck, bool stars = true) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  if (stars) c.Stars(rnd, 0, 0, w, h, static_cast<int>(w * h / 300));
  const int size = std::max(cls, 0);  // 0 general purpose .. 10 battleship
  const double len = h * (0.5 + 0.035 * size), wid = w * (0.15 + 0.017 * size);
  const double cx = w / 2, cy = h / 2;
  const int g = std::clamp(guild, 0, 4);
  const Rgb body = wreck ? Rgb{0.25, 0.22, 0.2} : p.base.Mix({0.7, 0.7, 0.72}, 0.35);
  const Rgb trim = wreck ? Rgb{0.9, 0.4, 0.1} : p.accent;
  const double line = std::max(0.8, w / 120);
  // side pods: one pair from the destroyers up, two from the battleships
  const int pods = size >= 10 ? 2 : size >= 8 ? 1 : 0;
  for (int i = 0; i < pods; ++i) {
    const double px = wid * (1.05 + 0.25 * i), py = cy + len * (0.05 + 0.18 * i), pl = len * 0.3, pw = wid * 0.18;
    for (double side : {-1.0, 1.0}) {
      c.Colour(body.Scaled(0.7));
      c.RoundedRect(cx + side * px - pw / 2, py - pl / 2, pw, pl, pw / 2);
      cairo_fill_preserve(cr);
      c.Colour(trim, 0.7);
      cairo_set_line_width(cr, line);
      cairo_stroke(cr);
    }
  }
  ShipOutline(cr, g, cx, cy, len, wid);
  cairo_pattern_t* grad = cairo_pattern_create_linear(cx - wid, 0, cx + wid, 0);
  cairo_pattern_add_color_stop_rgb(grad, 0, body.r * 0.5, body.g * 0.5, body.b * 0.5);
  cairo_pattern_add_color_stop_rgb(grad, 0.5, std::min(1.0, body.r * 1.25), std::min(1.0, body.g * 1.25),
                                   std::min(1.0, body.b * 1.25));
  cairo_pattern_add_color_stop_rgb(grad, 1, body.r * 0.4, body.g * 0.4, body.b * 0.4);
  cairo_set_source(cr, grad);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(grad);
  c.Colour(trim, 0.85);
  cairo_set_line_width(cr, line);
  cairo_stroke(cr);
  // the guild's trim: a stripe down the spine and a band across the beam
  c.Colour(p.glow, wreck ? 0.15 : 0.55);
  cairo_rectangle(cr, cx - wid * 0.06, cy - len * 0.35, wid * 0.12, len * 0.7);
  cairo_fill(cr);
  cairo_rectangle(cr, cx - wid * 0.5, cy + len * 0.12, wid, len * 0.035);
  cairo_fill(cr);
  // bridge
  c.Colour(trim.Mix({1, 1, 1}, 0.3), 0.9);
  cairo_arc(cr, cx, cy - len * 0.12, std::max(1.5, wid * 0.13), 0, 2 * M_PI);
  cairo_fill(cr);
  if (wreck) {  // scorch and cracks
    c.Colour({0, 0, 0}, 0.6);
    for (int i = 0; i < 6; ++i) {
      cairo_arc(cr, cx + rnd.Range(-wid, wid) * 0.6, cy + rnd.Range(-len, len) * 0.35, rnd.Range(1.5, wid * 0.25), 0,
                2 * M_PI);
      cairo_fill(cr);
    }
    return;
  }
  // engines: one more for each third of the classes
  const int engines = 1 + size / 4;
  for (int i = 0; i < engines; ++i) {
    const double ex = cx + (i - (engines - 1) / 2.0) * wid * 0.45;
    c.Colour(p.glow.Mix({1, 1, 1}, 0.45), 0.9);
    cairo_arc(cr, ex, cy + len / 2, std::max(1.5, wid * 0.16), 0, M_PI);
    cairo_fill(cr);
  }
}

// Module pictures show what the module is: the stem's letters name its kind and
// its last digit the level, shown as pips.
void Device(Canvas& c, const std::string& stem, const Palette& p) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  c.Bevel(0, 0, w, h, p.base.Scaled(0.35), 2, 4);
  {
    cairo_pattern_t* g = cairo_pattern_create_radial(w / 2, h * 0.45, 0, w / 2, h * 0.45, std::max(w, h) * 0.55);
    cairo_pattern_add_color_stop_rgba(g, 0, p.glow.r, p.glow.g, p.glow.b, 0.3);
    cairo_pattern_add_color_stop_rgba(g, 1, 0, 0, 0, 0);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 3, 3, w - 6, h - 6);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
  }
  std::string kind = stem;
  if (!kind.empty() && kind.back() == 's' && kind.size() > 4) kind.pop_back();  // the small picture
  int level = 1;
  if (!kind.empty() && std::isdigit(static_cast<unsigned char>(kind.back()))) {
    level = kind.back() - '0';
    kind.pop_back();
  }
  const double cx = w / 2, cy = h * 0.45, r = std::min(w, h) * 0.3;
  const Rgb ink = p.accent.Mix({1, 1, 1}, 0.25), hot = p.glow.Mix({1, 1, 1}, 0.5);
  cairo_set_line_width(cr, std::max(1.0, r / 7));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  c.Colour(ink);
  if (kind == "wcan") {  // cannon: a barrel on a turret
    cairo_arc(cr, cx, cy + r * 0.45, r * 0.55, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, cx - r * 0.16, cy - r * 1.1, r * 0.32, r * 1.4);
    cairo_fill(cr);
    c.Colour(hot);
    cairo_arc(cr, cx, cy - r * 1.15, r * 0.18, 0, 2 * M_PI);
    cairo_fill(cr);
  } else if (kind == "wbem") {  // beam: an emitter and its ray
    cairo_move_to(cr, cx - r * 0.6, cy + r * 0.9);
    cairo_line_to(cr, cx + r * 0.6, cy + r * 0.9);
    cairo_line_to(cr, cx + r * 0.25, cy);
    cairo_line_to(cr, cx - r * 0.25, cy);
    cairo_close_path(cr);
    cairo_fill(cr);
    c.Colour(hot);
    cairo_set_line_width(cr, std::max(1.5, r / 4));
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx, cy - r * 1.2);
    cairo_stroke(cr);
  } else if (kind == "wmsl") {  // missile: body, fins and flame
    cairo_move_to(cr, cx, cy - r * 1.2);
    cairo_line_to(cr, cx + r * 0.22, cy - r * 0.8);
    cairo_line_to(cr, cx + r * 0.22, cy + r * 0.5);
    cairo_line_to(cr, cx + r * 0.5, cy + r * 0.85);
    cairo_line_to(cr, cx - r * 0.5, cy + r * 0.85);
    cairo_line_to(cr, cx - r * 0.22, cy + r * 0.5);
    cairo_line_to(cr, cx - r * 0.22, cy - r * 0.8);
    cairo_close_path(cr);
    cairo_fill(cr);
    c.Colour(hot);
    cairo_move_to(cr, cx - r * 0.15, cy + r * 0.9);
    cairo_line_to(cr, cx, cy + r * 1.3);
    cairo_line_to(cr, cx + r * 0.15, cy + r * 0.9);
    cairo_fill(cr);
  } else if (kind == "sdef") {  // shield: nested arcs before a hull
    for (int i = 0; i < 3; ++i) {
      c.Colour(i < level ? hot : ink.Scaled(0.5));
      cairo_arc(cr, cx, cy + r * 1.1, r * (0.9 + 0.35 * i), M_PI * 1.2, M_PI * 1.8);
      cairo_stroke(cr);
    }
    c.Colour(ink);
    cairo_rectangle(cr, cx - r * 0.3, cy + r * 0.4, r * 0.6, r * 0.5);
    cairo_fill(cr);
  } else if (kind == "mdrv") {  // drive: nozzles with exhaust
    for (int i = 0; i < level; ++i) {
      const double nx = cx + (i - (level - 1) / 2.0) * r * 0.7;
      c.Colour(ink);
      cairo_move_to(cr, nx - r * 0.15, cy - r * 0.6);
      cairo_line_to(cr, nx + r * 0.15, cy - r * 0.6);
      cairo_line_to(cr, nx + r * 0.3, cy + r * 0.3);
      cairo_line_to(cr, nx - r * 0.3, cy + r * 0.3);
      cairo_close_path(cr);
      cairo_fill(cr);
      c.Colour(hot);
      cairo_move_to(cr, nx - r * 0.25, cy + r * 0.35);
      cairo_line_to(cr, nx, cy + r * 1.1);
      cairo_line_to(cr, nx + r * 0.25, cy + r * 0.35);
      cairo_fill(cr);
    }
  } else if (kind == "scan") {  // survey array: a dish and its waves
    cairo_arc(cr, cx - r * 0.3, cy + r * 0.2, r * 0.7, M_PI * 0.25, M_PI * 1.25);
    cairo_close_path(cr);
    cairo_fill(cr);
    c.Colour(hot);
    for (int i = 1; i <= 3; ++i) {
      cairo_arc(cr, cx - r * 0.1, cy, r * 0.35 * i, -M_PI * 0.45, -M_PI * 0.05);
      cairo_stroke(cr);
    }
  } else if (kind == "trk") {  // fire control: a scope's crosshair
    cairo_arc(cr, cx, cy, r * 0.8, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_move_to(cr, cx - r * 1.1, cy);
    cairo_line_to(cr, cx + r * 1.1, cy);
    cairo_move_to(cr, cx, cy - r * 1.1);
    cairo_line_to(cr, cx, cy + r * 1.1);
    cairo_stroke(cr);
    c.Colour(hot);
    cairo_arc(cr, cx, cy, r * 0.15, 0, 2 * M_PI);
    cairo_fill(cr);
  } else if (kind == "ecm") {  // jammer: an antenna broadcasting a jagged wave
    cairo_move_to(cr, cx - r * 0.4, cy + r);
    cairo_line_to(cr, cx, cy - r * 0.2);
    cairo_line_to(cr, cx + r * 0.4, cy + r);
    cairo_stroke(cr);
    c.Colour(hot);
    cairo_move_to(cr, cx - r * 1.1, cy - r * 0.6);
    for (int i = 1; i <= 8; ++i) cairo_line_to(cr, cx - r * 1.1 + i * r * 0.275, cy - r * (i % 2 ? 1.0 : 0.6));
    cairo_stroke(cr);
  } else if (kind == "drep") {  // repair drones: a wrench among drones
    cairo_move_to(cr, cx - r * 0.7, cy + r * 0.7);
    cairo_line_to(cr, cx + r * 0.3, cy - r * 0.3);
    cairo_stroke(cr);
    cairo_arc(cr, cx + r * 0.45, cy - r * 0.45, r * 0.35, M_PI * 0.5, M_PI * 2.0);
    cairo_stroke(cr);
    c.Colour(hot);
    for (int i = 0; i < 1 + level; ++i) {
      cairo_arc(cr, cx - r * 0.9 + i * r * 0.6, cy - r * 0.95 + (i % 2) * r * 0.3, r * 0.14, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  } else if (kind == "pcell") {  // power cell: a battery with a charge
    c.RoundedRect(cx - r * 0.5, cy - r * 0.8, r, r * 1.7, r * 0.15);
    cairo_stroke(cr);
    cairo_rectangle(cr, cx - r * 0.2, cy - r * 1.0, r * 0.4, r * 0.2);
    cairo_fill(cr);
    c.Colour(hot);
    cairo_move_to(cr, cx + r * 0.1, cy - r * 0.6);
    cairo_line_to(cr, cx - r * 0.25, cy + r * 0.1);
    cairo_line_to(cr, cx + r * 0.05, cy + r * 0.1);
    cairo_line_to(cr, cx - r * 0.1, cy + r * 0.7);
    cairo_line_to(cr, cx + r * 0.25, cy - r * 0.1);
    cairo_line_to(cr, cx - r * 0.05, cy - r * 0.1);
    cairo_close_path(cr);
    cairo_fill(cr);
  } else if (kind == "preac") {  // reactor: a core in three orbits
    for (int i = 0; i < 3; ++i) {
      cairo_save(cr);
      cairo_translate(cr, cx, cy);
      cairo_rotate(cr, i * M_PI / 3);
      cairo_scale(cr, 1, 0.38);
      cairo_arc(cr, 0, 0, r * 1.0, 0, 2 * M_PI);
      cairo_restore(cr);
      cairo_stroke(cr);
    }
    c.Colour(hot);
    cairo_arc(cr, cx, cy, r * 0.22, 0, 2 * M_PI);
    cairo_fill(cr);
  } else if (kind == "tbay") {  // vehicle bay: a hangar mouth and a vehicle
    cairo_move_to(cr, cx - r, cy + r * 0.8);
    cairo_line_to(cr, cx - r, cy - r * 0.2);
    cairo_arc(cr, cx, cy - r * 0.2, r, M_PI, 2 * M_PI);
    cairo_line_to(cr, cx + r, cy + r * 0.8);
    cairo_stroke(cr);
    c.Colour(hot);
    cairo_rectangle(cr, cx - r * 0.45, cy + r * 0.1, r * 0.9, r * 0.35);
    cairo_fill(cr);
    for (double x : {-0.28, 0.28}) {
      cairo_arc(cr, cx + r * x, cy + r * 0.55, r * 0.13, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  } else if (kind == "xasm") {  // assembler: a gear and a crane arm
    cairo_new_path(cr);
    for (int i = 0; i < 16; ++i) {
      const double a = i * M_PI / 8, rr = i % 2 ? r * 0.75 : r * 0.55;
      cairo_line_to(cr, cx - r * 0.25 + rr * std::cos(a), cy + r * 0.25 + rr * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    c.Colour(hot);
    cairo_move_to(cr, cx + r * 0.3, cy + r * 0.2);
    cairo_line_to(cr, cx + r * 0.8, cy - r * 0.9);
    cairo_line_to(cr, cx + r * 1.1, cy - r * 0.5);
    cairo_stroke(cr);
  } else if (kind == "wmnd") {  // mind weapon: a head sending rings of thought
    cairo_arc(cr, cx - r * 0.35, cy, r * 0.5, M_PI * 0.5, M_PI * 2.5);
    cairo_fill(cr);
    cairo_rectangle(cr, cx - r * 0.6, cy + r * 0.3, r * 0.5, r * 0.7);
    cairo_fill(cr);
    c.Colour(hot);
    for (int i = 1; i <= 1 + level; ++i) {
      cairo_arc(cr, cx - r * 0.2, cy, r * (0.35 + 0.3 * i), -M_PI * 0.3, M_PI * 0.3);
      cairo_stroke(cr);
    }
  } else if (kind == "wbmb") {  // bombard: a mortar lobbing a shell down
    cairo_save(cr);
    cairo_translate(cr, cx - r * 0.2, cy + r * 0.5);
    cairo_rotate(cr, -M_PI * 0.25);
    cairo_rectangle(cr, -r * 0.22, -r * 1.0, r * 0.44, r * 1.1);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, cx - r * 0.8, cy + r * 0.55, r * 1.2, r * 0.35);
    cairo_fill(cr);
    c.Colour(hot);
    for (int i = 0; i < level; ++i) {
      cairo_arc(cr, cx + r * (0.55 + 0.3 * i), cy - r * (0.75 - 0.45 * i), r * 0.17, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  } else {  // command cores: a chip, with crossed blades on the war core
    c.RoundedRect(cx - r * 0.7, cy - r * 0.7, r * 1.4, r * 1.4, r * 0.15);
    cairo_fill(cr);
    c.Colour(p.base.Scaled(0.3));
    for (int i = 0; i < 4; ++i) {
      cairo_rectangle(cr, cx - r * 0.9, cy - r * 0.55 + i * r * 0.35, r * 0.2, r * 0.12);
      cairo_rectangle(cr, cx + r * 0.7, cy - r * 0.55 + i * r * 0.35, r * 0.2, r * 0.12);
    }
    cairo_fill(cr);
    c.Colour(hot);
    if (Starts(kind, "cwar")) {
      cairo_move_to(cr, cx - r * 0.5, cy - r * 0.5);
      cairo_line_to(cr, cx + r * 0.5, cy + r * 0.5);
      cairo_move_to(cr, cx + r * 0.5, cy - r * 0.5);
      cairo_line_to(cr, cx - r * 0.5, cy + r * 0.5);
      cairo_stroke(cr);
    } else {
      cairo_arc(cr, cx, cy, r * 0.3, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  }
  // the level as pips along the bottom
  c.Colour(p.accent);
  for (int i = 0; i < level; ++i) {
    cairo_arc(cr, cx + (i - (level - 1) / 2.0) * h * 0.1, h * 0.86, std::max(1.5, h * 0.03), 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

// A chapter's emblem: a shield in the guild's colours with one of eight charges,
// so the eight chapters of a guild tell apart at a glance.
void ChapterEmblem(Canvas& c, int chapter, const Palette& p, Random& rnd) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  c.Space(rnd, p.glow, 0.6, static_cast<int>(w * h / 200));
  const double cx = w / 2, top = h * 0.1, sw = std::min(w, h) * 0.36, sh = h * 0.8;
  auto shield = [&] {
    cairo_new_path(cr);
    cairo_move_to(cr, cx - sw, top);
    cairo_line_to(cr, cx + sw, top);
    cairo_line_to(cr, cx + sw, top + sh * 0.45);
    cairo_curve_to(cr, cx + sw, top + sh * 0.8, cx + sw * 0.3, top + sh * 0.9, cx, top + sh);
    cairo_curve_to(cr, cx - sw * 0.3, top + sh * 0.9, cx - sw, top + sh * 0.8, cx - sw, top + sh * 0.45);
    cairo_close_path(cr);
  };
  shield();
  cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, top + sh);
  const Rgb a = p.base.Mix({1, 1, 1}, 0.15), b = p.base.Scaled(0.45);
  cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
  cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  c.Colour(p.accent);
  cairo_set_line_width(cr, std::max(1.5, w / 40));
  cairo_stroke(cr);
  const double x = cx, y = top + sh * 0.45, r = sw * 0.6;
  c.Colour(p.accent.Mix({1, 1, 1}, 0.3));
  cairo_set_line_width(cr, std::max(1.5, r / 5));
  cairo_new_path(cr);
  switch (chapter % 8) {
    case 0:  // star
      for (int i = 0; i < 10; ++i) {
        const double ang = -M_PI / 2 + i * M_PI / 5, rr = i % 2 ? r * 0.42 : r;
        cairo_line_to(cr, x + rr * std::cos(ang), y + rr * std::sin(ang));
      }
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case 1:  // crescent
      cairo_arc(cr, x, y, r, 0, 2 * M_PI);
      cairo_fill(cr);
      c.Colour(p.base.Scaled(0.8));
      cairo_arc(cr, x + r * 0.4, y - r * 0.2, r * 0.8, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    case 2:  // crossed blades
      cairo_move_to(cr, x - r, y - r);
      cairo_line_to(cr, x + r, y + r);
      cairo_move_to(cr, x + r, y - r);
      cairo_line_to(cr, x - r, y + r);
      cairo_stroke(cr);
      break;
    case 3:  // tower
      cairo_rectangle(cr, x - r * 0.45, y - r * 0.5, r * 0.9, r * 1.4);
      for (int i = 0; i < 3; ++i) cairo_rectangle(cr, x - r * 0.6 + i * r * 0.45, y - r * 0.85, r * 0.3, r * 0.4);
      cairo_fill(cr);
      break;
    case 4:  // wings
      for (double side : {-1.0, 1.0}) {
        cairo_move_to(cr, x, y + r * 0.3);
        cairo_curve_to(cr, x + side * r * 0.5, y - r * 0.9, x + side * r * 1.1, y - r * 0.7, x + side * r * 1.1,
                       y - r * 0.3);
        cairo_curve_to(cr, x + side * r * 0.8, y, x + side * r * 0.4, y + r * 0.2, x, y + r * 0.3);
      }
      cairo_fill(cr);
      break;
    case 5:  // ringed planet
      cairo_arc(cr, x, y, r * 0.55, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_save(cr);
      cairo_translate(cr, x, y);
      cairo_rotate(cr, -0.35);
      cairo_scale(cr, 1, 0.3);
      cairo_arc(cr, 0, 0, r * 1.05, 0, 2 * M_PI);
      cairo_restore(cr);
      cairo_stroke(cr);
      break;
    case 6:  // eye
      cairo_move_to(cr, x - r, y);
      cairo_curve_to(cr, x - r * 0.4, y - r * 0.7, x + r * 0.4, y - r * 0.7, x + r, y);
      cairo_curve_to(cr, x + r * 0.4, y + r * 0.7, x - r * 0.4, y + r * 0.7, x - r, y);
      cairo_stroke(cr);
      cairo_arc(cr, x, y, r * 0.28, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    default:  // trident
      cairo_move_to(cr, x, y + r);
      cairo_line_to(cr, x, y - r);
      cairo_move_to(cr, x - r * 0.6, y - r * 0.8);
      cairo_line_to(cr, x - r * 0.6, y - r * 0.2);
      cairo_line_to(cr, x + r * 0.6, y - r * 0.2);
      cairo_line_to(cr, x + r * 0.6, y - r * 0.8);
      cairo_stroke(cr);
      break;
  }
  // the chapter's number, small, under the charge
  c.Text(std::to_string(chapter % 8 + 1), cx - sw * 0.5, top + sh * 0.72, sw, sh * 0.18, p.accent, sh * 0.16);
}

void Gauge(Canvas& c, const std::string& stem, const Palette& p) {
  int percent = 0;
  for (char ch : stem) {
    if (std::isdigit(static_cast<unsigned char>(ch))) percent = percent * 10 + (ch - '0');
  }
  const double w = c.width(), h = c.height();
  c.Bevel(0, 0, w, h, p.base.Scaled(0.3), -1, 2);
  c.Colour(p.glow.Mix({1, 1, 1}, 0.2));
  if (w > h) {
    cairo_rectangle(c.cr(), 2, 2, (w - 4) * percent / 100.0, h - 4);
  } else {
    cairo_rectangle(c.cr(), 2, 2 + (h - 4) * (1 - percent / 100.0), w - 4, (h - 4) * percent / 100.0);
  }
  cairo_fill(c.cr());
}

// A ship's outline on blueprint paper, in the box at (x, y).
void Blueprint(Canvas& c, int guild, double x, double y, double w, double h) {
  c.Bevel(x, y, w, h, Rgb{0.08, 0.16, 0.32}, -2, 3);
  c.Colour({0.45, 0.65, 0.95}, 0.35);
  cairo_set_line_width(c.cr(), 1);
  for (double gx = x + 6; gx < x + w - 4; gx += 8)
    cairo_move_to(c.cr(), gx + 0.5, y + 4), cairo_line_to(c.cr(), gx + 0.5, y + h - 4);
  for (double gy = y + 6; gy < y + h - 4; gy += 8)
    cairo_move_to(c.cr(), x + 4, gy + 0.5), cairo_line_to(c.cr(), x + w - 4, gy + 0.5);
  cairo_stroke(c.cr());
  c.Colour({0.85, 0.92, 1.0});
  cairo_set_line_width(c.cr(), 1.5);
  ShipOutline(c.cr(), std::max(guild, 0), x + w / 2, y + h / 2, h * 0.7, w * 0.28);
  cairo_stroke(c.cr());
}

void Picture(Canvas& c, const Asset& a, int guild, const Palette& p, Random& rnd) {
  const std::string stem = Stem(a.name);
  const double w = c.width(), h = c.height();
  if (Starts(stem, "ast") && a.label == "asteroid") {
    c.Stars(rnd, 0, 0, w, h, static_cast<int>(w * h / 250));
    Asteroid(c, rnd, w / 2, h / 2, std::min(w, h) * 0.42);
  } else if (a.label == "star") {
    Sun(c, w / 2, h / 2, std::min(w, h) * 0.22, Starts(stem, "star1") ? Rgb{0.6, 0.7, 1.0} : Rgb{1.0, 0.75, 0.3});
  } else if (a.label == "surface") {
    Surface(c, rnd);
  } else if (a.label == "terrain") {
    Surface(c, rnd, w / 3);
  } else if (a.label == "unit" || a.label == "hull") {
    const bool hull = a.label == "hull";
    // The chamber lays the hull over its own backdrop keyed on black: the
    // hull brings no stars, whose faint rims would stay as dark specks.
    Ship(c, ClassIndex(stem), guild, p, rnd, Starts(stem, "reck"), !hull);
    if (hull) {  // the design chamber shows the hull's outline large
      c.Colour(p.accent, 0.3);
      cairo_set_line_width(c.cr(), 1);
      for (int y = 0; y < c.height(); y += 24) {
        cairo_move_to(c.cr(), 0, y + 0.5);
        cairo_line_to(c.cr(), w, y + 0.5);
      }
      cairo_stroke(c.cr());
    }
  } else if (a.label == "module") {
    Device(c, stem, p);
  } else if (a.label == "chapter" && Starts(stem, "chap") && stem.size() > 4) {
    ChapterEmblem(c, stem[4] - '0', p, rnd);
  } else if (a.label == "gauge" || a.label == "bar") {
    Gauge(c, stem, p);
  } else if (a.label == "resource") {
    MineralPicture(c, stem, w, h, p);
  } else if (a.label == "research") {  // a hull being researched: its outline on a blueprint
    Blueprint(c, guild, 0, 0, w, h);
  } else if (a.label == "design") {  // the goto bar's way to the design chamber, captioned as its neighbours are
    c.Colour({0, 0, 0});
    cairo_paint(c.cr());
    Blueprint(c, guild, 2, h * 0.2, w - 4, h * 0.8 - 2);
    c.Text("Design", 0, 0, w, h * 0.2, Rgb{1.0, 1.0, 0.0}, h * 0.15);
  } else {  // empty slots and other plates
    c.Bevel(0, 0, w, h, p.base.Scaled(0.25), -2, 3);
    c.Text(a.label, 0, 0, w, h, p.accent.Scaled(0.6), h * 0.22, false);
  }
}

// A mineral's picture of the trade dialogs: a few rocks on a dark plate, laid
// out by the picture's name.
void MineralPicture(Canvas& c, const std::string& stem, double w, double h, const Palette& p) {
  c.Bevel(0, 0, w, h, p.base.Scaled(0.3), 2, 4);
  Random rocks(HashText(stem));
  // The buy and sell dialogs set their amount field over the picture's lower
  // middle (its last ten rows): the rocks keep above it.
  for (int i = 0; i < 5; ++i)
    Asteroid(c, rocks, rocks.Range(w * 0.15, w * 0.85), rocks.Range(h * 0.3, h * 0.55), h * 0.16);
}

// One frame of an animation series: phase runs from 0 to just below 1.
void Frame(Canvas& c, const Asset& a, const Palette& p, Random& rnd) {
  cairo_t* cr = c.cr();
  const std::string stem = Stem(a.name);
  const double w = c.width(), h = c.height(), t = Phase(a);
  const double cx = w / 2, cy = h / 2;
  if (a.label == "progress" || a.label == "gears" || a.label == "orbit") {
    Random sky(HashText(a.label));
    c.Space(sky, p.glow, 0.4, 120);
    if (a.label == "progress") {
      cairo_set_line_width(cr, 14);
      c.Colour(p.base.Scaled(0.4));
      cairo_arc(cr, cx, cy, 90, 0, 2 * M_PI);
      cairo_stroke(cr);
      c.Colour(p.glow.Mix({1, 1, 1}, 0.3));
      cairo_arc(cr, cx, cy, 90, -M_PI / 2, -M_PI / 2 + 2 * M_PI * (t + 1.0 / a.count));
      cairo_stroke(cr);
    } else if (a.label == "gears") {
      for (int g = 0; g < 2; ++g) {
        const double gx = cx + (g ? 55 : -45), gy = cy + (g ? 30 : -20), r = g ? 45 : 60;
        // one tooth further per loop, so the last frame leads back into the first
        const int teeth = g ? 10 : 12;
        const double turn = (g ? -1 : 1) * t * 2 * M_PI / teeth;
        cairo_new_path(cr);
        for (int i = 0; i < teeth * 2; ++i) {
          const double ang = turn + i * M_PI / teeth, rr = i % 2 ? r : r * 0.8;
          cairo_line_to(cr, gx + rr * std::cos(ang), gy + rr * std::sin(ang));
        }
        cairo_close_path(cr);
        c.Colour(p.base.Mix({0.8, 0.8, 0.85}, 0.4 + 0.2 * g));
        cairo_fill(cr);
        c.Colour({0.05, 0.05, 0.08});
        cairo_arc(cr, gx, gy, r * 0.3, 0, 2 * M_PI);
        cairo_fill(cr);
      }
    } else {
      Sun(c, cx, cy, 22, {1.0, 0.8, 0.35});
      c.Colour(p.accent, 0.3);
      cairo_set_line_width(cr, 1);
      cairo_save(cr);
      cairo_scale(cr, 1, 0.5);
      cairo_arc(cr, cx, cy * 2, 120, 0, 2 * M_PI);
      cairo_restore(cr);
      cairo_stroke(cr);
      const double ang = 2 * M_PI * t;
      Random rock(7);
      Asteroid(c, rock, cx + 120 * std::cos(ang), cy + 60 * std::sin(ang), 14);
    }
    return;
  }
  if (a.label == "explosion" || a.label == "photon" || a.label == "collision" || a.label == "bombardment") {
    const double grow = a.label == "photon" ? 0.6 + 0.4 * std::sin(t * 2 * M_PI) : 0.2 + 0.8 * t;
    const double fade = a.label == "photon" ? 1.0 : 1.0 - t * 0.8;
    const Rgb hot = a.label == "photon" ? Rgb{0.6, 0.8, 1.0} : Rgb{1.0, 0.7, 0.2};
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, std::min(w, h) / 2 * grow);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.9, fade);
    cairo_pattern_add_color_stop_rgba(g, 0.5, hot.r, hot.g, hot.b, fade);
    cairo_pattern_add_color_stop_rgba(g, 1, hot.r * 0.5, 0.1, 0, 0);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    return;
  }
  if (a.label == "shield") {
    c.Colour({0.4, 0.7, 1.0}, 1.0 - t * 0.7);
    cairo_set_line_width(cr, 2);
    cairo_arc(cr, cx, cy, std::min(w, h) * (0.2 + 0.25 * t), 0, 2 * M_PI);
    cairo_stroke(cr);
    return;
  }
  if (a.label == "pod") {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, t * 2 * M_PI);
    c.Bevel(-w * 0.2, -h * 0.35, w * 0.4, h * 0.7, p.base.Mix({0.8, 0.8, 0.8}, 0.4), 1, w * 0.2);
    cairo_restore(cr);
    return;
  }
  // Panel lights: a band of light travelling along the long side.
  c.Bevel(0, 0, w, h, p.base.Scaled(0.35), 1, 0);
  const bool across = w > h;
  const double len = across ? w : h, pos = t * len;
  cairo_pattern_t* g = across ? cairo_pattern_create_linear(pos - len * 0.2, 0, pos + len * 0.2, 0)
                              : cairo_pattern_create_linear(0, pos - len * 0.2, 0, pos + len * 0.2);
  cairo_pattern_add_color_stop_rgba(g, 0, p.glow.r, p.glow.g, p.glow.b, 0);
  cairo_pattern_add_color_stop_rgba(g, 0.5, 1, 1, 0.9, 0.85);
  cairo_pattern_add_color_stop_rgba(g, 1, p.glow.r, p.glow.g, p.glow.b, 0);
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);
  (void)rnd;
  (void)stem;
}

void Nebula(Canvas& c, const Asset& a, Random& rnd) {
  const double hue = a.index * 0.27;
  const Rgb tint{0.5 + 0.5 * std::sin(hue), 0.35 + 0.3 * std::sin(hue + 2.0), 0.55 + 0.45 * std::sin(hue + 4.0)};
  const double w = c.width(), h = c.height();
  // soft round falloff so the tiles sit on the black sky without edges
  for (int i = 0; i < 28; ++i) {
    const double ang = rnd.Range(0, 2 * M_PI), d = rnd.Range(0, w * 0.28);
    const double x = w / 2 + d * std::cos(ang), y = h / 2 + d * std::sin(ang), r = rnd.Range(w * 0.08, w * 0.22);
    const Rgb col = tint.Mix({rnd.Unit(), rnd.Unit() * 0.5, rnd.Unit()}, 0.3);
    cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, r);
    cairo_pattern_add_color_stop_rgba(g, 0, col.r, col.g, col.b, 0.18);
    cairo_pattern_add_color_stop_rgba(g, 1, col.r, col.g, col.b, 0);
    cairo_set_operator(c.cr(), CAIRO_OPERATOR_ADD);
    cairo_set_source(c.cr(), g);
    cairo_paint(c.cr());
    cairo_pattern_destroy(g);
  }
  cairo_set_operator(c.cr(), CAIRO_OPERATOR_OVER);
  c.Stars(rnd, w * 0.15, h * 0.15, w * 0.7, h * 0.7, 25);
}

}  // namespace

Palette PaletteFor(int guild) {
  switch (guild) {
    case 0:
      return {{0.55, 0.12, 0.1}, {1.0, 0.78, 0.6}, {1.0, 0.35, 0.2}};
    case 1:
      return {{0.1, 0.42, 0.22}, {0.75, 1.0, 0.7}, {0.3, 0.95, 0.45}};
    case 2:
      return {{0.13, 0.22, 0.55}, {0.7, 0.85, 1.0}, {0.35, 0.55, 1.0}};
    case 3:
      return {{0.55, 0.42, 0.1}, {1.0, 0.92, 0.55}, {1.0, 0.8, 0.3}};
    case 4:
      return {{0.45, 0.14, 0.45}, {1.0, 0.75, 1.0}, {0.9, 0.4, 0.95}};
    default:
      return {{0.2, 0.3, 0.42}, {0.9, 0.82, 0.55}, {0.35, 0.6, 0.95}};
  }
}

Pixels DrawImage(const Asset& asset, int guild, const BackdropWords* words) {
  Canvas c(asset.width, asset.height);
  Random rnd(HashText(asset.name) ^ static_cast<std::uint64_t>(guild + 7));
  const Palette p = PaletteFor(guild);
  const std::string& k = asset.kind;
  if (k == "backdrop")
    Backdrop(c, asset, p, rnd, words);
  else if (k == "screen")
    GameScreen(c, p, rnd);
  else if (k == "panel")
    Panel(c, asset, p, rnd, words);
  else if (k == "border")
    Border(c, p);
  else if (k == "mask")
    Mask(c, p);
  else if (k == "strip")
    Strip(c, asset, p);
  else if (k == "button" || k == "side" || k == "check" || k == "choice")
    Button(c, asset, p);
  else if (k == "menu")
    Menu(c, asset, p);
  else if (k == "icon")
    Icon(c, asset, p, rnd);
  else if (k == "picture")
    Picture(c, asset, guild, p, rnd);
  else if (k == "frame")
    Frame(c, asset, p, rnd);
  else if (k == "nebula")
    Nebula(c, asset, rnd);
  return c.Take();
}

namespace {

struct CursorKind {
  const char* name;
  int hotX, hotY;  // where the shape points
};

// In the order the views number them (0..14).
constexpr std::array<CursorKind, 15> kCursorKinds = {{
    {"NORMAL", 1, 1},
    {"TARGET", 15, 15},
    {"LAND", 15, 28},
    {"SCAN", 15, 15},
    {"ALL_EFFEC", 15, 15},
    {"ALL_MAX", 15, 15},
    {"CONSTRUCT", 4, 4},
    {"HELP", 1, 1},
    {"NO_RANGE", 15, 15},
    {"REFUEL", 15, 15},
    {"REPAIR", 4, 4},
    {"SOME_EFFEC", 15, 15},
    {"SOME_MAX", 15, 15},
    {"SELECT", 15, 15},
    {"XFER", 15, 15},
}};

constexpr std::array<const char*, 5> kColourNames = {"RED", "GREEN", "BLUE", "YELLOW", "MAGENTA"};

void Arrow(cairo_t* cr) {
  cairo_move_to(cr, 1, 1);
  cairo_line_to(cr, 1, 22);
  cairo_line_to(cr, 6.5, 17);
  cairo_line_to(cr, 10.5, 26);
  cairo_line_to(cr, 14, 24.5);
  cairo_line_to(cr, 10, 16);
  cairo_line_to(cr, 17, 16);
  cairo_close_path(cr);
}

void Crosshair(cairo_t* cr, double r, bool full) {
  cairo_arc(cr, 15.5, 15.5, r, 0, 2 * M_PI);
  cairo_move_to(cr, 15.5, 15.5 - r - 4);
  cairo_line_to(cr, 15.5, full ? 15.5 + r + 4 : 15.5 - r + 3);
  cairo_move_to(cr, 15.5 - r - 4, 15.5);
  cairo_line_to(cr, full ? 15.5 + r + 4 : 15.5 - r + 3, 15.5);
}

}  // namespace

Pixels DrawProgramIcon(int size) {
  Canvas c(size, size, true);
  cairo_t* cr = c.cr();
  const Palette p = PaletteFor(-1);
  const double s = size;
  cairo_set_line_width(cr, s / 14);
  cairo_save(cr);  // the back half of the ring, behind the planet
  cairo_translate(cr, s / 2, s / 2);
  cairo_rotate(cr, -0.35);
  cairo_scale(cr, 1, 0.3);
  c.Colour(p.accent);
  cairo_arc(cr, 0, 0, s * 0.46, M_PI, 2 * M_PI);
  cairo_restore(cr);
  cairo_stroke(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(s * 0.4, s * 0.38, s * 0.03, s / 2, s / 2, s * 0.32);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.6, 0.8, 1.0);
  cairo_pattern_add_color_stop_rgb(g, 1, p.base.r * 0.6, p.base.g * 0.6, p.base.b * 0.9);
  cairo_set_source(cr, g);
  cairo_arc(cr, s / 2, s / 2, s * 0.32, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_save(cr);  // the front half of the ring
  cairo_translate(cr, s / 2, s / 2);
  cairo_rotate(cr, -0.35);
  cairo_scale(cr, 1, 0.3);
  c.Colour(p.accent);
  cairo_arc(cr, 0, 0, s * 0.46, 0, M_PI);
  cairo_restore(cr);
  cairo_stroke(cr);
  return c.Take();
}

std::vector<std::string> CursorNames() {
  std::vector<std::string> out;
  for (const char* colour : kColourNames) {
    for (const CursorKind& kind : kCursorKinds) out.push_back(std::string("IDC_CURSOR_") + kind.name + "_" + colour);
  }
  return out;
}

std::vector<CursorPicture> DrawCursors() {
  std::vector<CursorPicture> out;
  for (std::size_t colour = 0; colour < kColourNames.size(); ++colour) {
    const Palette p = PaletteFor(static_cast<int>(colour));
    const Rgb ink = p.glow.Mix({1, 1, 1}, 0.25);
    for (const CursorKind& kind : kCursorKinds) {
      Canvas c(32, 32, true);
      cairo_t* cr = c.cr();
      const std::string name = kind.name;
      cairo_set_line_width(cr, 2);
      auto outlined = [&](bool fill) {  // dark outline under the colour so it reads on any ground
        c.Colour({0, 0, 0}, 0.9);
        cairo_set_line_width(cr, 4);
        cairo_stroke_preserve(cr);
        c.Colour(ink);
        cairo_set_line_width(cr, 2);
        if (fill)
          cairo_fill(cr);
        else
          cairo_stroke(cr);
      };
      if (name == "NORMAL" || name == "HELP") {
        Arrow(cr);
        outlined(true);
        if (name == "HELP") c.Text("?", 16, 14, 16, 18, {1, 1, 1}, 16);
      } else if (name == "CONSTRUCT" || name == "REPAIR") {
        Arrow(cr);
        outlined(true);
        cairo_arc(cr, 23, 23, 6, 0, 2 * M_PI);
        outlined(name == "CONSTRUCT");
      } else if (name == "LAND") {
        cairo_move_to(cr, 15.5, 28);
        cairo_line_to(cr, 7, 14);
        cairo_line_to(cr, 24, 14);
        cairo_close_path(cr);
        outlined(true);
        cairo_move_to(cr, 15.5, 13);
        cairo_line_to(cr, 15.5, 3);
        outlined(false);
      } else if (name == "XFER" || name == "REFUEL") {
        cairo_move_to(cr, 4, 15.5);
        cairo_line_to(cr, 27, 15.5);
        cairo_move_to(cr, 21, 9);
        cairo_line_to(cr, 27, 15.5);
        cairo_line_to(cr, 21, 22);
        outlined(false);
        if (name == "REFUEL") {
          cairo_arc(cr, 15.5, 15.5, 4, 0, 2 * M_PI);
          outlined(true);
        }
      } else if (name == "SELECT") {
        cairo_rectangle(cr, 6.5, 6.5, 18, 18);
        outlined(false);
        cairo_arc(cr, 15.5, 15.5, 1.5, 0, 2 * M_PI);
        outlined(true);
      } else if (name == "NO_RANGE") {
        cairo_arc(cr, 15.5, 15.5, 10, 0, 2 * M_PI);
        cairo_move_to(cr, 8.5, 8.5);
        cairo_line_to(cr, 22.5, 22.5);
        outlined(false);
      } else if (name == "SCAN") {
        for (double r : {4.0, 8.0, 12.0})
          cairo_arc(cr, 15.5, 15.5, r, -M_PI * 0.8, -M_PI * 0.2), cairo_new_sub_path(cr);
        outlined(false);
        cairo_arc(cr, 15.5, 15.5, 1.5, 0, 2 * M_PI);
        outlined(true);
      } else {  // the targeting family: full, some, effective, maximum range
        const bool full = Starts(name, "ALL") || name == "TARGET";
        Crosshair(cr, Has(name, "MAX") ? 11 : 7, full);
        outlined(false);
        cairo_arc(cr, 15.5, 15.5, 1.5, 0, 2 * M_PI);  // the point that is aimed at
        outlined(true);
      }
      CursorPicture pic;
      pic.resourceName = std::string("IDC_CURSOR_") + kind.name + "_" + kColourNames[colour];  // as CursorNames
      pic.pixels = c.Take();
      pic.hotX = kind.hotX;
      pic.hotY = kind.hotY;
      out.push_back(std::move(pic));
    }
  }
  return out;
}

}  // namespace art
