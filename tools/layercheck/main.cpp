// quenlayercheck: fails when a source includes a header from a layer above its
// own, or when a library builds on one above it (its include path would then
// hold that library's folders, and an upward include would compile). The
// layers are the folder table in layers.txt beside this file; the libraries
// are the quen_library calls of the folders' CMakeLists.txt.
// Usage: quenlayercheck <project root>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
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
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
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
  return std::any_of(allowed.begin(), allowed.end(), [&](const std::string& p) { return Within(header, p); });
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

// One quen_library call: where it is, its name, its folders from the root
// and the libraries it builds on.
struct Library {
  std::string file;
  std::string name;
  std::vector<std::string> folders;
  std::vector<std::string> deps;
};

std::string Join(const std::string& base, const std::string& dir) {
  if (dir == ".") return base;
  return base.empty() ? dir : base + "/" + dir;
}

// The quen_library calls of one CMakeLists.txt in the folder `base` (from the
// root). Arguments are split at blanks; quotes are dropped.
void ReadLibraries(const fs::path& file, const std::string& rel, const std::string& base, std::vector<Library>& out) {
  std::ifstream in(file);
  std::stringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  const std::string call = "quen_library(";
  for (std::size_t at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
    if (at > 0 && text[at - 1] != '\n' && text[at - 1] != ' ') continue;
    const auto close = text.find(')', at);
    if (close == std::string::npos) break;
    std::istringstream args(text.substr(at + call.size(), close - at - call.size()));
    Library lib{rel, {}, {}, {}};
    args >> lib.name;
    std::string keyword;
    for (std::string word; args >> word;) {
      word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
      if (word == "DIRS" || word == "EXCLUDE" || word == "DEPS" || word == "PRIVATE" || word == "FILES") {
        keyword = word;
      } else if (keyword == "DIRS" || keyword == "FILES") {
        const auto slash = word.rfind('/');
        const std::string folder =
            keyword == "DIRS" ? Join(base, word) : Join(base, slash == std::string::npos ? "." : word.substr(0, slash));
        if (std::find(lib.folders.begin(), lib.folders.end(), folder) == lib.folders.end())
          lib.folders.push_back(folder);
      } else if (keyword == "DEPS") {
        lib.deps.push_back(word);
      }
    }
    out.push_back(std::move(lib));
  }
}

// Prints and counts the libraries that build on another none of whose folders
// the row of one of their own folders allows: every folder of a library
// compiles and links with its dependencies, so each must be allowed them, the
// lowest of a library of several rows too.
int CheckLibraries(const LayerTable& table, const std::vector<Library>& libraries) {
  std::map<std::string, const Library*> byName;
  for (const Library& lib : libraries) byName[lib.name] = &lib;
  int violations = 0;
  for (const Library& lib : libraries) {
    for (const std::string& dep : lib.deps) {
      const auto found = byName.find(dep);
      if (found == byName.end()) continue;  // not one of ours, or a bundle of ours
      const std::vector<std::string>& theirs = found->second->folders;
      if (theirs.empty()) continue;
      const auto below = std::find_if(lib.folders.begin(), lib.folders.end(), [&](const std::string& folder) {
        const auto* row = LayerOf(table, folder + "/");
        return !row || !std::any_of(theirs.begin(), theirs.end(),
                                    [&](const std::string& their) { return Allowed(*row, their + "/"); });
      });
      if (below == lib.folders.end()) continue;
      const std::string which = lib.folders.size() > 1 ? " than its folder " + *below : "";
      std::printf("%s: %s builds on %s (%s) from a higher layer%s\n", lib.file.c_str(), lib.name.c_str(), dep.c_str(),
                  theirs.front().c_str(), which.c_str());
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
  std::vector<Library> libraries;
  for (const std::string& top : tops) {
    const fs::path dir = root / top;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const std::string ext = entry.path().extension().string();
      if (entry.is_regular_file() && entry.path().filename() == "CMakeLists.txt") {
        // Test data may hold trees of its own, with the same library names.
        if (fs::relative(entry.path(), root).generic_string().find("/data/") != std::string::npos) continue;
        const std::string folder = fs::relative(entry.path().parent_path(), root).generic_string();
        ReadLibraries(entry.path(), fs::relative(entry.path(), root).generic_string(), folder, libraries);
        continue;
      }
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
  const int upwardLinks = CheckLibraries(table, libraries);
  std::printf("quenlayercheck: %zu libraries, %d built on a higher layer\n", libraries.size(), upwardLinks);
  return violations == 0 && upwardLinks == 0 ? 0 : 1;
}
