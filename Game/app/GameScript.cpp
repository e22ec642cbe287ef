#include "Game/app/GameScript.h"

#include <cctype>
#include <charconv>

#include "platform/user/keys.h"

namespace {

constexpr std::size_t kMaxLines = 100000;
constexpr std::size_t kMaxLineLength = 1000;

struct NamedKey {
  const char* name;
  std::uint32_t vk;
};
constexpr NamedKey kKeys[] = {{"ESCAPE", plat::VK_ESCAPE}, {"RETURN", plat::VK_RETURN}, {"TAB", plat::VK_TAB},
                              {"SPACE", plat::VK_SPACE},   {"BACK", plat::VK_BACK},     {"DELETE", plat::VK_DELETE},
                              {"SHIFT", plat::VK_SHIFT},   {"ALT", plat::VK_MENU},      {"UP", plat::VK_UP},
                              {"DOWN", plat::VK_DOWN},     {"LEFT", plat::VK_LEFT},     {"RIGHT", plat::VK_RIGHT},
                              {"HOME", plat::VK_HOME},     {"END", plat::VK_END}};

// Splits a line into words; a word in double quotes keeps its blanks.
bool Words(std::string_view line, std::vector<std::string>& words, std::string& why) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    if (line[i] == '"') {
      const std::size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) {
        why = "a quote is not closed";
        return false;
      }
      words.emplace_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    const std::size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    words.emplace_back(line.substr(start, i - start));
  }
  return true;
}

bool Number(const std::string& word, std::uint32_t max, std::uint32_t& out) {
  std::uint32_t v = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (word.empty() || ec != std::errc() || end != word.data() + word.size() || v > max) return false;
  out = v;
  return true;
}

bool ParseStep(const std::vector<std::string>& w, ScriptStep& step, std::string& why) {
  using Kind = ScriptStep::Kind;
  const std::string& verb = w[0];
  std::uint32_t x = 0, y = 0;
  // An optional time limit, then an optional "real", end the line.
  auto timeout = [&](std::size_t at) {
    std::size_t end = w.size();
    if (end > at && w[end - 1] == "real") {
      step.realTime = true;
      --end;
    }
    if (end <= at) return end == at;
    return end == at + 1 && Number(w[at], 3600000, step.timeoutMs);
  };
  auto point = [&](std::size_t at) {
    if (w.size() < at + 2 || !Number(w[at], 799, x) || !Number(w[at + 1], 599, y)) return false;
    step.x = static_cast<int>(x);
    step.y = static_cast<int>(y);
    return true;
  };
  if (verb == "click") {
    step.kind = Kind::Click;
    step.right = w.size() == 4 && w[3] == "right";
    if ((w.size() != 3 && !step.right) || !Number(w[1], 799, x) || !Number(w[2], 599, y)) {
      why = "click takes a point on the 800 x 600 screen";
      return false;
    }
    step.x = static_cast<int>(x);
    step.y = static_cast<int>(y);
  } else if (verb == "move") {
    step.kind = Kind::Move;
    if (w.size() != 3 || !point(1)) {
      why = "move takes a point on the 800 x 600 screen";
      return false;
    }
  } else if (verb == "dblclick") {
    step.kind = Kind::DoubleClick;
    if (w.size() != 3 || !point(1)) {
      why = "dblclick takes a point on the 800 x 600 screen";
      return false;
    }
  } else if (verb == "drag") {
    step.kind = Kind::Drag;
    std::uint32_t toX = 0, toY = 0;
    const bool keyed = w.size() == 6 && (w[5] == "ctrl" || w[5] == "shift");
    if ((w.size() != 5 && !keyed) || !point(1) || !Number(w[3], 799, toX) || !Number(w[4], 599, toY)) {
      why = "drag takes two points on the 800 x 600 screen and ctrl or shift";
      return false;
    }
    step.toX = static_cast<int>(toX);
    step.toY = static_cast<int>(toY);
    if (keyed) step.held = w[5] == "ctrl" ? plat::VK_CONTROL : plat::VK_SHIFT;
  } else if (verb == "hold" || verb == "release") {
    step.kind = verb == "hold" ? Kind::Hold : Kind::Release;
    const bool modifier = w.size() == 2 && (w[1] == "ctrl" || w[1] == "shift" || w[1] == "alt");
    if (!modifier) {
      why = verb + " takes ctrl, shift or alt";
      return false;
    }
    step.vk = w[1] == "ctrl" ? plat::VK_CONTROL : w[1] == "shift" ? plat::VK_SHIFT : plat::VK_MENU;
  } else if (verb == "key") {
    step.kind = Kind::Key;
    if (w.size() != 2 || (step.vk = KeyCodeOf(w[1])) == 0) {
      why = "key takes one key name";
      return false;
    }
  } else if (verb == "text") {
    step.kind = Kind::Text;
    if (w.size() != 2) {
      why = "text takes one quoted text";
      return false;
    }
    for (char c : w[1])
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ') {
        why = "text types letters, digits and blanks only";
        return false;
      }
    step.text = w[1];
  } else if (verb == "sleep") {
    step.kind = Kind::Sleep;
    step.realTime = w.size() == 3 && w[2] == "real";
    if ((w.size() != 2 && !step.realTime) || !Number(w[1], 3600000, step.number)) {
      why = "sleep takes milliseconds, then \"real\" for the wall clock";
      return false;
    }
  } else if (verb == "capture") {
    step.kind = Kind::Capture;
    if (w.size() != 2 || w[1].size() < 5 || w[1].substr(w[1].size() - 4) != ".png") {
      why = "capture takes one file name ending in .png";
      return false;
    }
    step.text = w[1];
  } else if (verb == "model") {
    step.kind = Kind::Model;
    if (w.size() != 2 || w[1].size() < 5 || w[1].substr(w[1].size() - 4) != ".bin") {
      why = "model takes one file name ending in .bin";
      return false;
    }
    step.text = w[1];
  } else if (verb == "wait" && w.size() >= 3) {
    const std::string& what = w[1];
    bool ok = false;
    if (what == "dialog" || what == "closed" || what == "text") {
      step.kind = what == "dialog" ? Kind::WaitDialog : what == "closed" ? Kind::WaitClosed : Kind::WaitText;
      step.text = w[2];
      ok = !step.text.empty() && timeout(3);
    } else if (what == "packet") {
      step.kind = Kind::WaitPacket;
      ok = Number(w[2], 0xFFFF, step.number) && timeout(3);
    } else if (what == "packets") {
      step.kind = Kind::WaitPacket;
      ok = w.size() >= 4 && Number(w[2], 0xFFFF, step.number) && Number(w[3], 100000, step.count) && step.count > 0 &&
           timeout(4);
    } else if (what == "enabled") {
      step.kind = Kind::WaitEnabled;
      ok = point(2) && timeout(4);
    } else if (what == "items") {
      step.kind = Kind::WaitItems;
      ok = point(2) && w.size() >= 5 && Number(w[4], 100000, step.number) && timeout(5);
    } else if (what == "gone") {
      step.kind = Kind::WaitGone;
      step.text = w[2];
      ok = !step.text.empty() && timeout(3);
    } else if (what == "frames") {
      step.kind = Kind::WaitFrames;
      ok = w.size() == 3 && Number(w[2], 100000, step.number);
    }
    if (!ok) {
      why =
          "wait takes dialog NAME, closed NAME, text \"WORDS\", packet TYPE, packets TYPE N, enabled X Y, items X Y "
          "N or gone FILE (each with an optional time limit and \"real\") or frames N";
      return false;
    }
  } else {
    why = "unknown step \"" + verb + "\"";
    return false;
  }
  return true;
}

}  // namespace

std::uint32_t KeyCodeOf(std::string_view name) {
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(name[0])));
  for (const NamedKey& k : kKeys)
    if (name == k.name) return k.vk;
  if (name.size() >= 2 && name[0] == 'F') {
    std::uint32_t n = 0;
    const auto [end, ec] = std::from_chars(name.data() + 1, name.data() + name.size(), n);
    if (ec == std::errc() && end == name.data() + name.size() && n >= 1 && n <= 12) return plat::VK_F1 + n - 1;
  }
  return 0;
}

std::optional<std::vector<ScriptStep>> ParseGameScript(std::string_view text, std::string& error) {
  std::vector<ScriptStep> steps;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (++lineNumber > kMaxLines) {
      error = "the script is longer than 100000 lines";
      return std::nullopt;
    }
    std::string why;
    std::vector<std::string> words;
    if (line.size() > kMaxLineLength)
      why = "the line is longer than 1000 characters";
    else
      Words(line, words, why);
    ScriptStep step;
    step.line = static_cast<int>(lineNumber);
    if (why.empty() && !words.empty()) ParseStep(words, step, why);
    if (!why.empty()) {
      error = "line " + std::to_string(lineNumber) + ": " + why;
      return std::nullopt;
    }
    if (!words.empty()) steps.push_back(step);
  }
  return steps;
}
