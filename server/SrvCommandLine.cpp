#include "server/SrvCommandLine.h"

namespace {

constexpr const char* kServiceWord = " HVSCS";

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A name taken from the command line becomes part of a file name in the
// e-mail folder: it must not reach outside it.
bool SafeName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name.find("..") == std::string::npos;
}

}  // namespace

SrvStart ParseServerCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const auto& a : args) {
    if (!line.empty()) line += ' ';
    line += a;
  }
  SrvStart start;
  const bool email = StartsWith(line, "-En:") || StartsWith(line, "-Em:");
  if (!email) {
    start.mode = StartsWith(line, "-") ? SrvStartMode::Invalid : SrvStartMode::Library;
    return start;
  }
  if (!EndsWith(line, kServiceWord)) return start;
  std::string body = line.substr(4, line.size() - 4 - std::string(kServiceWord).size());
  if (line[2] == 'n') {
    if (!EndsWith(body, "-0")) return start;
    body.resize(body.size() - 2);
    start.mode = SrvStartMode::EmailCreate;
  } else {
    start.mode = SrvStartMode::EmailTurn;
  }
  if (!SafeName(body)) {
    start.mode = SrvStartMode::Invalid;
    return start;
  }
  start.name = body;
  return start;
}
