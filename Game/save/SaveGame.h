#pragma once
// Saved games: the client file ".clt" (ordinary saves, "autosave.clt" and its
// backup "asavebak.clt"), the e-mail client file ".ecl", and the listing of
// saved files for the load-game screen. A save never loses the previous one:
// the file is written whole to a temporary file beside it, forced to the disk
// and only then renamed over the old name; any failure leaves the old file as
// it was and the temporary file removed.
//
// Layout (little-endian): u8 version 2; u32 identifier; u32 turn; u32 guild;
// in ".clt" only the u8 length and the server file name with its zero; u16
// local chapter; u8 chapters per guild; the game data's block; u8 0xFE; the
// application's block; u16 count of replay files, each u32 length and bytes;
// the same for the terrain replay files. Version 1 lacks turn and guild.
//
// Game thread only.

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "platform/core/files.h"

constexpr std::uint8_t kSaveVersion = 2;
constexpr std::uint32_t kEmailSaveIdentifier = 0xFFFFFFDF;  // -33

// Packets 6 (save) and 7, 11 (load): name at 8 (256 bytes), identifier at
// 264, u16 chapter at 268, and for 7 and 11 the u32 place flag at 272.
constexpr std::size_t kSavePacketSize = 272;
constexpr std::size_t kLoadPacketSize = 276;
constexpr std::size_t kSavePacketNameSize = 256;

struct SaveHeader {
  std::uint8_t version = 0;
  std::uint32_t identifier = 0;
  std::uint32_t turn = 0;
  std::uint32_t guild = 0;
  std::string serverFile;  // empty in e-mail files
};

// Writes the whole layout into `fp` at its position: the header with
// `identifier`, the turn counter plus 1 when `advance` (the live counter is
// left as it was), the server file name unless it is null (e-mail files).
// Needs g_gameData. 1, or 0 at the first failed write.
int WriteSaveFile(plat::FILE* fp, std::uint32_t identifier, int advance, const char* serverFileName);

// Writes `directory` + `name` through a temporary file (see above). The
// server file name field is `name` with its last three characters replaced
// by "svr", unless `email`. False when anything failed: the old file stays.
bool WriteSaveFileAs(const std::string& directory, const std::string& name, std::uint32_t identifier, int advance,
                     bool email);

// A file of the save directory ("name.clt") and, while the player's own save
// waits for the server's answer, the file it stands in meanwhile: each such
// save has its own, so that two of one name settle apart.
struct SaveFile {
  std::string name;
  std::string aside;
};

// What a save command came to: the file (the name refused, as given, when it
// cannot be a file's).
struct SaveOutcome {
  enum class End { Written, Cancelled, CannotCreate, Failed };
  End end = End::Cancelled;
  SaveFile file;
  explicit operator bool() const { return end == End::Written; }
};

// The save command. With `request` (packet 6 from another player, at least
// kSavePacketSize bytes): its name with the extension replaced by ".clt",
// asking before overwriting; the packet's identifier. Without: `name`, or
// when null the save dialog's choice (`SaveLinks::chooseSaveName`); empty or
// starting with '.' cancels. The identifier is (turn << 16) + random % 65535;
// the file is written aside, not yet in its place, and on success packet 6
// goes to all: the caller waits for the server's answer and settles the save
// by it. Nothing is told: the caller tells a failure ("NOCRTFLE" with the
// name, or "SAVEFAIL") once the screen under it is whole again.
SaveOutcome SaveGame(std::span<const std::uint8_t> request, const char* name);

// The server's answer to the player's own save, written aside: with
// the server's half written, it takes its place under its name (and is told
// as the player's last save); without, it is removed, so that no half is
// left for the load screen and a save of the same name before stays whole.
// Whether the save stands.
bool SettleOwnSave(const SaveFile& save, bool serverSaved);

// Removes the files of the player's own saves that wait aside: once the game
// is left, no answer is to come for them (nor for any a sudden end left).
void DropOwnSavesAside();

// Copies "autosave.clt" to "asavebak.clt" in the save directory (through a
// temporary file too), then writes "autosave.clt" with the next turn's
// number. False on failure; both files are then as they were.
bool AutoSave(std::uint32_t identifier);

// "<e-mail directory><name without its extension>.ecl", identifier -33, no
// server file name. False on failure (the old file stays).
bool WriteEmailClientFile(const char* name);

// Reads the header fields of `name` (a DOS path), or of the name with its
// extension from the last '.' replaced by ".clt". False when neither opens
// or the header is short.
bool ReadSaveHeader(const char* name, SaveHeader* out);

// The header from an open file at its start; `email`: no server file name.
bool ReadSaveHeader(plat::FILE* fp, bool email, SaveHeader* out);

// One file of a listing.
struct SaveListEntry {
  std::string name;         // file name without its directory; without its extension unless kept
  std::time_t written = 0;  // last write time
  bool hasHeader = false;   // the header read (only for "clt" listings)
  SaveHeader header;
};

// The files "<directory>*.<extension>" (extension may hold wildcards: "s*"),
// newest first; names of at least 4 characters with a '.' fourth from the end.
// For "clt": "asavebak" stands after "autosave" when it would stand just
// before it, and each entry's header is read. The extension is cut from the
// name unless `keepExtension`. At most kMaxListedSaves entries.
constexpr std::size_t kMaxListedSaves = 4096;
std::vector<SaveListEntry> ListSaveFiles(const std::string& directory, const std::string& extension,
                                         bool keepExtension);

// Deletes "<directory><name>.<extension>" (the extension may be empty when the
// name carries its own). False when it could not be deleted.
bool DeleteSaveFile(const std::string& directory, const std::string& name, const std::string& extension);
