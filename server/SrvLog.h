#pragma once
// The server's log: one line per event, with the time, appended to a text
// file. The server runs without a screen, so this file is how its host learns
// what it did and what it refused. Lines are written through at once, so a
// server that is stopped leaves its log complete.
//
// One thread only.

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

class SrvLog {
 public:
  // What one player's packets may make the server write to its log; the
  // lines past it are left out, with one line saying so.
  static constexpr std::size_t kMaxBytesPerPlayer = 1u << 20;

  // While it lives, the lines written count against `player` (0: against
  // nobody, as the game's own lines of a turn).
  class Blame {
   public:
    Blame(SrvLog& log, std::uint32_t player) : m_log(log), m_before(log.m_blamed) { log.m_blamed = player; }
    ~Blame() { m_log.m_blamed = m_before; }
    Blame(const Blame&) = delete;
    Blame& operator=(const Blame&) = delete;

   private:
    SrvLog& m_log;
    std::uint32_t m_before;
  };

  SrvLog() = default;
  ~SrvLog();
  SrvLog(const SrvLog&) = delete;
  SrvLog& operator=(const SrvLog&) = delete;

  // Opens (appending) the log at a host path; false when it cannot be
  // opened, in which case lines go nowhere.
  bool Open(const std::string& hostPath);
  // Writes one line, printf-style, unless the player blamed for it has used
  // up its share.
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // A line the host must see even without reading the log: also written to
  // the standard error, and never left out.
  void Alarm(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  void Write(const std::string& line);
  static std::string Stamp();

  std::FILE* m_file = nullptr;
  std::uint32_t m_blamed = 0;
  std::map<std::uint32_t, std::size_t> m_written;
};

// The host folder of the server's files (its log and saves): the
// installation's save directory, or the current directory when the
// installation names none (or names one that does not exist); ends in '/'
// or is empty.
std::string ServerFolder();
// The host folder of the installation's scenarios, which a player's load may
// name (its place flag 1); empty when the installation names none.
std::string ScenarioFolder();
