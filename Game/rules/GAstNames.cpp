#include "Game/rules/GAstNames.h"

#include "Game/base/GInstData.h"

namespace {

bool IsSeparator(int c) { return c == '|' || c == '\n'; }

}  // namespace

std::optional<std::string> ReadAsteroidName(plat::FILE* fp, unsigned n) {
  if (fp == nullptr || n == 0) return std::nullopt;
  int c = plat::fgetc(fp);
  while (c != EOF && IsSeparator(c)) c = plat::fgetc(fp);
  std::string name;
  for (unsigned read = 0; read < n; ++read) {
    if (c == EOF) return std::nullopt;
    name.clear();
    for (; c != EOF && !IsSeparator(c); c = plat::fgetc(fp)) {
      if (name.size() < kMaxAsteroidNameChars) name += static_cast<char>(c);
    }
    while (c != EOF && IsSeparator(c)) c = plat::fgetc(fp);
  }
  return name;
}

std::optional<std::string> LoadAsteroidName(unsigned n) {
  const std::string path = std::string(g_instData.GetInstallPath()) + "astnames.dat";
  plat::FILE* fp = OpenDataFile(path.c_str(), "rt");
  if (fp == nullptr) return std::nullopt;
  auto name = ReadAsteroidName(fp, n);
  plat::fclose(fp);
  return name;
}
