#include "tools/art/captions.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "tools/art/canvas.h"

namespace art {
namespace {

// The templates are 533 x 400 dialog units on an 800 x 600 screen.
constexpr double kUnitsToPixels = 800.0 / 533.0;

std::string Trim(std::string_view s) {
  const auto a = s.find_first_not_of(" \t\r");
  if (a == std::string_view::npos) return {};
  const auto b = s.find_last_not_of(" \t\r");
  return std::string(s.substr(a, b - a + 1));
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = text.find('\n', start);
    out.push_back(
        std::string(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return out;
}

// The comma-separated fields of a control line, quoted texts kept whole.
std::vector<std::string> Fields(std::string_view rest) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (char c : rest) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      out.push_back({});
      continue;
    }
    out.back() += c;
  }
  for (auto& f : out) f = Trim(f);
  return out;
}

int Number(const std::string& s, int line) {
  std::size_t used = 0;
  int v = 0;
  try {
    v = std::stoi(s, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != s.size()) throw std::runtime_error("line " + std::to_string(line) + ": bad number " + s);
  return v;
}

}  // namespace

Templates ReadTemplates(std::string_view script) {
  Templates out;
  std::string dialog;
  int n = 0;
  for (const std::string& raw : Lines(script)) {
    ++n;
    const std::string line = Trim(raw);
    std::istringstream words(line);
    std::string first, second;
    words >> first >> second;
    if (second == "DIALOG" || second == "DIALOGEX") {
      dialog = first;
      out[dialog];
      continue;
    }
    if (first != "EDITTEXT" && first != "LISTBOX" && first != "CONTROL") continue;
    if (dialog.empty()) throw std::runtime_error("line " + std::to_string(n) + ": control outside a dialog");
    const std::vector<std::string> f = Fields(std::string_view(line).substr(first.size()));
    // EDITTEXT/LISTBOX id, x, y, cx, cy, ...; CONTROL "text", id, class, style, x, y, cx, cy, ...
    const std::size_t id = first == "CONTROL" ? 1 : 0, at = first == "CONTROL" ? 4 : 1;
    if (f.size() < at + 4) throw std::runtime_error("line " + std::to_string(n) + ": too few fields");
    TemplateControl c;
    c.name = f[id];
    c.kind = first;
    c.place = {Number(f[at], n) * kUnitsToPixels, Number(f[at + 1], n) * kUnitsToPixels,
               Number(f[at + 2], n) * kUnitsToPixels, Number(f[at + 3], n) * kUnitsToPixels};
    out[dialog].push_back(c);
  }
  return out;
}

std::map<std::string, std::string> ReadStringNames(std::string_view table) {
  std::map<std::string, std::string> out;
  for (const std::string& raw : Lines(table)) {
    const std::string line = Trim(raw);
    const auto q1 = line.find('"');
    const auto q2 = line.rfind('"');
    if (line.empty() || line[0] == '#' || q1 == std::string::npos || q2 <= q1) continue;
    std::istringstream words(line.substr(0, q1));
    std::string name;
    words >> name;
    out[name] = line.substr(q1 + 1, q2 - q1 - 1);
  }
  return out;
}

std::vector<ScreenCaptions> ReadCaptionTable(std::string_view text, const std::map<std::string, std::string>& strings) {
  std::vector<ScreenCaptions> out;
  int n = 0;
  for (std::string line : Lines(text)) {
    ++n;
    const std::string where = "captions:" + std::to_string(n) + ": ";
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    line = Trim(line);
    if (line.empty()) continue;
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (first == "screen") {
      ScreenCaptions s;
      words >> s.backdrop >> s.dialog;
      if (s.dialog.empty()) throw std::runtime_error(where + "a screen needs a backdrop and a template");
      for (std::string option; words >> option;) {
        if (option == "banner") {
          if (!(words >> s.bannerY)) throw std::runtime_error(where + "expected banner Y");
        } else if (option == "in") {
          if (!(words >> s.module)) throw std::runtime_error(where + "expected in MODULE");
        } else {
          throw std::runtime_error(where + "expected banner Y or in MODULE");
        }
      }
      out.push_back(s);
      continue;
    }
    if (out.empty()) throw std::runtime_error(where + "caption before any screen");
    CaptionLine c;
    if (first == "at" || first == "to" || first == "heading") {
      c.side = first;
      if (!(words >> c.x >> c.y)) throw std::runtime_error(where + "expected X Y");
    } else {
      c.control = first;
      words >> c.side;
      if (c.side != "left" && c.side != "right" && c.side != "above" && c.side != "below")
        throw std::runtime_error(where + "unknown side '" + c.side + "'");
    }
    std::getline(words, c.text);
    c.text = Trim(c.text);
    if (c.text.empty()) throw std::runtime_error(where + "no text");
    if (c.text[0] == '$') {
      const auto it = strings.find(c.text.substr(1));
      if (it == strings.end()) throw std::runtime_error(where + "no string " + c.text.substr(1));
      c.text = it->second;
    }
    out.back().lines.push_back(c);
  }
  return out;
}

std::vector<PlacedCaption> LayOutCaptions(const ScreenCaptions& screen, const Templates& templates) {
  const auto dialog = templates.find(screen.dialog);
  if (dialog == templates.end()) throw std::runtime_error("captions: no template " + screen.dialog);
  std::vector<PlacedCaption> out;
  constexpr double kGap = 6;
  for (const CaptionLine& line : screen.lines) {
    PlacedCaption p;
    p.text = line.text;
    p.heading = line.side == "heading";
    p.size = p.heading ? kHeadingSize : kCaptionSize;
    int tw = 0, th = 0;
    Canvas::Measure(p.text, p.size, true, tw, th);
    // Canvas::Text draws at full size when the box is 2 px wider than the text
    // and at least size / 0.8 high.
    const double w = tw + 4, h = std::ceil(std::max<double>(th, p.size / 0.8) + 1);
    if (line.control.empty()) {
      p.box = {line.side == "to" ? line.x - w : line.x, line.y, w, h};
    } else {
      const TemplateControl* c = nullptr;
      for (const TemplateControl& t : dialog->second) {
        if (t.name == line.control) c = &t;
      }
      if (!c) throw std::runtime_error("captions: " + screen.dialog + " has no control " + line.control);
      const Box& b = c->place;
      const double midY = std::round(b.y + (b.h - h) / 2);
      if (line.side == "left") p.box = {std::round(b.x - kGap - w), midY, w, h};
      if (line.side == "right") p.box = {std::round(b.x + b.w + kGap), midY, w, h};
      if (line.side == "above") p.box = {std::round(b.x), std::round(b.y - 2 - h), w, h};
      if (line.side == "below") p.box = {std::round(b.x), std::round(b.y + b.h + 2), w, h};
    }
    out.push_back(p);
  }
  return out;
}

Box BannerBox(const ScreenCaptions& screen) { return {0, screen.bannerY, 800, kBannerHeight}; }

}  // namespace art
