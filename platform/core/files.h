#pragma once
// Files by DOS path, with the classic C runtime's stdio shapes and semantics.
//
// Modes: "r", "w", "a", each with optional "+", then "b" (binary) or "t" (text,
// the default), and "c"/"n" (commit on flush / no commit). Text mode turns CR LF
// into LF when reading and LF into CR LF when writing, and a Ctrl-Z (0x1A) read
// in text mode ends the file, as the classic runtime did. ftell and fseek work
// on raw file offsets in both modes, so a position taken with ftell in text mode
// can be sought back. Reading after writing (and the reverse) needs no
// intervening fseek or fflush.
//
// The seek origins and EOF are the host's (SEEK_SET, SEEK_CUR, SEEK_END, EOF
// from <cstdio>; the values are the classic ones).
// May be called from several threads; each FILE takes its own lock.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace plat {

class FILE;

// Opens `dosPath` (resolved through dospath.h) with `mode`; null when the path
// does not resolve, the mode is invalid or the file cannot be opened.
FILE* fopen(const char* dosPath, const char* mode);
// Flushes and closes; 0, or EOF when the final flush failed. Null is refused (EOF).
int fclose(FILE* f);

// Holds the file's lock for the calling thread until the matching UnlockFile,
// so that a run of calls (a whole saved game) takes it once: the calls made
// meanwhile by the holding thread take no lock, other threads wait. Pairs may
// nest. FileLockGuard below pairs them over a scope.
void LockFile(FILE* f);
void UnlockFile(FILE* f);

class FileLockGuard {
 public:
  explicit FileLockGuard(FILE* f) : f_(f) { LockFile(f_); }
  ~FileLockGuard() { UnlockFile(f_); }
  FileLockGuard(const FileLockGuard&) = delete;
  FileLockGuard& operator=(const FileLockGuard&) = delete;

 private:
  FILE* f_;
};

std::size_t fread(void* buffer, std::size_t size, std::size_t count, FILE* f);
std::size_t fwrite(const void* buffer, std::size_t size, std::size_t count, FILE* f);
int fgetc(FILE* f);
int fputc(int c, FILE* f);
// Pushes one character back; the next read returns it. EOF is refused.
int ungetc(int c, FILE* f);
// Reads up to `n` - 1 characters, stopping after a line end; null at end of file
// with nothing read, or on an error.
char* fgets(char* buffer, int n, FILE* f);
// Writes the text without its NUL; a non-negative value, or EOF.
int fputs(const char* text, FILE* f);
int fprintf(FILE* f, const char* format, ...) __attribute__((format(printf, 2, 3)));
int vfprintf(FILE* f, const char* format, std::va_list args);
// Reads by the host's scanf rules from the file's (translated) characters;
// reads no further than the conversions need.
int fscanf(FILE* f, const char* format, ...) __attribute__((format(scanf, 2, 3)));
int vfscanf(FILE* f, const char* format, std::va_list args);

// 0 on success, -1 on failure (a bad origin, a negative target).
int fseek(FILE* f, long offset, int origin);
long ftell(FILE* f);
void rewind(FILE* f);
int feof(FILE* f);
int ferror(FILE* f);
void clearerr(FILE* f);
// Writes buffered output; with the commit flag also forces it to the disk.
int fflush(FILE* f);

// Deletes a file (not a directory): 0, or -1.
int remove(const char* dosPath);
// Renames a file or directory: 0, or -1. As in the classic runtime, an existing
// file of the new name is not replaced (-1).
int rename(const char* oldDosPath, const char* newDosPath);

// The whole content of a file; nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(std::string_view dosPath);
std::optional<std::vector<std::uint8_t>> ReadHostFile(const std::filesystem::path& hostPath);

// A whole file mapped into memory, copy-on-write: the bytes may be changed in
// place, and the changes stay private to this mapping (the file never sees
// them). Unmapped when the object goes.
class MappedFile {
 public:
  static std::optional<MappedFile> Open(std::string_view dosPath);
  static std::optional<MappedFile> OpenHost(const std::filesystem::path& hostPath);

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  std::span<std::uint8_t> bytes() { return {data_, size_}; }
  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }
  std::size_t size() const { return size_; }

 private:
  MappedFile(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace plat
