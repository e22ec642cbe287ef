#pragma once
// Fonts and text. Text is 8-bit Windows-1252. Glyphs are drawn without
// anti-aliasing, in the text colour exactly, so text on a 16-bit surface holds
// only the colours the game chose (its colour keys depend on it).
//
// Faces are found through fontconfig. The classic names the game asks for map
// to installed free faces of the same metrics:
//   "Times New Roman"       -> Liberation Serif (bold from weight 600 on)
//   "Times New Roman Bold"  -> Liberation Serif Bold
//   "Angular3"              -> DejaVu Sans Condensed Bold, at a cell height of
//                              at least 9 pixels (the original face was a small
//                              bitmap face, legible where an outline face of
//                              the requested 5 pixels is not)
// Any other name goes to fontconfig as it stands. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/gdi/objects.h"

namespace plat {

// Weights.
constexpr int FW_DONTCARE = 0;
constexpr int FW_THIN = 100;
constexpr int FW_LIGHT = 300;
constexpr int FW_NORMAL = 400;
constexpr int FW_MEDIUM = 500;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;
constexpr int FW_HEAVY = 900;

// The character-set, precision, quality and pitch values CreateFont takes.
constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD DEFAULT_QUALITY = 0;
constexpr DWORD DRAFT_QUALITY = 1;
constexpr DWORD PROOF_QUALITY = 2;
constexpr DWORD NONANTIALIASED_QUALITY = 3;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;

// A font by face name, height and weight. Height: negative = character height
// (the em size) in pixels, positive = cell height (ascent + descent), 0 = a cell
// of 16. Italic, underline and strike-out are honoured; width, escapement,
// orientation, character set, precisions, quality and pitch are accepted and
// not used (text is upright, Windows-1252 and monochrome). Null without a face
// name or when no face at all is installed.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, const char* faceName);

struct TEXTMETRIC {
  LONG tmHeight = 0;  // ascent + descent
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;  // cell height - em size
  LONG tmExternalLeading = 0;  // the face's suggested space between lines
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  char tmFirstChar = 0x20;
  char tmLastChar = static_cast<char>(0xFF);
  char tmDefaultChar = 0x1F;
  char tmBreakChar = 0x20;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text alignment: one horizontal, one vertical, and whether the current
// position is used and moved.
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// Each returns the previous value (CLR_INVALID, 0 or GDI_ERROR for a bad DC).
COLORREF SetTextColor(HDC hdc, COLORREF colour);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
COLORREF GetBkColor(HDC hdc);
// TRANSPARENT or OPAQUE; 0 for another value.
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);

// Draws `count` characters with their reference point at (x, y) (or at the
// current position with TA_UPDATECP, which then moves past the text). In OPAQUE
// mode the text's cell is filled with the background colour first.
BOOL TextOut(HDC hdc, int x, int y, const char* text, int count);

// ExtTextOut options.
constexpr UINT ETO_OPAQUE = 0x0002;   // fill `rect` with the background colour first
constexpr UINT ETO_CLIPPED = 0x0004;  // draw only inside `rect`
// TextOut with options; `dx` (may be null) gives each character's advance.
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const INT* dx);

// DrawText formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;  // single lines only
constexpr UINT DT_BOTTOM = 0x0008;   // single lines only
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_EXTERNALLEADING = 0x0200;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// Formats text in `rect` (count -1: up to the NUL). Lines end at CR, LF or CR LF
// (unless DT_SINGLELINE) and, with DT_WORDBREAK, before a word that would cross
// the right edge; the blanks at such a break are dropped, and a word wider than
// the rectangle is broken between characters. Each line is aligned left,
// centred or right; a line is the font's cell high, plus its external leading
// with DT_EXTERNALLEADING. Drawing is clipped to `rect` unless DT_NOCLIP. An
// '&' underlines the next character and "&&" draws one '&', unless DT_NOPREFIX.
// The text alignment of the DC is not used.
// Returns the height of the text; with DT_VCENTER or DT_BOTTOM, the distance
// from the rectangle's top to the bottom of the text; 0 on failure or for an
// empty text. DT_CALCRECT draws nothing and sets the rectangle's right to fit
// the widest line and its bottom to fit the last.
int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format);

// The width of the characters (the sum of their advances) and the font's cell
// height.
BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size);
BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* metrics);

}  // namespace plat
