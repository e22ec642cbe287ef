#pragma once
// The server's files written so that a crash or a power cut at any moment
// leaves either the old file or the new one whole: the bytes go to
// "<path>.new", are forced to the disk, the temporary is renamed over the
// name, and the folder's entry is forced to the disk too. A ".new" a killed
// server left behind is removed at the next start.
//
// One thread only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The suffix of the temporary a file is written to before it takes its name.
inline constexpr const char* kSrvTemporarySuffix = ".new";

// Writes `bytes` as the file at `hostPath`; false (the old file untouched,
// the temporary removed) when any step fails.
bool SrvWriteFileDurably(const std::string& hostPath, std::span<const std::uint8_t> bytes);

// As SrvWriteFileDurably, the file it replaces (if any) taking the name
// `keptPath` over whatever had it. Nothing is moved before the new file is
// whole on the disk, so a write that fails (false) leaves both as they were.
bool SrvWriteFileDurablyKeeping(const std::string& hostPath, const std::string& keptPath,
                                std::span<const std::uint8_t> bytes);

// Whether writes wait for the disk (on at the start). A fuzzing run, which
// writes a game's files thousands of times a second into a folder that goes
// when it ends, turns it off; the temporary and the rename stay.
void SrvSetSyncedWrites(bool on);

// The whole file, or nothing when it cannot be read or is longer than `limit`.
std::optional<std::vector<std::uint8_t>> SrvReadWholeFile(const std::string& hostPath, std::size_t limit);

// Removes the temporaries of the server's own files (".svr", ".esv" and the
// e-mail input files ".s00" to ".s99", each followed by ".new") in `folder`
// (ending in '/', or empty for the current folder); the number removed.
int SrvRemoveStaleTemporaries(const std::string& folder);

// The CRC-32 (the IEEE polynomial, as zip and PNG use it) of `bytes`.
std::uint32_t SrvChecksum(std::span<const std::uint8_t> bytes);
