#include "platform/core/files.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/dospath.h"

namespace plat {

namespace {

constexpr int kCtrlZ = 0x1A;

struct Mode {
  int flags = 0;
  bool read = false;
  bool write = false;
  bool text = true;
  bool commit = false;
};

std::optional<Mode> ParseMode(const char* mode) {
  if (mode == nullptr) return std::nullopt;
  Mode m;
  switch (mode[0]) {
    case 'r':
      m.read = true;
      break;
    case 'w':
      m.write = true;
      m.flags = O_CREAT | O_TRUNC;
      break;
    case 'a':
      m.write = true;
      m.flags = O_CREAT | O_APPEND;
      break;
    default:
      return std::nullopt;
  }
  bool plus = false, kind = false, commitFlag = false;
  for (const char* p = mode + 1; *p != '\0'; ++p) {
    switch (*p) {
      case '+':
        if (plus) return std::nullopt;
        plus = true;
        break;
      case 'b':
      case 't':
        if (kind) return std::nullopt;
        kind = true;
        m.text = (*p == 't');
        break;
      case 'c':
      case 'n':
        if (commitFlag) return std::nullopt;
        commitFlag = true;
        m.commit = (*p == 'c');
        break;
      default:
        return std::nullopt;
    }
  }
  if (plus) m.read = m.write = true;
  m.flags |= (m.read && m.write) ? O_RDWR : (m.write ? O_WRONLY : O_RDONLY);
  return m;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Opens a regular file (not a directory) for reading.
int OpenRegularForRead(const std::filesystem::path& host, struct stat* st) {
  const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

// The lock each FILE takes for the length of one call, which LockFile can hold
// over a run of calls. Calls that read or write a few bytes are the common
// case (one field of a saved block each): a call from the thread that holds
// the lock only counts itself in and out, and an uncontended lock and unlock
// is a single atomic exchange each. A thread that finds the lock held by
// another sleeps in the kernel until the holder lets go.
class FileLock {
 public:
  void lock() {
    const std::uintptr_t me = ThisThread();
    if (owner_.load(std::memory_order_relaxed) == me) {
      ++depth_;
      return;
    }
    int seen = kFree;
    if (!state_.compare_exchange_strong(seen, kHeld, std::memory_order_acquire)) {
      if (seen != kContended) seen = state_.exchange(kContended, std::memory_order_acquire);
      while (seen != kFree) {
        state_.wait(kContended, std::memory_order_relaxed);
        seen = state_.exchange(kContended, std::memory_order_acquire);
      }
    }
    owner_.store(me, std::memory_order_relaxed);
    depth_ = 1;
  }
  void unlock() {
    if (--depth_ > 0) return;
    owner_.store(0, std::memory_order_relaxed);
    if (state_.exchange(kFree, std::memory_order_release) == kContended) state_.notify_one();
  }

 private:
  static constexpr int kFree = 0;
  static constexpr int kHeld = 1;
  static constexpr int kContended = 2;
  static std::uintptr_t ThisThread() {
    static thread_local const char tag = 0;
    return reinterpret_cast<std::uintptr_t>(&tag);
  }
  std::atomic<int> state_{kFree};
  // Only the holder writes these, and only the holder can find its own mark.
  std::atomic<std::uintptr_t> owner_{0};
  unsigned depth_ = 0;
};

// An open file: the descriptor, one buffer holding either raw bytes read ahead
// or raw bytes waiting to be written (never both), and the classic
// one-character push-back. The descriptor's offset is remembered, so that
// positions and seeks inside the buffer cost no system call.
class FILE {
 public:
  FILE(int fd, const Mode& mode) : fd_(fd), mode_(mode) {}
  ~FILE() { ::close(fd_); }
  FILE(const FILE&) = delete;
  FILE& operator=(const FILE&) = delete;

  int GetChar() {
    if (!mode_.read) return Fail();
    if (pushback_ >= 0) {
      const int c = pushback_;
      pushback_ = -1;
      lastRawLen_ = 0;
      return c;
    }
    const int c = PeekRaw();
    if (c == EOF || (mode_.text && c == kCtrlZ)) {
      if (c == EOF && error_) return EOF;
      eof_ = true;
      return EOF;
    }
    ++readPos_;
    lastRawLen_ = 1;
    if (mode_.text && c == '\r' && PeekRaw() == '\n') {
      ++readPos_;
      lastRawLen_ = 2;
      return '\n';
    }
    return c;
  }

  int UngetChar(int c) {
    if (c == EOF || !mode_.read) return EOF;
    const int ch = static_cast<unsigned char>(c);
    // The character just read is put back into the raw buffer, so positions
    // stay exact; anything else takes the one push-back slot.
    if (pushback_ < 0 && lastRawLen_ > 0 && readPos_ >= lastRawLen_ && Translated(readPos_ - lastRawLen_) == ch) {
      readPos_ -= lastRawLen_;
    } else if (pushback_ < 0) {
      pushback_ = ch;
    } else {
      return EOF;
    }
    lastRawLen_ = 0;
    eof_ = false;
    return ch;
  }

  // The common read: a field of a binary file, whole in the buffer. False,
  // with nothing read, otherwise.
  [[gnu::always_inline]] bool ReadBuffered(char* out, std::size_t size) {
    if (mode_.text || pushback_ >= 0 || size > readEnd_ - readPos_) return false;
    const char* from = buffer_ + readPos_;
    switch (size) {  // fields of one to eight bytes, copied without a call
      case 1:
        *out = *from;
        break;
      case 2:
        std::memcpy(out, from, 2);
        break;
      case 4:
        std::memcpy(out, from, 4);
        break;
      case 8:
        std::memcpy(out, from, 8);
        break;
      default:
        std::memcpy(out, from, size);
        break;
    }
    readPos_ += size;
    lastRawLen_ = 0;
    return true;
  }

  std::size_t Read(char* out, std::size_t size) {
    if (ReadBuffered(out, size)) return size;
    std::size_t done = 0;
    while (done < size) {
      // Large binary reads go straight to the caller's memory.
      if (!mode_.text && pushback_ < 0 && readPos_ == readEnd_ && size - done >= kBufferSize) {
        if (!FlushWrites()) break;
        const ssize_t n = ::read(fd_, out + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          (n < 0 ? error_ : eof_) = true;
          break;
        }
        Advanced(n);
        done += static_cast<std::size_t>(n);
        readPos_ = readEnd_ = 0;
        lastRawLen_ = 0;
        continue;
      }
      if (!mode_.text && pushback_ < 0 && readPos_ < readEnd_) {
        const std::size_t n = std::min(size - done, readEnd_ - readPos_);
        std::memcpy(out + done, buffer_ + readPos_, n);
        readPos_ += n;
        done += n;
        lastRawLen_ = 0;
        continue;
      }
      const int c = GetChar();
      if (c == EOF) break;
      out[done++] = static_cast<char>(c);
    }
    return done;
  }

  // The common write: a field of a binary file that fits the buffer's room
  // (with at least a byte to spare, so the buffer never fills here). False,
  // with nothing written, otherwise.
  [[gnu::always_inline]] bool WriteBuffered(const char* data, std::size_t size) {
    if (mode_.text || !mode_.write || readEnd_ != 0 || pushback_ >= 0 || size >= kBufferSize - writeLen_) return false;
    char* to = buffer_ + writeLen_;
    switch (size) {
      case 1:
        *to = *data;
        break;
      case 2:
        std::memcpy(to, data, 2);
        break;
      case 4:
        std::memcpy(to, data, 4);
        break;
      case 8:
        std::memcpy(to, data, 8);
        break;
      default:
        std::memcpy(to, data, size);
        break;
    }
    writeLen_ += size;
    return true;
  }

  bool Write(const char* data, std::size_t size) {
    if (!mode_.write) {
      Fail();
      return false;
    }
    if (!DropReadAhead()) return false;
    if (!mode_.text) {
      if (size <= kBufferSize - writeLen_) {
        std::memcpy(buffer_ + writeLen_, data, size);
        writeLen_ += size;
        return writeLen_ < kBufferSize || FlushWrites();
      }
      // What does not fit goes out with the buffer's content; a large write
      // goes straight from the caller's memory.
      if (!FlushWrites()) return false;
      if (size >= kBufferSize) return WriteOut(data, size);
      std::memcpy(buffer_, data, size);
      writeLen_ = size;
      return true;
    }
    for (std::size_t i = 0; i < size; ++i) {
      // Room for a CR LF pair: a line end is never split over two flushes.
      if (kBufferSize - writeLen_ < 2 && !FlushWrites()) return false;
      if (data[i] == '\n') buffer_[writeLen_++] = '\r';
      buffer_[writeLen_++] = data[i];
    }
    return writeLen_ < kBufferSize || FlushWrites();
  }

  bool Flush() {
    if (!FlushWrites()) return false;
    if (mode_.commit && mode_.write && ::fsync(fd_) != 0) {
      error_ = true;
      return false;
    }
    return true;
  }

  // Writes what is buffered, so that the file holds everything up to the
  // position told, as the classic runtime's ftell left it.
  long Tell() {
    if (!FlushWrites()) return -1;
    const off_t at = DescriptorOffset();
    if (at < 0) return -1;
    const off_t pos = at - static_cast<off_t>(readEnd_ - readPos_) - (pushback_ >= 0 ? 1 : 0);
    return pos > std::numeric_limits<long>::max() ? -1 : static_cast<long>(std::max<off_t>(pos, 0));
  }

  int Seek(long offset, int origin) {
    if (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) return -1;
    off_t target = offset;
    if (origin == SEEK_CUR) {
      const long here = Tell();
      if (here < 0) return -1;
      target += here;
    }
    if (origin != SEEK_END && target < 0) return -1;
    // A target inside the bytes read ahead is reached without the kernel.
    if (origin != SEEK_END && readEnd_ > 0 && fdPos_ >= 0) {
      const off_t bufferStart = fdPos_ - static_cast<off_t>(readEnd_);
      if (target >= bufferStart && target <= fdPos_) {
        readPos_ = static_cast<std::size_t>(target - bufferStart);
        pushback_ = -1;
        lastRawLen_ = 0;
        eof_ = false;
        return 0;
      }
    }
    if (!FlushWrites()) return -1;
    const off_t at = ::lseek(fd_, origin == SEEK_END ? offset : target, origin == SEEK_END ? SEEK_END : SEEK_SET);
    if (at < 0) return -1;
    fdPos_ = at;
    readPos_ = readEnd_ = 0;
    pushback_ = -1;
    lastRawLen_ = 0;
    eof_ = false;
    return 0;
  }

  // Each call holds the file's lock, as the classic runtime's stream lock did,
  // so threads sharing a file never corrupt it.
  FileLock& mutex() { return lock_; }
  bool eof() const { return eof_; }
  bool error() const { return error_; }
  void ClearFlags() { eof_ = error_ = false; }
  bool readable() const { return mode_.read; }

 private:
  // Large enough that a saved game goes out in a few dozen writes.
  static constexpr std::size_t kBufferSize = 32 * 1024;

  int Fail() {
    error_ = true;
    return EOF;
  }

  // The descriptor's offset, asked of the kernel only when not known (after
  // an appending write).
  off_t DescriptorOffset() {
    if (fdPos_ < 0) fdPos_ = ::lseek(fd_, 0, SEEK_CUR);
    return fdPos_;
  }
  void Advanced(ssize_t n) {
    if (fdPos_ >= 0) fdPos_ += n;
  }

  // The raw byte at the read position, refilling the buffer when it is spent.
  int PeekRaw() {
    if (readPos_ == readEnd_) {
      if (!FlushWrites()) return EOF;
      ssize_t n;
      do {
        n = ::read(fd_, buffer_, kBufferSize);
      } while (n < 0 && errno == EINTR);
      if (n < 0) error_ = true;
      readPos_ = 0;
      readEnd_ = n > 0 ? static_cast<std::size_t>(n) : 0;
      lastRawLen_ = 0;
      if (n <= 0) return EOF;
      Advanced(n);
    }
    return static_cast<unsigned char>(buffer_[readPos_]);
  }

  // The character that the raw bytes at `at` read as.
  int Translated(std::size_t at) const {
    const int c = static_cast<unsigned char>(buffer_[at]);
    return (mode_.text && c == '\r' && lastRawLen_ == 2) ? '\n' : c;
  }

  // Before a write: the bytes read ahead are given back to the file position.
  bool DropReadAhead() {
    const off_t unread = static_cast<off_t>(readEnd_ - readPos_) + (pushback_ >= 0 ? 1 : 0);
    if (unread > 0 && !(mode_.flags & O_APPEND)) {
      const off_t at = ::lseek(fd_, -unread, SEEK_CUR);
      if (at < 0) {
        error_ = true;
        return false;
      }
      fdPos_ = at;
    }
    readPos_ = readEnd_ = 0;
    pushback_ = -1;
    lastRawLen_ = 0;
    return true;
  }

  bool WriteOut(const char* data, std::size_t size) {
    const bool ok = WriteAll(fd_, data, size);
    // An appending write lands at the end, wherever the offset was.
    if (mode_.flags & O_APPEND) {
      fdPos_ = -1;
    } else if (ok) {
      Advanced(static_cast<ssize_t>(size));
    } else {
      fdPos_ = -1;
    }
    if (!ok) error_ = true;
    return ok;
  }

  bool FlushWrites() {
    if (writeLen_ == 0) return true;
    const std::size_t size = std::exchange(writeLen_, 0);
    return WriteOut(buffer_, size);
  }

  FileLock lock_;
  int fd_;
  Mode mode_;
  off_t fdPos_ = 0;  // the descriptor's offset; -1 when unknown
  std::size_t readPos_ = 0;
  std::size_t readEnd_ = 0;
  std::size_t writeLen_ = 0;
  std::size_t lastRawLen_ = 0;  // raw bytes the last character read took, 0 when unknown
  int pushback_ = -1;
  bool eof_ = false;
  bool error_ = false;
  char buffer_[kBufferSize];
};

FILE* fopen(const char* dosPath, const char* mode) {
  const auto m = ParseMode(mode);
  if (!m || dosPath == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  const auto host = ResolveDosPath(dosPath);
  if (!host) {
    errno = ENOENT;
    return nullptr;
  }
  const int fd = ::open(host->c_str(), m->flags | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return nullptr;
  }
  return std::make_unique<FILE>(fd, *m).release();
}

void LockFile(FILE* f) {
  if (f != nullptr) f->mutex().lock();
}

void UnlockFile(FILE* f) {
  if (f != nullptr) f->mutex().unlock();
}

int fclose(FILE* f) {
  if (f == nullptr) return EOF;
  std::unique_ptr<FILE> owned(f);
  std::lock_guard lock(owned->mutex());
  return owned->Flush() ? 0 : EOF;
}

std::size_t fread(void* buffer, std::size_t size, std::size_t count, FILE* f) {
  if (f == nullptr || buffer == nullptr || size == 0 || count == 0) return 0;
  if (count > std::numeric_limits<std::size_t>::max() / size) return 0;
  std::lock_guard lock(f->mutex());
  if (f->ReadBuffered(static_cast<char*>(buffer), size * count)) return count;
  const std::size_t got = f->Read(static_cast<char*>(buffer), size * count);
  return got == size * count ? count : got / size;  // a whole read needs no division
}

std::size_t fwrite(const void* buffer, std::size_t size, std::size_t count, FILE* f) {
  if (f == nullptr || buffer == nullptr || size == 0 || count == 0) return 0;
  if (count > std::numeric_limits<std::size_t>::max() / size) return 0;
  std::lock_guard lock(f->mutex());
  if (f->WriteBuffered(static_cast<const char*>(buffer), size * count)) return count;
  return f->Write(static_cast<const char*>(buffer), size * count) ? count : 0;
}

int fgetc(FILE* f) {
  if (f == nullptr) return EOF;
  std::lock_guard lock(f->mutex());
  return f->GetChar();
}

int fputc(int c, FILE* f) {
  if (f == nullptr) return EOF;
  const char ch = static_cast<char>(c);
  std::lock_guard lock(f->mutex());
  return f->Write(&ch, 1) ? static_cast<unsigned char>(ch) : EOF;
}

int ungetc(int c, FILE* f) {
  if (f == nullptr) return EOF;
  std::lock_guard lock(f->mutex());
  return f->UngetChar(c);
}

char* fgets(char* buffer, int n, FILE* f) {
  if (f == nullptr || buffer == nullptr || n <= 0) return nullptr;
  std::lock_guard lock(f->mutex());
  int used = 0;
  while (used < n - 1) {
    const int c = f->GetChar();
    if (c == EOF) break;
    buffer[used++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[used] = '\0';
  return (used == 0 && n > 1) || f->error() ? nullptr : buffer;
}

int fputs(const char* text, FILE* f) {
  if (f == nullptr || text == nullptr) return EOF;
  std::lock_guard lock(f->mutex());
  return f->Write(text, std::strlen(text)) ? 0 : EOF;
}

int vfprintf(FILE* f, const char* format, std::va_list args) {
  if (f == nullptr || format == nullptr) return -1;
  // Most lines fit the stack; only a longer text is formatted on the heap.
  char line[512];
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(line, sizeof line, format, again);
  va_end(again);
  if (length < 0) return -1;
  std::string longer;
  const char* text = line;
  if (static_cast<std::size_t>(length) >= sizeof line) {
    longer.assign(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(longer.data(), longer.size(), format, args);
    text = longer.data();
  }
  std::lock_guard lock(f->mutex());
  return f->Write(text, static_cast<std::size_t>(length)) ? length : -1;
}

int fprintf(FILE* f, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const int n = vfprintf(f, format, args);
  va_end(args);
  return n;
}

int vfscanf(FILE* f, const char* format, std::va_list args) {
  if (f == nullptr || format == nullptr || !f->readable()) return EOF;
  std::lock_guard lock(f->mutex());
  // The host's scanf reads through a bridge stream that takes one character
  // at a time from `f`; the bridge is unbuffered, so at most the one character
  // scanf looked at and left is still in it, and goes back to `f`.
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buf, std::size_t size) -> ssize_t {
    if (size == 0) return 0;
    const int c = static_cast<FILE*>(cookie)->GetChar();
    if (c == EOF) return 0;
    buf[0] = static_cast<char>(c);
    return 1;
  };
  ::FILE* bridge = ::fopencookie(f, "r", io);
  if (bridge == nullptr) return EOF;
  ::setvbuf(bridge, nullptr, _IONBF, 0);
  const int result = std::vfscanf(bridge, format, args);
  for (char* p = bridge->_IO_read_end; p > bridge->_IO_read_ptr;) f->UngetChar(static_cast<unsigned char>(*--p));
  bridge->_IO_read_end = bridge->_IO_read_ptr;
  ::fclose(bridge);
  return result;
}

int fscanf(FILE* f, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const int n = vfscanf(f, format, args);
  va_end(args);
  return n;
}

int fseek(FILE* f, long offset, int origin) {
  if (f == nullptr) return -1;
  std::lock_guard lock(f->mutex());
  return f->Seek(offset, origin);
}

long ftell(FILE* f) {
  if (f == nullptr) return -1;
  std::lock_guard lock(f->mutex());
  return f->Tell();
}

void rewind(FILE* f) {
  if (f == nullptr) return;
  std::lock_guard lock(f->mutex());
  f->Seek(0, SEEK_SET);
  f->ClearFlags();
}

int feof(FILE* f) {
  if (f == nullptr) return 0;
  std::lock_guard lock(f->mutex());
  return f->eof() ? 1 : 0;
}

int ferror(FILE* f) {
  if (f == nullptr) return 0;
  std::lock_guard lock(f->mutex());
  return f->error() ? 1 : 0;
}

void clearerr(FILE* f) {
  if (f == nullptr) return;
  std::lock_guard lock(f->mutex());
  f->ClearFlags();
}

int fflush(FILE* f) {
  if (f == nullptr) return EOF;
  std::lock_guard lock(f->mutex());
  return f->Flush() ? 0 : EOF;
}

int remove(const char* dosPath) {
  const auto host = dosPath != nullptr ? ResolveDosPath(dosPath) : std::nullopt;
  if (!host) {
    errno = ENOENT;
    return -1;
  }
  return ::unlink(host->c_str()) == 0 ? 0 : -1;
}

int rename(const char* oldDosPath, const char* newDosPath) {
  const auto from = oldDosPath != nullptr ? ResolveDosPath(oldDosPath) : std::nullopt;
  const auto to = newDosPath != nullptr ? ResolveDosPath(newDosPath) : std::nullopt;
  if (!from || !to) {
    errno = ENOENT;
    return -1;
  }
  struct stat st {};
  if (::lstat(to->c_str(), &st) == 0 && *from != *to) {
    errno = EACCES;
    return -1;
  }
  return ::rename(from->c_str(), to->c_str()) == 0 ? 0 : -1;
}

std::optional<std::vector<std::uint8_t>> ReadHostFile(const std::filesystem::path& hostPath) {
  struct stat st {};
  const int fd = OpenRegularForRead(hostPath, &st);
  if (fd < 0) return std::nullopt;
  // Sized by the file as it was opened; a file that grows meanwhile is read
  // to its new end, one that shrinks to where it ends.
  // The end is looked for with a read into a small block of its own: a file
  // read whole would otherwise grow its buffer (a copy of every byte) for a
  // read that finds nothing more.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  std::size_t have = 0;
  std::uint8_t probe[4096];
  for (;;) {
    const bool full = have == bytes.size();
    const ssize_t n = full ? ::read(fd, probe, sizeof probe) : ::read(fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    if (full) bytes.insert(bytes.end(), probe, probe + n);
    have += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(have);
  return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(std::string_view dosPath) {
  const auto host = ResolveDosPath(dosPath);
  if (!host) return std::nullopt;
  return ReadHostFile(*host);
}

std::optional<MappedFile> MappedFile::OpenHost(const std::filesystem::path& hostPath) {
  struct stat st {};
  const int fd = OpenRegularForRead(hostPath, &st);
  if (fd < 0) return std::nullopt;
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  if (size == 0) {
    ::close(fd);
    return MappedFile(nullptr, 0);
  }
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (view == MAP_FAILED) return std::nullopt;
  return MappedFile(static_cast<std::uint8_t*>(view), size);
}

std::optional<MappedFile> MappedFile::Open(std::string_view dosPath) {
  const auto host = ResolveDosPath(dosPath);
  if (!host) return std::nullopt;
  return OpenHost(*host);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    if (data_ != nullptr) ::munmap(data_, size_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(data_, size_);
}

}  // namespace plat
