#include "tools/art/inventory.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace art {
namespace {

constexpr std::array<std::string_view, 15> kImageKinds = {"backdrop", "screen", "panel",  "border", "button",
                                                          "side",     "check",  "choice", "menu",   "icon",
                                                          "picture",  "frame",  "nebula", "mask",   "strip"};
constexpr std::array<std::string_view, 4> kFileKinds = {"effect", "voice", "music", "movie"};

bool SameText(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> out;
  std::istringstream in{std::string(line)};
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

bool ParseInt(std::string_view s, int& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

// The alternatives of one group's inside, or nothing when it is no group.
std::vector<std::string> GroupChoices(std::string_view inside) {
  std::vector<std::string> out;
  if (auto dots = inside.find(".."); dots != std::string_view::npos && inside.find(',') == std::string_view::npos) {
    std::string_view a = inside.substr(0, dots), b = inside.substr(dots + 2);
    int from = 0, to = 0;
    if (!ParseInt(a, from) || !ParseInt(b, to) || to < from || to - from > 10000) return out;
    const std::size_t width = a.size();
    for (int i = from; i <= to; ++i) {
      std::string n = std::to_string(i);
      if (n.size() < width) n.insert(0, width - n.size(), '0');
      out.push_back(n);
    }
    return out;
  }
  if (inside.find(',') == std::string_view::npos) return out;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = inside.find(',', start);
    out.emplace_back(inside.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return out;
}

// Number of choices of the last group in a token (1 when it has none).
std::size_t LastGroupSize(std::string_view token) {
  std::size_t open = token.rfind('{');
  std::size_t close = token.find('}', open == std::string_view::npos ? 0 : open);
  if (open == std::string_view::npos || close == std::string_view::npos) return 1;
  return std::max<std::size_t>(1, GroupChoices(token.substr(open + 1, close - open - 1)).size());
}

ButtonState StateAt(std::string_view kind, std::size_t i) {
  if (i == 0) return ButtonState::Normal;
  if (i == 1) return ButtonState::Pressed;
  if (kind == "choice" && i == 2) return ButtonState::Lit;
  return ButtonState::Disabled;
}

bool IsButtonKind(std::string_view kind) {
  return kind == "button" || kind == "side" || kind == "check" || kind == "choice";
}

int GuildOfPath(std::string_view path) {
  constexpr std::string_view prefix = "ART/GUILD";
  if (path.size() > prefix.size() && path.substr(0, prefix.size()) == prefix) {
    char c = path[prefix.size()];
    if (c >= '1' && c <= '5') return c - '1';
  }
  return -1;
}

}  // namespace

bool IsImageKind(std::string_view kind) {
  return std::find(kImageKinds.begin(), kImageKinds.end(), kind) != kImageKinds.end();
}

bool IsFileKind(std::string_view kind) {
  return std::find(kFileKinds.begin(), kFileKinds.end(), kind) != kFileKinds.end();
}

std::string TreeFolder(const Container& container) {
  if (container.path.rfind("CD:", 0) == 0) return "d/" + container.path.substr(3);
  return "c/QUENBAR/" + container.path;
}

const Asset* Container::Find(std::string_view name) const {
  for (const Asset& a : assets) {
    if (SameText(a.name, name)) return &a;
  }
  return nullptr;
}

const Container* Inventory::FindContainer(std::string_view path) const {
  for (const Container& c : containers) {
    if (c.path == path) return &c;
  }
  return nullptr;
}

std::vector<const Container*> Inventory::WithKind(std::string_view kind) const {
  std::vector<const Container*> out;
  for (const Container& c : containers) {
    if (std::any_of(c.assets.begin(), c.assets.end(), [&](const Asset& a) { return a.kind == kind; })) {
      out.push_back(&c);
    }
  }
  return out;
}

std::vector<std::string> ExpandBraces(std::string_view text) {
  std::size_t open = text.find('{');
  while (open != std::string_view::npos) {
    std::size_t close = text.find('}', open);
    if (close == std::string_view::npos) break;
    std::vector<std::string> choices = GroupChoices(text.substr(open + 1, close - open - 1));
    if (choices.empty()) {
      open = text.find('{', close);
      continue;
    }
    std::vector<std::string> out;
    const std::vector<std::string> tails = ExpandBraces(text.substr(close + 1));
    for (const std::string& c : choices) {
      for (const std::string& t : tails) out.push_back(std::string(text.substr(0, open)) + c + t);
    }
    return out;
  }
  return {std::string(text)};
}

void ParseInventory(std::string_view text, std::string_view where, Inventory& into) {
  std::vector<std::size_t> current;  // indices of the containers the block fills
  std::istringstream in{std::string(text)};
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    throw std::runtime_error(std::string(where) + ":" + std::to_string(lineNo) + ": " + what);
  };
  for (std::string line; std::getline(in, line);) {
    ++lineNo;
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::string label;
    if (auto colon = line.find(" : "); colon != std::string::npos) {
      label = line.substr(colon + 3);
      line.erase(colon);
      while (!label.empty() && std::isspace(static_cast<unsigned char>(label.back()))) label.pop_back();
    }
    std::vector<std::string> words = Words(line);
    if (words.empty()) continue;
    const std::string& kind = words[0];
    if (kind == "module" || kind == "folder") {
      if (words.size() < 2) fail(kind + " takes a path");
      current.clear();
      std::vector<std::string> paths;
      for (std::size_t w = 1; w < words.size(); ++w) {
        for (std::string& path : ExpandBraces(words[w])) paths.push_back(std::move(path));
      }
      for (const std::string& path : paths) {
        auto same = std::find_if(into.containers.begin(), into.containers.end(),
                                 [&](const Container& c) { return c.path == path; });
        if (same != into.containers.end()) {
          if (same->isModule != (kind == "module")) fail(path + " is both a module and a folder");
          current.push_back(static_cast<std::size_t>(same - into.containers.begin()));
          continue;
        }
        Container c;
        c.path = path;
        c.isModule = kind == "module";
        c.guild = GuildOfPath(path);
        current.push_back(into.containers.size());
        into.containers.push_back(std::move(c));
      }
      continue;
    }
    if (current.empty()) fail("entry before any module or folder");
    const bool image = IsImageKind(kind);
    if (!image && !IsFileKind(kind)) fail("unknown kind \"" + kind + "\"");
    std::size_t first = 1;
    int width = 0, height = 0;
    if (image) {
      std::size_t x = words.size() > 1 ? words[1].find('x') : std::string::npos;
      if (x == std::string::npos || !ParseInt(std::string_view(words[1]).substr(0, x), width) ||
          !ParseInt(std::string_view(words[1]).substr(x + 1), height) || width <= 0 || height <= 0 || width > 4096 ||
          height > 4096) {
        fail("an image needs a size WxH");
      }
      first = 2;
    }
    int clearLeft = 0, clearRight = 0;
    if (image && words.size() > first && words[first] == "clear") {
      if (!IsButtonKind(kind)) fail("only a button keeps part of itself clear");
      const bool right = words.size() > first + 1 && words[first + 1] == "right";
      int& clear = right ? clearRight : clearLeft;
      const std::size_t n = first + (right ? 2 : 1);
      if (words.size() <= n || !ParseInt(words[n], clear) || clear <= 0 || clear >= width)
        fail("clear needs a width inside the button");
      first = n + 1;
    }
    if (words.size() <= first) fail("no names");
    if (into.containers[current[0]].isModule != image) {
      fail(image ? "an image outside a module" : "a file inside a module");
    }

    std::vector<std::vector<std::string>> tokens;
    for (std::size_t i = first; i < words.size(); ++i) tokens.push_back(ExpandBraces(words[i]));
    const bool states = IsButtonKind(kind);
    const std::size_t perGroup = tokens.size() == 1 && states ? LastGroupSize(words[first]) : 1;
    std::vector<Asset> line_assets;
    for (std::size_t t = 0; t < tokens.size(); ++t) {
      for (std::size_t i = 0; i < tokens[t].size(); ++i) {
        Asset a;
        a.name = tokens[t][i];
        a.kind = kind;
        a.width = width;
        a.height = height;
        a.label = label;
        a.clearLeft = clearLeft;
        a.clearRight = clearRight;
        a.index = static_cast<int>(i);
        a.count = static_cast<int>(tokens[t].size());
        if (states) a.state = StateAt(kind, tokens.size() > 1 ? t : i % perGroup);
        line_assets.push_back(std::move(a));
      }
    }
    for (std::size_t c : current) {
      Container& box = into.containers[c];
      for (const Asset& a : line_assets) {
        // A name listed twice in one module is one resource: the first entry wins.
        if (!box.Find(a.name)) box.assets.push_back(a);
      }
    }
  }
}

Inventory ReadInventory(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    if (e.is_regular_file() && e.path().extension() == ".txt") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  Inventory inv;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + f.string());
    std::ostringstream text;
    text << in.rdbuf();
    ParseInventory(text.str(), f.filename().string(), inv);
  }
  return inv;
}

}  // namespace art
