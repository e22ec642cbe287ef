#pragma once
// Resource modules: resource-only DLLs loaded as data, and the calls that find
// and read their resources. A module handle stands for the loaded file; the
// bytes of its resources stay valid until the last FreeLibrary of it. A null
// module handle in any call means the program's own module. May be called from
// several threads.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/resource/resname.h"

namespace plat {

// A call looked up by name; cast to its own type before calling.
using FARPROC = void (*)();

// Loads a resource module by DOS path ("C:\QUENBAR\ART\ima.dll", resolved
// without regard to case) or host path. A bare system name ("KERNEL32.DLL")
// gives that system module, which holds no resources, only the calls
// GetProcAddress finds, and is never unloaded. Loading the same file again returns
// the same handle and counts one more reference. Null when the file is missing,
// unreadable or not a well-formed module (see LastModuleError).
HMODULE LoadLibrary(const char* dosOrHostName);
// A module read from bytes in memory (each call makes a new module).
HMODULE LoadLibraryFromMemory(std::span<const std::uint8_t> bytes);
// Drops one reference; the last one unloads the module. FALSE for a handle
// that is not a loaded module. The program's module is never unloaded.
BOOL FreeLibrary(HMODULE module);

// Null: the program's own module ("quenbar.dll" beside the executable, or the
// file set with SetProgramModulePath). When that file is missing or unreadable
// the program's module is an empty one, so every lookup in it fails. Another
// name: the loaded module whose file has that name (case-blind), else null.
HMODULE GetModuleHandle(const char* name);
// Chooses the program's module file; takes effect at the next GetModuleHandle.
void SetProgramModulePath(const std::filesystem::path& hostPath);
// The program's module file when it could not be read as a module (missing,
// unreadable or not well formed), so that the program's module is the empty
// one; nothing when it was read. Reads it first if nothing has yet.
std::optional<std::filesystem::path> UnreadProgramModule();

// The call `name` (case matters) of a system module; null for other modules
// and names. KERNEL32.DLL offers "GetDiskFreeSpaceExA" (GetDiskFreeSpaceEx).
FARPROC GetProcAddress(HMODULE module, const char* name);

// A number no other module is ever given, not even one loaded later at the
// same address: caches of objects made from a module's resources key by it.
// 0 for a handle that is not a loaded module.
std::uint64_t ModuleSerial(HMODULE module);

// Why the last LoadLibrary, LoadLibraryFromMemory or program-module load of this
// thread failed.
const std::string& LastModuleError();

// The resource of that name and type (first language found), or null.
HRSRC FindResource(HMODULE module, const ResName& name, const ResName& type);
// The loaded resource (its handle), or null for a bad resource handle.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The resource's bytes, or null. Read them only up to SizeofResource.
const BYTE* LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Resources need no freeing; kept for the callers that do it. Returns FALSE.
BOOL FreeResource(HGLOBAL loaded);

// The bytes of a resource found by name and type; empty when it is missing.
std::span<const BYTE> ResourceBytes(HMODULE module, const ResName& name, const ResName& type);

// Copies string `id` of the module's string tables into buf as 8-bit text
// (Windows-1252, '?' for characters it lacks), at most size - 1 characters and
// a NUL. Returns the number of characters copied; 0 when the string is missing
// or empty (buf then holds an empty string) or when buf is null or size < 1.
int LoadString(HMODULE module, UINT id, char* buf, int size);

}  // namespace plat
