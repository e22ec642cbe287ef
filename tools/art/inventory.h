#pragma once
// The asset inventory: every image, cursor, sound, voice, music track and
// movie the game may ask for, read from the text files of data/assets/.
//
// A file holds blocks; each block starts with
//   module FOLDER/FILE.dll...  resources of one or more modules below C:\QUENBAR
//   folder FOLDER...           plain files below C:\QUENBAR ("CD:" first: on the CD)
// and lists entries, one a line:
//   KIND [WxH] [clear [right] N] NAME... [: LABEL]
// Images carry a size; files do not. "clear N" keeps a button's caption off its
// left N pixels, "clear right N" off its right N, where another control lies
// over it on the screen. NAME and the block's path may hold {a,b,c}
// alternatives and {0..9} / {01..16} ranges, expanded left to right. For the
// button kinds (button, side, check, choice) the names are the states of one
// button: with several names on the line, in the order normal, pressed, then
// disabled (button, side, check) or lit and disabled (choice); with one name,
// its last brace group gives the states in that order. '#' starts a comment.
// A module path "ART/GUILD<n>/..." belongs to guild n - 1. Names are kept as
// written; resource names are matched without regard to case.
// Not thread-safe to share while being read; the result is a plain value.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace art {

enum class ButtonState { Normal, Pressed, Lit, Disabled };

struct Asset {
  std::string name;
  std::string kind;
  int width = 0;  // 0 for files
  int height = 0;
  std::string label;   // shown text, or a sound's recipe
  int clearLeft = 0;   // pixels at the left the caption leaves bare
  int clearRight = 0;  // and at the right
  ButtonState state = ButtonState::Normal;
  int index = 0;  // place in its line's expansion (frames of a series count up)
  int count = 1;  // names in that expansion
};

struct Container {
  std::string path;  // "ART/FRONTEND/frontend.dll", "SOUND/g1", "CD:MUSIC"
  bool isModule = false;
  int guild = -1;  // 0..4 for a guild's folder, else -1
  std::vector<Asset> assets;

  const Asset* Find(std::string_view name) const;  // case ignored
};

struct Inventory {
  std::vector<Container> containers;  // in file order; one per expanded path

  const Container* FindContainer(std::string_view path) const;
  std::vector<const Container*> WithKind(std::string_view kind) const;  // containers holding that kind
};

// Expands {a,b} and {m..n} groups; a group without ',' or '..' stays as written.
std::vector<std::string> ExpandBraces(std::string_view text);

// Reads one inventory text; throws std::runtime_error("where:line: what") on a
// malformed line (unknown kind, missing or bad size, entry outside a block).
void ParseInventory(std::string_view text, std::string_view where, Inventory& into);

// Every *.txt of the folder, in name order.
Inventory ReadInventory(const std::filesystem::path& folder);

// Where a container lies below the installation tree: "c/QUENBAR/<path>", or
// "d/<path>" for a "CD:" path (drive D, the CD).
std::string TreeFolder(const Container& container);

// Image kinds take a size, file kinds none.
bool IsImageKind(std::string_view kind);
bool IsFileKind(std::string_view kind);

}  // namespace art
