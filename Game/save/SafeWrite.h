#pragma once
// Writing a file so that a failure at any point leaves the old file whole:
// the body goes to "<path>.tmp", is forced to the disk, and only then is
// renamed over the old name. File names of saved games, and their checks.
//
// Game thread only.

#include <functional>
#include <string>
#include <string_view>

#include "platform/core/files.h"

enum class WriteResult { Written, CannotCreate, Failed };

// Runs `body` over a new temporary file beside `dosPath` and renames it into
// place. CannotCreate when the temporary file cannot be made; Failed when
// `body` fails, a write or the flush fails, or the rename fails. Unless
// Written, the old file is untouched and the temporary file removed.
WriteResult WriteFileSafely(const std::string& dosPath, const std::function<bool(plat::FILE*)>& body);

// The same in two steps, for a file that takes the old one's place only once
// something else is sure: the body written to `aside` and forced to the disk,
// the old file untouched (results as above)...
WriteResult WriteFileAside(const std::string& aside, const std::function<bool(plat::FILE*)>& body);
// ...then renamed over `dosPath` (false when it cannot be: `aside` is
// removed), or removed.
bool PutFileInPlace(const std::string& aside, const std::string& dosPath);
void DropFileAside(const std::string& aside);
// The temporary file of a safe write of `dosPath`.
std::string AsideOf(const std::string& dosPath);

// `name` with its extension from the last '.' replaced by `extension` (".clt"),
// or with `extension` appended when it has no '.'.
std::string ReplaceExtension(std::string_view name, std::string_view extension);
// `name` without its extension from the last '.'.
std::string StripExtension(std::string_view name);

// A plain file name: not empty, no directory or drive part, no "..". Names
// that come from other players pass through this before they reach a path.
bool IsPlainFileName(std::string_view name);
