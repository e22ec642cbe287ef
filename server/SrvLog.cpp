#include "server/SrvLog.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "Game/model/GInstData.h"

SrvLog::~SrvLog() {
  if (m_file != nullptr) plat::fclose(m_file);
}

bool SrvLog::Open(const std::string& dosPath) {
  if (m_file != nullptr) plat::fclose(m_file);
  m_file = plat::fopen(dosPath.c_str(), "a");
  return m_file != nullptr;
}

void SrvLog::Line(const char* format, ...) {
  if (m_file == nullptr) return;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (::gmtime_r(&now, &parts) != nullptr) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &parts);
  std::string line = stamp;
  line += text;
  line += '\n';
  plat::fwrite(line.data(), 1, line.size(), m_file);
  plat::fflush(m_file);
}

std::string ServerLogPath() {
  CInstData inst;
  const char* saves = inst.GetSavePath();
  return std::string(saves != nullptr ? saves : "") + "QuenSrvr.log";
}
