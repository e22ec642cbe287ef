// The listing of saved files for the load-game screen, and their deletion.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "Game/save/SafeWrite.h"
#include "Game/save/SaveGame.h"
#include "platform/core/dospath.h"

namespace {

// A name the list shows: at least four characters with a '.' fourth from
// its end (a three-letter extension).
bool Qualifies(std::string_view name) { return name.size() >= 4 && name[name.size() - 4] == '.'; }

bool SameName(const std::string& a, const char* b) {
  return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == y;
         });
}

}  // namespace

std::vector<SaveListEntry> ListSaveFiles(const std::string& directory, const std::string& extension,
                                         bool keepExtension) {
  std::vector<SaveListEntry> list;
  plat::_finddata_t found;
  const std::intptr_t search = plat::_findfirst((directory + "*." + extension).c_str(), &found);
  if (search != -1) {
    do {
      const std::string_view name(found.name);
      if ((found.attrib & plat::_A_SUBDIR) != 0 || !Qualifies(name)) continue;
      SaveListEntry e;
      e.name = keepExtension ? std::string(name) : std::string(name.substr(0, name.size() - 4));
      e.written = found.time_write;
      list.push_back(std::move(e));
    } while (list.size() < kMaxListedSaves && plat::_findnext(search, &found) == 0);
    plat::_findclose(search);
  }
  // Newest first; files of the same time in name order, not the directory's.
  std::sort(list.begin(), list.end(), [](const SaveListEntry& a, const SaveListEntry& b) {
    return a.written != b.written ? a.written > b.written : a.name < b.name;
  });

  const bool clientSaves = extension.size() == 3 && SameName(extension, "clt");
  if (!clientSaves) return list;
  // The backup is older than the autosave it backs up; when they were written
  // in the same second the backup could show first.
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (SameName(list[i].name, "autosave")) break;
    if (SameName(list[i].name, "asavebak")) {
      if (i + 1 < list.size()) std::swap(list[i], list[i + 1]);
      break;
    }
  }
  for (SaveListEntry& e : list) {
    const std::string path = directory + (keepExtension ? e.name : e.name + "." + extension);
    e.hasHeader = ReadSaveHeader(path.c_str(), &e.header);
  }
  return list;
}

bool DeleteSaveFile(const std::string& directory, const std::string& name, const std::string& extension) {
  if (!IsPlainFileName(name)) return false;
  const std::string file = extension.empty() ? name : name + "." + extension;
  return plat::remove((directory + file).c_str()) == 0;
}
