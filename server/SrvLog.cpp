#include "server/SrvLog.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "Game/base/GInstData.h"
#include "platform/core/dospath.h"

SrvLog::~SrvLog() {
  if (m_file != nullptr) std::fclose(m_file);
}

bool SrvLog::Open(const std::string& hostPath) {
  if (m_file != nullptr) std::fclose(m_file);
  m_file = std::fopen(hostPath.c_str(), "a");
  return m_file != nullptr;
}

namespace {

// Formats one line of the log: texts that came from players (names, file
// names) cannot break it into lines of their own.
void Format(char (&text)[512], const char* format, va_list args) {
  std::vsnprintf(text, sizeof text, format, args);
  for (char* c = text; *c != '\0'; ++c)
    if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) *c = '?';
}

}  // namespace

std::string SrvLog::Stamp() {
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (::gmtime_r(&now, &parts) != nullptr) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &parts);
  return stamp;
}

void SrvLog::Alarm(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  Format(text, format, args);
  va_end(args);
  std::fprintf(stderr, "quensrvr: %s\n", text);
  if (m_file != nullptr) Write(Stamp() + text + "\n");
}

void SrvLog::Line(const char* format, ...) {
  if (m_file == nullptr) return;
  char text[512];
  va_list args;
  va_start(args, format);
  Format(text, format, args);
  va_end(args);
  const std::string stamp = Stamp();
  std::string line = stamp;
  line += text;
  line += '\n';
  if (m_blamed != 0) {
    std::size_t& written = m_written[m_blamed];
    if (written >= kMaxBytesPerPlayer) return;
    written += line.size();
    if (written >= kMaxBytesPerPlayer) {
      Write(line);
      line = stamp + "player " + std::to_string(m_blamed) + ": its further lines are not logged\n";
    }
  }
  Write(line);
}

void SrvLog::Write(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), m_file);
  std::fflush(m_file);
}

std::string ScenarioFolder() {
  CInstData inst;
  const char* scenarios = inst.GetScenarioPath();
  if (scenarios != nullptr && *scenarios != '\0') {
    if (const auto dir = plat::ResolveDosPath(scenarios)) return dir->string() + "/";
  }
  return "";
}

std::string ServerFolder() {
  CInstData inst;
  const char* saves = inst.GetSavePath();
  if (saves != nullptr && *saves != '\0') {
    if (const auto dir = plat::ResolveDosPath(saves)) return dir->string() + "/";
  }
  return "";
}
