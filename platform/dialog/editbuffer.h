#pragma once
// The text of an edit field with its selection, and the breaking of that text
// into lines. No windows here: the field's procedure drives it.
//
// Positions are byte offsets into the text (8-bit text). A line break is
// "\r\n" (a lone '\r' or '\n' breaks too); the caret never stops inside a
// "\r\n", and one key removes it whole. Plain values: one buffer is used by one thread at a time.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::dialog_impl {

class EditBuffer {
 public:
  const std::string& Text() const { return text_; }
  std::size_t Caret() const { return caret_; }
  std::size_t Anchor() const { return anchor_; }
  std::size_t SelStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
  std::size_t SelEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
  bool HasSelection() const { return caret_ != anchor_; }

  // Replaces all the text; the caret goes to the start.
  void SetText(std::string_view text);
  // Positions past the end mean the end.
  void Select(std::size_t anchor, std::size_t caret);
  // Moves the caret; `extend` keeps the anchor (a selection grows), otherwise
  // the selection collapses at the new caret.
  void MoveTo(std::size_t position, bool extend);
  // Puts `text` in place of the selection; the caret ends after it.
  void Replace(std::string_view text);
  // Backspace and Delete: the selection, else one character (or one line
  // break) before / after the caret. False when there was nothing to remove.
  bool DeleteBackward();
  bool DeleteForward();

  // The caret position one character to the left / right.
  std::size_t Previous(std::size_t position) const;
  std::size_t Next(std::size_t position) const;

 private:
  std::size_t Clamp(std::size_t position) const;

  std::string text_;
  std::size_t caret_ = 0;
  std::size_t anchor_ = 0;
};

// One line of a laid-out text: `length` characters from `start`, the break
// that ends it excluded.
struct EditLine {
  std::size_t start = 0;
  std::size_t length = 0;
};

// Breaks the text at line breaks and, when `width` > 0, before a word that
// would cross it (blanks stay at the end of their line; a word wider than the
// whole width is cut between characters). `measure` gives the width of a piece
// of text. Always at least one line.
std::vector<EditLine> LayOutLines(std::string_view text, int width,
                                  const std::function<int(std::string_view)>& measure);
// The line holding `position` (a position at a soft break belongs to the
// line after it).
std::size_t LineOf(const std::vector<EditLine>& lines, std::size_t position);

}  // namespace plat::dialog_impl
