#include "tools/movies/scenes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "tools/art/canvas.h"
#include "tools/art/looks.h"
#include "tools/music/composer.h"
#include "tools/sound/synth.h"

namespace movies {
namespace {

constexpr std::array<Movie, 4> kMovies = {{
    {"intro", 8.0, "title"},
    {"loss", 6.0, "requiem"},
    {"minorwin", 6.0, "council"},
    {"majorwin", 7.0, "victory"},
}};

constexpr double kStageW = 320, kStageH = 240;
constexpr double kStageScale = kWidth / kStageW;

double Smooth(double x) {
  x = std::clamp(x, 0.0, 1.0);
  return x * x * (3 - 2 * x);
}

// Stars streaming past a camera flying forward at `speed`.
void FlyingStars(art::Canvas& c, double t, double speed) {
  art::Random rnd(1234);
  cairo_t* cr = c.cr();
  for (int i = 0; i < 220; ++i) {
    const double x = rnd.Range(-1, 1), y = rnd.Range(-1, 1);
    double z = rnd.Range(0.05, 1.0) - std::fmod(t * speed, 1.0);
    if (z <= 0.02) z += 1.0;
    const double sx = kStageW / 2.0 + x / z * 60, sy = kStageH / 2.0 + y / z * 60;
    c.Colour({0.9, 0.92, 1.0}, std::min(1.0, 0.3 / z));
    cairo_arc(cr, sx, sy, std::min(2.0, 0.4 / z), 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

void Planet(art::Canvas& c, double cx, double cy, double r, const art::Rgb& colour) {
  cairo_t* cr = c.cr();
  cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.4, cy - r * 0.4, r * 0.1, cx, cy, r);
  cairo_pattern_add_color_stop_rgb(g, 0, colour.r, colour.g, colour.b);
  cairo_pattern_add_color_stop_rgb(g, 1, colour.r * 0.1, colour.g * 0.1, colour.b * 0.15);
  cairo_set_source(cr, g);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void Burst(art::Canvas& c, double cx, double cy, double r, double alpha, const art::Rgb& colour) {
  cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
  cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.9, alpha);
  cairo_pattern_add_color_stop_rgba(g, 0.4, colour.r, colour.g, colour.b, alpha * 0.8);
  cairo_pattern_add_color_stop_rgba(g, 1, colour.r, colour.g * 0.5, 0, 0);
  cairo_set_source(c.cr(), g);
  cairo_arc(c.cr(), cx, cy, r, 0, 2 * M_PI);
  cairo_fill(c.cr());
  cairo_pattern_destroy(g);
}

}  // namespace

const Movie* FindMovie(std::string_view name) {
  for (const Movie& m : kMovies) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

art::Pixels DrawFrame(const Movie& movie, int frame) {
  art::Canvas c(kWidth, kHeight);
  const double t = static_cast<double>(frame) / kFps, u = t / movie.seconds;
  const art::Palette p = art::PaletteFor(-1);
  art::Random sky(77);
  c.Space(sky, p.glow, 0.6, 0);
  cairo_scale(c.cr(), kStageScale, kStageScale);
  if (movie.name == "intro") {
    FlyingStars(c, t, 0.12);
    Planet(c, kStageW / 2.0, kStageH * (1.6 - 0.5 * Smooth(u * 1.5)), 150, {0.3, 0.45, 0.8});
    for (int s = 0; s < 5; ++s) {  // a ship of each guild crossing, engines trailing light
      const double x = -40 + (kStageW + 80) * Smooth(u * 1.3 - s * 0.09), y = 62 + 22 * s + 6 * std::sin(t + s);
      const art::Palette guild = art::PaletteFor(s);
      cairo_pattern_t* trail = cairo_pattern_create_linear(x - 70, y, x - 8, y);
      cairo_pattern_add_color_stop_rgba(trail, 0, guild.glow.r, guild.glow.g, guild.glow.b, 0);
      cairo_pattern_add_color_stop_rgba(trail, 1, 1, 1, 0.9, 0.8);
      cairo_set_source(c.cr(), trail);
      cairo_set_line_width(c.cr(), 2.5);
      cairo_move_to(c.cr(), x - 70, y);
      cairo_line_to(c.cr(), x - 8, y);
      cairo_stroke(c.cr());
      cairo_pattern_destroy(trail);
      const art::Rgb hull = guild.base.Mix({0.75, 0.75, 0.78}, 0.4);
      c.Colour(hull);
      cairo_move_to(c.cr(), x + 14, y);
      cairo_line_to(c.cr(), x + 2, y - 3);
      cairo_line_to(c.cr(), x - 8, y - 8);
      cairo_line_to(c.cr(), x - 6, y - 2);
      cairo_line_to(c.cr(), x - 9, y);
      cairo_line_to(c.cr(), x - 6, y + 2);
      cairo_line_to(c.cr(), x - 8, y + 8);
      cairo_line_to(c.cr(), x + 2, y + 3);
      cairo_close_path(c.cr());
      cairo_fill_preserve(c.cr());
      c.Colour(guild.accent, 0.9);
      cairo_set_line_width(c.cr(), 0.7);
      cairo_stroke(c.cr());
    }
    const double a = Smooth((u - 0.45) * 3);
    if (a > 0) c.Text("QUENBAR", 0, 30, kStageW, 60, p.accent.Scaled(a), 48, true, a);
  } else if (movie.name == "loss") {
    const double boom = std::clamp((u - 0.3) * 2.5, 0.0, 1.0);
    if (boom < 0.15) Planet(c, kStageW / 2.0, kStageH / 2.0, 50, {0.6, 0.45, 0.35});
    if (boom > 0) Burst(c, kStageW / 2.0, kStageH / 2.0, 30 + 200 * boom, 1.0 - boom * 0.8, {1.0, 0.5, 0.15});
    if (boom > 0 && boom < 1) {  // the shock front running out
      c.Colour({1.0, 0.85, 0.6}, 0.7 * (1 - boom));
      cairo_set_line_width(c.cr(), 2.5);
      cairo_save(c.cr());
      cairo_translate(c.cr(), kStageW / 2.0, kStageH / 2.0);
      cairo_scale(c.cr(), 1, 0.35);
      cairo_arc(c.cr(), 0, 0, 40 + 260 * boom, 0, 2 * M_PI);
      cairo_restore(c.cr());
      cairo_stroke(c.cr());
    }
    art::Random debris(5);
    for (int i = 0; i < 40 && boom > 0; ++i) {
      const double ang = debris.Range(0, 2 * M_PI), d = boom * debris.Range(40, 200);
      c.Colour({0.5, 0.4, 0.3}, 1 - boom * 0.5);
      cairo_arc(c.cr(), kStageW / 2.0 + d * std::cos(ang), kStageH / 2.0 + d * std::sin(ang), debris.Range(1, 3), 0,
                2 * M_PI);
      cairo_fill(c.cr());
    }
    const double a = Smooth((u - 0.6) * 3);
    if (a > 0) c.Text("DEFEAT", 0, kStageH - 70, kStageW, 50, art::Rgb{0.9, 0.3, 0.2}.Scaled(a), 40, true, a);
  } else {
    const bool major = movie.name == "majorwin";
    Planet(c, kStageW / 2.0, kStageH * 1.3, 120, {0.35, 0.6, 0.4});
    art::Random fireworks(major ? 9 : 3);
    const int bursts = major ? 10 : 4;
    for (int i = 0; i < bursts; ++i) {
      const double start = fireworks.Range(0, 0.7), x = fireworks.Range(40, kStageW - 40), y = fireworks.Range(30, 140);
      const art::Rgb col = art::PaletteFor(fireworks.Below(5)).glow;
      const double age = (u - start) * 4;
      if (age > 0 && age < 1) Burst(c, x, y, 10 + 40 * age, 1 - age, col);
    }
    const double a = Smooth((u - 0.25) * 3);
    if (a > 0) {
      c.Text(major ? "IMPERATOR" : "VICTORY", 0, 80, kStageW, 60, p.accent.Scaled(a), 44, true, a);
      c.Text(major ? "The solar space is yours" : "Your guild prevails", 0, 140, kStageW, 30,
             art::Rgb{0.8, 0.85, 1.0}.Scaled(a), 18, false);
    }
  }
  return c.Take();
}

std::vector<float> Soundtrack(const Movie& movie) {
  const music::Mood* mood = music::FindMood(movie.mood);
  std::vector<float> out = music::Compose(*mood, movie.seconds);
  out.resize(static_cast<std::size_t>(movie.seconds * music::kRate) * 2, 0.0f);
  // A sound effect at the movie's moment: the blast of the loss, a gong for the wins.
  const bool loss = movie.name == "loss";
  if (movie.name != "intro") {
    const auto fx = sound::RenderEffect(loss ? "explosion" : "gong", 3);
    const auto at = static_cast<std::size_t>((loss ? 0.3 : 0.25) * movie.seconds * music::kRate);
    for (std::size_t i = 0; i < fx.size() && at + i < out.size() / 2; ++i) {
      out[2 * (at + i)] = std::clamp(out[2 * (at + i)] + 0.7f * fx[i], -1.0f, 1.0f);
      out[2 * (at + i) + 1] = std::clamp(out[2 * (at + i) + 1] + 0.7f * fx[i], -1.0f, 1.0f);
    }
  }
  return out;
}

}  // namespace movies
