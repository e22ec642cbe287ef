#pragma once
// What the in-game dialogs share in drawing: where their pictures come from,
// the redraw of the game view when one closes, and the owner-drawn list line
// over the dialog's background. Game thread only.

#include <string>
#include <string_view>

#include "platform/core/types.h"
#include "platform/dialog/ownerdraw.h"

class CSprite;

// The game's art path followed by `name`.
std::string DialogArt(std::string_view name);
// The local guild's art path followed by `name`.
std::string GuildArt(std::string_view name);
// The local guild's image module; the game's image module when it has none.
plat::HMODULE LocalGuildModule();
// The local guild, 0..4 (0 without a game).
int LocalGuildIndex();
// The game view redraws itself whole, as after every in-game dialog.
void RedrawGameView();
// One line of an owner-drawn list in "Times New Roman", 15 pixels high:
// `selected` or `normal` colour on the dialog's background, which is put
// back under the line first.
void DrawDialogListLine(const plat::DRAWITEMSTRUCT& item, CSprite* background, std::string_view text,
                        plat::COLORREF selected, plat::COLORREF normal);
// Lets an edit or list show the background through it.
plat::LRESULT TransparentControlColour(plat::HDC dc);
// The text of a text ID: the application's, else the game's text index
// (empty without either).
std::string DialogText(const char* id);
// The "click" of every press.
void PlayDialogClick();
// The program's instance, where the dialog templates are (null without the
// application).
plat::HINSTANCE DialogInstance();
// Writes `text` into the background picture over `area` (dialog pixels), in
// "Times New Roman" bold, `height` pixels high: the captions of fields the
// picture does not name.
void WriteOnBackground(CSprite* background, const plat::RECT& area, std::string_view text, int height,
                       plat::COLORREF colour, plat::UINT format);
// Puts the background back over a control that has no picture of its own.
void RestoreUnderControl(CSprite* background, plat::HWND control);
// The colour of the captions written on the backgrounds.
constexpr plat::COLORREF kCaptionColour = plat::RGB(235, 215, 150);
// Writes the four minerals' names ("MINTYPE0".."MINTYPE3") over their areas.
void WriteMineralNames(CSprite* background, const plat::RECT (&areas)[4]);
