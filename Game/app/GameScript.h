#pragma once
// Scripts of a scripted run: timed input, waits and captures, one step a line.
//
//   # a comment                 blank lines and comments are skipped
//   click X Y [right]           a mouse click at a screen point
//   move X Y                    the mouse moves to a screen point and rests
//   dblclick X Y                two left clicks at a point within the
//                               double-click time
//   drag X Y TOX TOY [ctrl|shift]  the left button pressed at a point,
//                               carried to another and let go there, with
//                               the key held throughout
//   hold ctrl|shift|alt         the modifier key pressed and kept down
//                               through the steps that follow (e.g. Alt
//                               with a right click for context help)
//   release ctrl|shift|alt      the held modifier key let go
//   key NAME                    a key press: a letter, a digit, or ESCAPE,
//                               RETURN, TAB, SPACE, BACK, DELETE, SHIFT, ALT,
//                               UP, DOWN, LEFT, RIGHT, HOME, END, F1 .. F12
//   text "WORDS"                the characters typed one by one (letters,
//                               digits, blanks)
//   sleep MS [real]             lets MS milliseconds pass
//   wait dialog NAME [MS]       until a dialog of template NAME is open and
//                               shown (done with its initialisation, which
//                               may wait on the server)
//   wait closed NAME [MS]       until no dialog of template NAME is open
//   wait text "WORDS" [MS]      until a visible window's text, or a message
//                               box's message, contains WORDS
//   wait packet TYPE [MS]       until a packet of that type was dispatched
//   wait packets TYPE N [MS]    until N packets of that type were dispatched
//                               (e.g. the second turn's results)
//   wait enabled X Y [MS]       until the control at a screen point is enabled
//   wait items X Y N [MS]       until the list box at a screen point holds at
//                               least N lines
//   wait frames N               until N frame periods (35 ms) have passed
//   wait gone FILE [MS]         until no file of that name is in the
//                               program's folder (another process removes it)
//   capture FILE.png            writes the screen as a PNG
//   model FILE.bin              writes the game data's block as a saved game
//                               holds it (the world model, for comparing it
//                               across a save and a load); fails with no game
//
// A wait gives up after MS milliseconds of program time (10000 by default).
// The headless program's clock races ahead while nothing happens, so a wait
// on another process ends the line with "real": its MS then count on the
// wall clock (e.g. "wait packet 0 30000 real"); so may a sleep that lets
// another process get ahead. A met wait starts the random
// numbers over, so what follows it repeats from run to run; an animation the
// wait left running is over after 120 frames.
// Game thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr std::uint32_t kDefaultWaitMs = 10000;

struct ScriptStep {
  enum class Kind {
    Click,
    DoubleClick,
    Move,
    Drag,
    Hold,
    Release,
    Key,
    Text,
    Sleep,
    WaitDialog,
    WaitClosed,
    WaitText,
    WaitPacket,
    WaitEnabled,
    WaitItems,
    WaitFrames,
    WaitGone,
    Capture,
    Model
  };
  Kind kind = Kind::Sleep;
  int x = 0;
  int y = 0;
  bool right = false;
  int toX = 0;  // where a drag lets go
  int toY = 0;
  std::uint32_t held = 0;    // the key a drag holds (0: none)
  std::uint32_t vk = 0;      // the key pressed, held or released
  std::string text;          // typed text, dialog name, window text, capture, model or awaited file
  std::uint32_t number = 0;  // packet type, frame count, line count or sleep time
  std::uint32_t count = 1;   // packets of the type to wait for
  std::uint32_t timeoutMs = kDefaultWaitMs;
  bool realTime = false;  // timeoutMs (or the sleep) counts on the wall clock
  int line = 0;
};

// The steps, or nothing with `error` saying which line is wrong and why.
// Scripts longer than 100000 lines or with a line longer than 1000
// characters are refused.
std::optional<std::vector<ScriptStep>> ParseGameScript(std::string_view text, std::string& error);

// The virtual-key code of a key name; 0 for an unknown name.
std::uint32_t KeyCodeOf(std::string_view name);
