#include "platform/dialog/editbuffer.h"

#include <algorithm>

namespace plat::dialog_impl {

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::size_t EditBuffer::Clamp(std::size_t position) const {
  position = std::min(position, text_.size());
  // Never inside a "\r\n".
  if (position > 0 && position < text_.size() && text_[position - 1] == '\r' && text_[position] == '\n') --position;
  return position;
}

void EditBuffer::SetText(std::string_view text) {
  text_.assign(text);
  caret_ = anchor_ = 0;
}

void EditBuffer::Select(std::size_t anchor, std::size_t caret) {
  anchor_ = Clamp(anchor);
  caret_ = Clamp(caret);
}

void EditBuffer::MoveTo(std::size_t position, bool extend) {
  caret_ = Clamp(position);
  if (!extend) anchor_ = caret_;
}

void EditBuffer::Replace(std::string_view text) {
  const std::size_t start = SelStart();
  text_.replace(start, SelEnd() - start, text);
  caret_ = anchor_ = start + text.size();
}

std::size_t EditBuffer::Previous(std::size_t position) const {
  position = Clamp(position);
  if (position == 0) return 0;
  if (position >= 2 && text_[position - 2] == '\r' && text_[position - 1] == '\n') return position - 2;
  return position - 1;
}

std::size_t EditBuffer::Next(std::size_t position) const {
  position = Clamp(position);
  if (position >= text_.size()) return text_.size();
  if (text_[position] == '\r' && position + 1 < text_.size() && text_[position + 1] == '\n') return position + 2;
  return position + 1;
}

bool EditBuffer::DeleteBackward() {
  if (!HasSelection()) {
    if (caret_ == 0) return false;
    anchor_ = Previous(caret_);
  }
  Replace({});
  return true;
}

bool EditBuffer::DeleteForward() {
  if (!HasSelection()) {
    if (caret_ >= text_.size()) return false;
    anchor_ = Next(caret_);
  }
  Replace({});
  return true;
}

std::vector<EditLine> LayOutLines(std::string_view text, int width,
                                  const std::function<int(std::string_view)>& measure) {
  std::vector<EditLine> lines;
  std::size_t pos = 0;
  for (;;) {
    std::size_t eol = pos;
    while (eol < text.size() && !IsBreak(text[eol])) ++eol;
    std::size_t s = pos;
    do {
      if (width <= 0 || measure(text.substr(s, eol - s)) <= width) {
        lines.push_back(EditLine{s, eol - s});
        s = eol;
        break;
      }
      std::size_t fit = 0;  // characters from s that fit the width
      while (s + fit < eol && measure(text.substr(s, fit + 1)) <= width) ++fit;
      // Break after the last blank among the characters that fit, or at the
      // blank just past them (blanks may hang past the edge).
      std::size_t cut = s + std::max<std::size_t>(fit, 1);
      for (std::size_t i = s; i <= s + fit && i < eol; ++i)
        if (text[i] == ' ') cut = i + 1;
      while (cut < eol && text[cut] == ' ') ++cut;
      lines.push_back(EditLine{s, cut - s});
      s = cut;
    } while (s < eol);
    if (eol >= text.size()) break;
    pos = eol + ((text[eol] == '\r' && eol + 1 < text.size() && text[eol + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

std::size_t LineOf(const std::vector<EditLine>& lines, std::size_t position) {
  std::size_t line = 0;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].start <= position) line = i;
  return line;
}

}  // namespace plat::dialog_impl
