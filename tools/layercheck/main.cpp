// quenlayercheck: fails when a source includes a header from a layer above its
// own. The layers are the folder table in layers.txt beside this file.
// Usage: quenlayercheck <project root>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using LayerTable = std::map<std::string, std::vector<std::string>>;

bool ReadTable(const fs::path& file, LayerTable& table) {
  std::ifstream in(file);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream prefixes(line.substr(colon + 1));
    std::vector<std::string>& allowed = table[line.substr(0, colon)];
    for (std::string p; prefixes >> p;) allowed.push_back(p);
  }
  return !table.empty();
}

bool Within(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

// The layer of a source: the longest folder of the table that holds it.
const std::vector<std::string>* LayerOf(const LayerTable& table, const std::string& path) {
  const std::vector<std::string>* best = nullptr;
  std::size_t bestLength = 0;
  for (const auto& [folder, allowed] : table) {
    if (Within(path, folder) && folder.size() > bestLength) {
      best = &allowed;
      bestLength = folder.size();
    }
  }
  return best;
}

bool Allowed(const std::vector<std::string>& allowed, const std::string& header) {
  return std::any_of(allowed.begin(), allowed.end(),
                     [&](const std::string& p) { return Within(header, p); });
}

// Prints and counts the includes of one source that name a project folder
// its layer may not include from.
int CheckIncludes(const fs::path& file, const std::string& rel, const std::vector<std::string>& allowed,
                  const std::set<std::string>& tops) {
  int violations = 0;
  std::ifstream in(file);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const auto hash = line.find_first_not_of(" \t");
    if (hash == std::string::npos || line.compare(hash, 8, "#include") != 0) continue;
    const auto open = line.find('"', hash);
    const auto close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) continue;
    const std::string header = line.substr(open + 1, close - open - 1);
    // Only paths from the root can cross layers; others are beside the source.
    const auto slash = header.find('/');
    if (slash == std::string::npos || !tops.count(header.substr(0, slash))) continue;
    if (!Allowed(allowed, header)) {
      std::printf("%s:%d: includes \"%s\" from a higher layer\n", rel.c_str(), number, header.c_str());
      ++violations;
    }
  }
  return violations;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quenlayercheck <project root>\n");
    return 2;
  }
  const fs::path root = argv[1];
  LayerTable table;
  if (!ReadTable(root / "tools/layercheck/layers.txt", table)) {
    std::fprintf(stderr, "quenlayercheck: cannot read tools/layercheck/layers.txt\n");
    return 2;
  }
  // Every top folder the table names is walked whole; an include crosses
  // layers when its first folder is one of them.
  std::set<std::string> tops;
  for (const auto& [folder, unused] : table) {
    (void)unused;
    tops.insert(folder.substr(0, folder.find('/')));
  }
  int violations = 0;
  int files = 0;
  for (const std::string& top : tops) {
    const fs::path dir = root / top;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".c")) continue;
      const std::string rel = fs::relative(entry.path(), root).generic_string();
      const auto* allowed = LayerOf(table, rel);
      if (!allowed) {
        std::printf("%s: its folder has no layer in layers.txt\n", rel.c_str());
        ++violations;
        continue;
      }
      ++files;
      violations += CheckIncludes(entry.path(), rel, *allowed, tops);
    }
  }
  std::printf("quenlayercheck: %d files, %d upward includes\n", files, violations);
  return violations == 0 ? 0 : 1;
}
