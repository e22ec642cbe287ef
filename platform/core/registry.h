#pragma once
// The registry: keys and string values, kept in a ".reg"-format text file in
// the configuration directory (config.h). The file is loaded on first use
// (removing what an interrupted save left) and saved after every change so
// that a crash or power loss keeps the old or the new file (durable_file.h).
// Key and value names compare without regard to case; a key keeps the spelling
// it was created with. May be called from several threads.

#include <filesystem>

#include "platform/core/systime.h"
#include "platform/core/types.h"

namespace plat {

using REGSAM = DWORD;

// Return codes.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_WRITE_FAULT = 29;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_KEY_DELETED = 1018;

// Access rights of an opened key.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Value types; only strings are kept.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;

// Key creation options and dispositions.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// The predefined root keys; never closed.
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

// Opens the existing key `subKey` ("A\B\C"; null or empty opens `key` again)
// with the rights `sam`. ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM sam, HKEY* result);

// Opens `subKey`, creating it and every missing key above it; a name holding
// a line break (which the file cannot keep) gives ERROR_INVALID_PARAMETER.
// `disposition` (may be null) receives REG_CREATED_NEW_KEY or
// REG_OPENED_EXISTING_KEY. The class, options and security arguments are
// accepted and ignored.
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM sam,
                    const void* security, HKEY* result, DWORD* disposition);

// Closes a key opened by the calls above; a predefined key stays open.
LONG RegCloseKey(HKEY key);

// Reads the value `name` (null or empty: the key's default value). `*size` is
// the buffer size in bytes; it receives the size needed, the terminating NUL
// included. With a null `data` only the size is reported. A buffer too small
// gives ERROR_MORE_DATA and leaves the buffer as it was. `type` may be null.
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);

// Stores a REG_SZ value: the text of `data` up to its first NUL or `size`
// bytes, whichever comes first. Other types, and texts holding line breaks
// (which the file cannot keep), give ERROR_INVALID_PARAMETER. ERROR_WRITE_FAULT
// when the file could not be saved (the value is kept for this run).
LONG RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);

// The name of subkey number `index`, subkeys ordered by name without regard to
// case. `*nameSize` is the buffer size in characters, NUL included; on success
// it receives the length without the NUL. ERROR_MORE_DATA when the name does
// not fit, ERROR_NO_MORE_ITEMS past the last subkey. Class and write time are
// not kept: a non-null `lastWrite` is zeroed and `*classSize` set to 0.
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* keyClass, DWORD* classSize,
                  FILETIME* lastWrite);

// Value number `index` of the key, values in the order they were first stored.
// Sizes as in RegEnumKeyEx (name, in characters) and RegQueryValueEx (data, in
// bytes); `data` and `size` may be null together.
LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, DWORD* type, BYTE* data,
                  DWORD* size);

// Points the registry at `file` instead of <config dir>/registry.reg and
// forgets what was loaded; the next call loads that file. Keys opened before
// stay valid handles but report ERROR_KEY_DELETED when their key is gone. Used
// by tests and by the data builder.
void SetRegistryFile(const std::filesystem::path& file);
// Back to the default file, nothing loaded.
void ResetRegistryFile();
// The file the registry reads and writes.
std::filesystem::path RegistryFile();

}  // namespace plat
