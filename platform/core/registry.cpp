#include "platform/core/registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/core/config.h"
#include "platform/core/durable_file.h"
#include "platform/core/handle_table.h"
#include "platform/core/names.h"

namespace plat {

// An open key: which root, the path of names below it, and the rights asked for.
struct HKEY__ {
  int root = -1;
  std::vector<std::string> path;
  REGSAM sam = 0;
};

namespace {

constinit HKEY__ g_currentUser{0, {}, KEY_ALL_ACCESS};
constinit HKEY__ g_localMachine{1, {}, KEY_ALL_ACCESS};

constexpr std::string_view kRootNames[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};
constexpr std::string_view kFileHeader = "Windows Registry Editor Version 5.00";

struct Value {
  std::string name;
  std::string data;
};

struct Key {
  std::string name;
  // Keyed by the upper-cased name, which also gives the enumeration order.
  std::map<std::string, std::unique_ptr<Key>> subkeys;
  std::vector<Value> values;  // in the order first stored

  Key* Find(std::string_view child) const {
    auto it = subkeys.find(UpperAscii(child));
    return it == subkeys.end() ? nullptr : it->second.get();
  }
  Key& Child(std::string_view child, bool* created) {
    auto& slot = subkeys[UpperAscii(child)];
    *created = (slot == nullptr);
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = std::string(child);
    }
    return *slot;
  }
  Value* FindValue(std::string_view valueName) {
    for (Value& v : values) {
      if (SameNameNoCase(v.name, valueName)) return &v;
    }
    return nullptr;
  }
  void Set(std::string_view valueName, std::string data) {
    if (Value* v = FindValue(valueName)) {
      v->data = std::move(data);
    } else {
      values.push_back({std::string(valueName), std::move(data)});
    }
  }
};

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// ---- the .reg text form ----

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// Reads a quoted string at `pos`, leaving `pos` after its closing quote.
std::optional<std::string> Unquote(std::string_view line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) return std::nullopt;
      c = line[++pos];
    }
    out += c;
  }
  return std::nullopt;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

class Registry {
 public:
  std::mutex mutex;

  // Everything below is used with `mutex` held.
  void SetFile(std::optional<std::filesystem::path> file) {
    override_ = std::move(file);
    loaded_ = false;
    for (Key& r : roots_) r = Key{};
  }

  std::filesystem::path File() const { return override_ ? *override_ : ConfigDirectory() / "registry.reg"; }

  Key* Resolve(const HKEY__& h) {
    Load();
    Key* k = &roots_[h.root];
    for (const std::string& part : h.path) {
      k = k->Find(part);
      if (k == nullptr) return nullptr;
    }
    return k;
  }

  Key& Create(Key& from, const std::vector<std::string>& parts, bool* createdAny) {
    Key* k = &from;
    *createdAny = false;
    for (const std::string& part : parts) {
      bool created = false;
      k = &k->Child(part, &created);
      *createdAny = *createdAny || created;
    }
    return *k;
  }

  bool Save() {
    const std::filesystem::path file = File();
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    std::ostringstream out;
    out << kFileHeader << "\n";
    for (int r = 0; r < 2; ++r) Write(out, std::string(kRootNames[r]), roots_[r], true);
    return ReplaceFileDurably(file, out.str());
  }

  HKEY Track(std::unique_ptr<HKEY__> h) { return open_.Add(std::move(h)); }

  bool IsValid(HKEY h) const { return h == &g_currentUser || h == &g_localMachine || open_.Contains(h); }

  bool Close(HKEY h) {
    if (h == &g_currentUser || h == &g_localMachine) return true;
    return open_.Erase(h);
  }

 private:
  void Load() {
    if (loaded_) return;
    loaded_ = true;
    RemoveStaleTemporaries(File());
    std::ifstream in(File(), std::ios::binary);
    if (!in) return;
    Key* current = nullptr;
    std::string raw;
    bool first = true;
    while (std::getline(in, raw)) {
      std::string_view line = raw;
      if (first && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
      first = false;
      line = Trim(line);
      if (line.empty() || line.front() == ';' || line == kFileHeader) continue;
      if (line.front() == '[') {
        current = ParseSection(line);
        continue;
      }
      if (current != nullptr) ParseValue(line, *current);
    }
  }

  // "[ROOT\A\B]": the key, created; null for anything else (a deletion
  // "[-...]", an unknown root), whose values are then skipped.
  Key* ParseSection(std::string_view line) {
    if (line.size() < 3 || line.back() != ']' || line[1] == '-') return nullptr;
    std::vector<std::string> parts = SplitKeyPath(line.substr(1, line.size() - 2));
    if (parts.empty()) return nullptr;
    for (int r = 0; r < 2; ++r) {
      if (SameNameNoCase(parts.front(), kRootNames[r])) {
        parts.erase(parts.begin());
        bool created = false;
        return &Create(roots_[r], parts, &created);
      }
    }
    return nullptr;
  }

  // `"name"="text"` or `@="text"`; other value types and broken lines are skipped.
  static void ParseValue(std::string_view line, Key& key) {
    std::size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else {
      auto n = Unquote(line, pos);
      if (!n) return;
      name = std::move(*n);
    }
    if (pos >= line.size() || line[pos] != '=') return;
    ++pos;
    auto data = Unquote(line, pos);
    if (!data || !Trim(line.substr(pos)).empty()) return;
    key.Set(name, std::move(*data));
  }

  static void Write(std::ostream& out, const std::string& path, const Key& key, bool isRoot) {
    if (!isRoot || !key.values.empty()) {
      out << "\n[" << path << "]\n";
      for (const Value& v : key.values) {
        out << (v.name.empty() ? std::string("@") : Quote(v.name)) << '=' << Quote(v.data) << "\n";
      }
    }
    for (const auto& [upper, child] : key.subkeys) Write(out, path + "\\" + child->name, *child, false);
  }

  std::optional<std::filesystem::path> override_;
  bool loaded_ = false;
  Key roots_[2];
  HandleTable<HKEY__> open_;
};

Registry& Reg() {
  static Registry registry;
  return registry;
}

// Copies `text` and its NUL into a caller's buffer of `*size` bytes, the
// classic way: the needed size is always reported back.
LONG CopyOut(const std::string& text, BYTE* data, DWORD* size) {
  const DWORD needed = static_cast<DWORD>(text.size() + 1);
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, text.c_str(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

// A name into a buffer of `*size` characters; on success `*size` is the length.
LONG CopyName(const std::string& text, char* name, DWORD* size) {
  if (name == nullptr || size == nullptr) return ERROR_INVALID_PARAMETER;
  if (*size < text.size() + 1) return ERROR_MORE_DATA;
  std::memcpy(name, text.c_str(), text.size() + 1);
  *size = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

// The key a handle names, when the handle is open, holds the access `need`
// asks for (0: none) and its key still exists.
LONG Reach(Registry& reg, HKEY key, REGSAM need, Key** out) {
  if (!reg.IsValid(key)) return ERROR_INVALID_HANDLE;
  if ((key->sam & need) != need) return ERROR_ACCESS_DENIED;
  *out = reg.Resolve(*key);
  return *out != nullptr ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// A new handle on the key `parts` below `base`, with the access asked for.
HKEY OpenHandle(Registry& reg, const HKEY__& base, const std::vector<std::string>& parts, REGSAM sam) {
  auto h = std::make_unique<HKEY__>(base);
  h->path.insert(h->path.end(), parts.begin(), parts.end());
  h->sam = sam;
  return reg.Track(std::move(h));
}

}  // namespace

const HKEY HKEY_CURRENT_USER = &g_currentUser;
const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD /*options*/, REGSAM sam, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Key* base = nullptr;
  if (const LONG rc = Reach(reg, key, 0, &base); rc != ERROR_SUCCESS) return rc;
  const std::vector<std::string> parts = SplitKeyPath(subKey != nullptr ? subKey : "");
  Key* k = base;
  for (const std::string& part : parts) {
    k = k->Find(part);
    if (k == nullptr) return ERROR_FILE_NOT_FOUND;
  }
  *result = OpenHandle(reg, *key, parts, sam);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD /*reserved*/, char* /*keyClass*/, DWORD /*options*/, REGSAM sam,
                    const void* /*security*/, HKEY* result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Key* base = nullptr;
  if (const LONG rc = Reach(reg, key, 0, &base); rc != ERROR_SUCCESS) return rc;
  const std::vector<std::string> parts = SplitKeyPath(subKey != nullptr ? subKey : "");
  for (const std::string& part : parts)
    if (part.find_first_of("\r\n") != std::string::npos) return ERROR_INVALID_PARAMETER;
  bool created = false;
  reg.Create(*base, parts, &created);
  if (created && !reg.Save()) return ERROR_WRITE_FAULT;
  *result = OpenHandle(reg, *key, parts, sam);
  if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  return reg.Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueEx(HKEY key, const char* name, DWORD* /*reserved*/, DWORD* type, BYTE* data, DWORD* size) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Key* k = nullptr;
  if (const LONG rc = Reach(reg, key, KEY_QUERY_VALUE, &k); rc != ERROR_SUCCESS) return rc;
  const Value* v = k->FindValue(name != nullptr ? name : "");
  if (v == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = REG_SZ;
  return CopyOut(v->data, data, size);
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD size) {
  if (type != REG_SZ || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
  const char* text = reinterpret_cast<const char*>(data);
  const std::string value(text, text == nullptr ? 0 : ::strnlen(text, size));
  if (value.find_first_of("\r\n") != std::string::npos) return ERROR_INVALID_PARAMETER;
  const std::string valueName = name != nullptr ? name : "";
  if (valueName.find_first_of("\r\n") != std::string::npos) return ERROR_INVALID_PARAMETER;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Key* k = nullptr;
  if (const LONG rc = Reach(reg, key, KEY_SET_VALUE, &k); rc != ERROR_SUCCESS) return rc;
  k->Set(valueName, value);
  return reg.Save() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* /*reserved*/, char* /*keyClass*/,
                  DWORD* classSize, FILETIME* lastWrite) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Key* k = nullptr;
  if (const LONG rc = Reach(reg, key, KEY_ENUMERATE_SUB_KEYS, &k); rc != ERROR_SUCCESS) return rc;
  if (index >= k->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const Key& child = *std::next(k->subkeys.begin(), index)->second;
  const LONG rc = CopyName(child.name, name, nameSize);
  if (rc != ERROR_SUCCESS) return rc;
  if (classSize != nullptr) *classSize = 0;
  if (lastWrite != nullptr) *lastWrite = FILETIME{};
  return ERROR_SUCCESS;
}

LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* /*reserved*/, DWORD* type, BYTE* data,
                  DWORD* size) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Key* k = nullptr;
  if (const LONG rc = Reach(reg, key, KEY_QUERY_VALUE, &k); rc != ERROR_SUCCESS) return rc;
  if (index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& v = k->values[index];
  const LONG rc = CopyName(v.name, name, nameSize);
  if (rc != ERROR_SUCCESS) return rc;
  if (type != nullptr) *type = REG_SZ;
  return CopyOut(v.data, data, size);
}

void SetRegistryFile(const std::filesystem::path& file) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  reg.SetFile(file);
}

void ResetRegistryFile() {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  reg.SetFile(std::nullopt);
}

std::filesystem::path RegistryFile() {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  return reg.File();
}

}  // namespace plat
