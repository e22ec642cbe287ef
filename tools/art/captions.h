#pragma once
// The words painted on the front-end backdrops (and, from a second table of the
// same form, data/assets/dialog_captions.tab, on the game's dialog panels, whose
// "at" places are the panel's pixels): one table (data/assets/captions.tab)
// says, per screen, which control gets which caption and on which side; where the
// control lies comes from the dialog templates the program loads (data/frontend.rc),
// so a moved control moves its caption. Controls a screen places in code have no
// template line; their captions are given at a place on the screen.
//
// Table lines ('#' starts a comment):
//   screen BACKDROP TEMPLATE [banner Y] [in MODULE]
//                                         following lines caption this backdrop; the
//                                         screen's name banner starts at Y (0: the top);
//                                         with "in", only the picture of that name in
//                                         MODULE ("ART/ima.dll"), where modules share names
//   CONTROL SIDE TEXT                     beside a template control; SIDE is left, right,
//                                         above (left-aligned) or below
//   at X Y TEXT                           at a place on the 800 x 600 screen
//   to X Y TEXT                           ending at X there (a row's label left of it)
//   heading X Y TEXT                      a group's title there, larger and brighter
// TEXT "$NAME" is the string table's text of that name.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace art {

struct Box {
  double x = 0, y = 0, w = 0, h = 0;
  bool Overlaps(const Box& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
  bool Inside(double width, double height) const { return x >= 0 && y >= 0 && x + w <= width && y + h <= height; }
};

// A template control on the screen: the template's dialog units scaled to the
// 800 x 600 screen the 533 x 400 templates fill.
struct TemplateControl {
  std::string name;  // "IDC_CONFIG_TURN_TIME"
  std::string kind;  // "EDITTEXT", "LISTBOX", "CONTROL"
  Box place;
};
using Templates = std::map<std::string, std::vector<TemplateControl>>;  // by dialog name

// Reads the dialogs of a resource script: each "NAME DIALOG" block's EDITTEXT,
// LISTBOX and CONTROL lines. Throws std::runtime_error("line N: what") on a
// control line it cannot read.
Templates ReadTemplates(std::string_view script);

// NAME -> text of a string table source ("NAME ID \"text\"" lines).
std::map<std::string, std::string> ReadStringNames(std::string_view table);

struct CaptionLine {
  std::string control;  // template control, or empty for a place on the screen
  std::string side;     // left, right, above, below; "at", "to" or "heading" for a place
  double x = 0, y = 0;  // the place, for "at" and "heading"
  std::string text;
};

struct ScreenCaptions {
  std::string backdrop;  // "bkgnd4.ima", as the inventory names it (case ignored)
  std::string dialog;    // "IDD_CONFIG"
  double bannerY = 0;
  std::string module;  // "ART/ima.dll"; empty: the backdrop in every module
  std::vector<CaptionLine> lines;
};

// Throws std::runtime_error("captions:N: what") on a malformed line, an unknown
// side or a "$NAME" the strings lack.
std::vector<ScreenCaptions> ReadCaptionTable(std::string_view text, const std::map<std::string, std::string>& strings);

constexpr double kCaptionSize = 14;  // pixels: the smallest lettering on a backdrop
constexpr double kHeadingSize = 17;
constexpr double kBannerHeight = 42;

struct PlacedCaption {
  Box box;
  std::string text;
  double size = kCaptionSize;
  bool heading = false;
};

// Where each caption of a screen goes, measured in the lettering it is drawn in.
// Throws std::runtime_error when a line names a control its template lacks.
std::vector<PlacedCaption> LayOutCaptions(const ScreenCaptions& screen, const Templates& templates);
Box BannerBox(const ScreenCaptions& screen);

}  // namespace art
