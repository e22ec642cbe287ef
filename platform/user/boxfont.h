#pragma once
// The face of the system message box: a sans-serif font found through
// fontconfig, its glyphs rendered by FreeType and blended onto the screen.
// Text is 8-bit, each byte taken as its Latin-1 character.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/display/screen.h"
#include "platform/core/types.h"

namespace plat::user_impl {

class BoxFont {
 public:
  explicit BoxFont(int pixelHeight);
  ~BoxFont();
  BoxFont(const BoxFont&) = delete;
  BoxFont& operator=(const BoxFont&) = delete;

  // False when no font could be opened; text then draws as nothing.
  bool Ok() const;
  int LineHeight() const;
  int Width(std::string_view text);
  // Lines of at most `maxWidth` pixels, broken at blanks (and at '\n').
  std::vector<std::string> Wrap(std::string_view text, int maxWidth);
  // Draws with the top of the line at y, clipped to `clip` (screen coordinates).
  void Draw(Screen& screen, int x, int y, std::string_view text, COLORREF colour, const RECT& clip);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat::user_impl
