#pragma once
// Replacing a file so that a crash or a power loss at any moment leaves either
// the old file or the new one, never a mix or nothing. May be called from
// several threads (for different files).

#include <filesystem>
#include <functional>
#include <string_view>

namespace plat {

// Writes `contents` to a temporary file beside `file` ("<name>.tmp-<pid>"),
// syncs it, syncs the directory, renames it over `file` and syncs the
// directory again. False when a step fails; the old file is then untouched and
// the temporary file removed.
bool ReplaceFileDurably(const std::filesystem::path& file, std::string_view contents);

// Removes the temporary files an interrupted ReplaceFileDurably of `file` left
// behind: those of processes that no longer run, and this process's own.
void RemoveStaleTemporaries(const std::filesystem::path& file);

// Called with every file and directory ReplaceFileDurably syncs, in order (for
// tests); null stops it.
void SetSyncObserver(std::function<void(const std::filesystem::path&)> observer);

}  // namespace plat
