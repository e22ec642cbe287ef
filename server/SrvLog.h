#pragma once
// The server's log: one line per event, with the time, appended to a text
// file. The server runs without a screen, so this file is how its host learns
// what it did and what it refused. Lines are written through at once, so a
// server that is stopped leaves its log complete.
//
// One thread only.

#include <cstdio>
#include <string>

class SrvLog {
 public:
  SrvLog() = default;
  ~SrvLog();
  SrvLog(const SrvLog&) = delete;
  SrvLog& operator=(const SrvLog&) = delete;

  // Opens (appending) the log at a host path; false when it cannot be
  // opened, in which case lines go nowhere.
  bool Open(const std::string& hostPath);
  // Writes one line, printf-style.
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  std::FILE* m_file = nullptr;
};

// The host folder of the server's files (its log and saves): the
// installation's save directory, or the current directory when the
// installation names none (or names one that does not exist); ends in '/'
// or is empty.
std::string ServerFolder();
