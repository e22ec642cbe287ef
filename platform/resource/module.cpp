#include "platform/resource/module.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/core/bytes.h"
#include "platform/core/dospath.h"
#include "platform/core/handle_table.h"
#include "platform/resource/peimage.h"
#include "platform/resource/text1252.h"

namespace plat {
namespace {

constexpr std::uintmax_t kMaxModuleBytes = std::uintmax_t{1} << 30;

struct KeyLess {
  bool operator()(const std::pair<ResName, ResName>& a, const std::pair<ResName, ResName>& b) const {
    int c = CompareResNames(a.first, b.first);
    if (c != 0) return c < 0;
    return CompareResNames(a.second, b.second) < 0;
  }
};

std::uint64_t NextSerial() {
  static std::atomic<std::uint64_t> next{1};
  return next++;
}

struct Module {
  std::vector<std::uint8_t> bytes;
  std::vector<ResourceRecord> records;
  std::map<std::pair<ResName, ResName>, std::size_t, KeyLess> index;  // (type, name) -> record
  std::filesystem::path hostPath;                                     // empty for modules read from memory
  int refs = 1;
  std::uint64_t serial = NextSerial();
  std::string systemName;                               // upper case, for the system's own modules
  std::map<std::string, FARPROC, std::less<>> exports;  // system modules only
};

// The system's modules and the calls the program looks up in them by name.
struct SystemCall {
  const char* module;
  const char* name;
  FARPROC address;
};
const SystemCall kSystemCalls[] = {
    {"KERNEL32.DLL", "GetDiskFreeSpaceExA", reinterpret_cast<FARPROC>(&GetDiskFreeSpaceEx)},
};

struct Registry {
  std::mutex mutex;
  HandleTable<Module> modules;
  Module* program = nullptr;
  std::filesystem::path programPath;
  bool programRead = false;     // the program's module came from its file
  std::vector<Module*> system;  // made on first use, never unloaded
};

Registry& Reg() {
  static Registry r;
  return r;
}

thread_local std::string t_error;

HMODULE HandleOf(Module* m) { return reinterpret_cast<HMODULE>(m); }

// Builds a module from its bytes; null (with t_error set) when they are not one.
std::unique_ptr<Module> MakeModule(std::vector<std::uint8_t> bytes) {
  auto m = std::make_unique<Module>();
  m->bytes = std::move(bytes);
  ResourceListing listing = ReadResourceDirectory(m->bytes);
  if (!listing.error.empty()) {
    t_error = listing.error;
    return nullptr;
  }
  m->records = std::move(listing.records);
  for (std::size_t i = 0; i < m->records.size(); ++i) {
    m->index.emplace(std::make_pair(m->records[i].type, m->records[i].name), i);
  }
  return m;
}

bool ReadFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    t_error = "no such file: " + path.string();
    return false;
  }
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxModuleBytes) {
    t_error = "cannot read " + path.string();
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  out.resize(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()))) {
    t_error = "cannot read " + path.string();
    return false;
  }
  return true;
}

std::filesystem::path DefaultProgramModulePath() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "quenbar.dll";
  return exe.parent_path() / "quenbar.dll";
}

// Caller holds the registry lock.
Module* ProgramModule(Registry& reg) {
  if (reg.program != nullptr) return reg.program;
  if (reg.programPath.empty()) reg.programPath = DefaultProgramModulePath();
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<Module> m;
  if (ReadFile(reg.programPath, bytes)) m = MakeModule(std::move(bytes));
  reg.programRead = m != nullptr;
  if (!m) m = std::make_unique<Module>();  // the program still has a module, an empty one
  m->hostPath = reg.programPath;
  reg.program = reg.modules.Add(std::move(m));
  return reg.program;
}

// The module a handle stands for; null for a handle that is not loaded.
// Caller holds the registry lock.
Module* Find(Registry& reg, HMODULE h) {
  if (h == nullptr) return ProgramModule(reg);
  return reg.modules.Find(h);
}

const ResourceRecord* RecordOf(const Module* m, const void* handle) {
  if (m == nullptr || m->records.empty()) return nullptr;
  const ResourceRecord* first = m->records.data();
  for (std::size_t i = 0; i < m->records.size(); ++i) {
    if (static_cast<const void*>(first + i) == handle) return first + i;
  }
  return nullptr;
}

HMODULE Register(Registry& reg, std::unique_ptr<Module> m) { return HandleOf(reg.modules.Add(std::move(m))); }

std::string FileNameUpper(const std::filesystem::path& p) {
  std::string s = p.filename().string();
  for (char& c : s) c = UpperResChar(c);
  return s;
}

// The system module a bare name ("kernel32", "KERNEL32.DLL") stands for, made
// on first use; null for other names. Caller holds the registry lock.
Module* SystemModuleNamed(Registry& reg, std::string_view name) {
  if (name.find_first_of("\\/:") != std::string_view::npos) return nullptr;
  std::string upper(name);
  for (char& c : upper) c = UpperResChar(c);
  if (!upper.ends_with(".DLL")) upper += ".DLL";
  for (Module* m : reg.system)
    if (m->systemName == upper) return m;
  const auto isSystem = [&](const SystemCall& call) { return upper == call.module; };
  if (std::none_of(std::begin(kSystemCalls), std::end(kSystemCalls), isSystem)) return nullptr;
  auto m = std::make_unique<Module>();
  m->systemName = upper;
  for (const SystemCall& call : kSystemCalls)
    if (upper == call.module) m->exports.emplace(call.name, call.address);
  if (m->exports.empty()) return nullptr;
  reg.system.push_back(m.get());
  return reg.modules.Add(std::move(m));
}

}  // namespace

const std::string& LastModuleError() { return t_error; }

HMODULE LoadLibrary(const char* dosOrHostName) {
  if (dosOrHostName == nullptr || *dosOrHostName == '\0') {
    t_error = "no module name";
    return nullptr;
  }
  Registry& reg = Reg();
  {
    std::lock_guard lock(reg.mutex);
    if (Module* sys = SystemModuleNamed(reg, dosOrHostName)) return HandleOf(sys);
  }
  // A module the installation lacks is asked for by every new game root: the
  // DOS look-up has already seen it is not there, so only the name read as a
  // host path is left to try, with one stat rather than a path resolution.
  std::filesystem::path host = dosOrHostName;
  auto found = FindDosPath(dosOrHostName);
  if (found && found->exists) {
    host = std::move(found->host);
  } else if (struct stat st{}; ::stat(dosOrHostName, &st) != 0) {
    t_error = std::string("no such file: ") + dosOrHostName;
    return nullptr;
  }
  // Known to exist: its canonical path is the weakly canonical one.
  std::error_code ec;
  std::filesystem::path key = std::filesystem::canonical(host, ec);
  if (ec) key = host;

  std::lock_guard lock(reg.mutex);
  if (Module* m = reg.modules.FindIf(
          [&](const Module& x) { return !x.hostPath.empty() && x.hostPath == key && &x != reg.program; })) {
    ++m->refs;
    return HandleOf(m);
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(key, bytes)) return nullptr;
  auto m = MakeModule(std::move(bytes));
  if (!m) {
    t_error = key.string() + ": " + t_error;
    return nullptr;
  }
  m->hostPath = key;
  return Register(reg, std::move(m));
}

HMODULE LoadLibraryFromMemory(std::span<const std::uint8_t> bytes) {
  auto m = MakeModule(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  if (!m) return nullptr;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  return Register(reg, std::move(m));
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr) return FALSE;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Module* m = reg.modules.Find(module);
  if (m == nullptr) return FALSE;
  if (m == reg.program || !m->systemName.empty()) return TRUE;
  if (--m->refs == 0) reg.modules.Erase(m);
  return TRUE;
}

HMODULE GetModuleHandle(const char* name) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  if (name == nullptr) return HandleOf(ProgramModule(reg));
  if (Module* sys = SystemModuleNamed(reg, name)) return HandleOf(sys);
  std::string wanted = FileNameUpper(std::filesystem::path(std::string(name)).filename());
  return HandleOf(
      reg.modules.FindIf([&](const Module& m) { return !m.hostPath.empty() && FileNameUpper(m.hostPath) == wanted; }));
}

void SetProgramModulePath(const std::filesystem::path& hostPath) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  reg.programPath = hostPath;
  // A handle given out earlier stays valid: the old module is kept, only no
  // longer returned for the program.
  reg.program = nullptr;
}

std::optional<std::filesystem::path> UnreadProgramModule() {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  ProgramModule(reg);
  if (reg.programRead) return std::nullopt;
  return reg.programPath;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (name == nullptr) return nullptr;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Module* m = Find(reg, module);
  if (m == nullptr) return nullptr;
  auto it = m->exports.find(std::string_view(name));
  return it == m->exports.end() ? nullptr : it->second;
}

std::uint64_t ModuleSerial(HMODULE module) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Module* m = Find(reg, module);
  return m == nullptr ? 0 : m->serial;
}

HRSRC FindResource(HMODULE module, const ResName& name, const ResName& type) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Module* m = Find(reg, module);
  if (m == nullptr) return nullptr;
  auto it = m->index.find(std::make_pair(type, name));
  if (it == m->index.end()) return nullptr;
  return reinterpret_cast<HRSRC>(const_cast<ResourceRecord*>(&m->records[it->second]));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  if (RecordOf(Find(reg, module), resource) == nullptr) return nullptr;
  return reinterpret_cast<HGLOBAL>(resource);
}

const BYTE* LockResource(HGLOBAL loaded) {
  if (loaded == nullptr) return nullptr;
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  const BYTE* found = nullptr;
  reg.modules.ForEach([&](const Module& m) {
    if (const ResourceRecord* rec = RecordOf(&m, loaded); rec && !found) found = m.bytes.data() + rec->offset;
  });
  return found;
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  const ResourceRecord* rec = RecordOf(Find(reg, module), resource);
  return rec == nullptr ? 0 : static_cast<DWORD>(rec->size);
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

std::span<const BYTE> ResourceBytes(HMODULE module, const ResName& name, const ResName& type) {
  Registry& reg = Reg();
  std::lock_guard lock(reg.mutex);
  Module* m = Find(reg, module);
  if (m == nullptr) return {};
  auto it = m->index.find(std::make_pair(type, name));
  if (it == m->index.end()) return {};
  const ResourceRecord& rec = m->records[it->second];
  return std::span<const BYTE>(m->bytes).subspan(rec.offset, rec.size);
}

int LoadString(HMODULE module, UINT id, char* buf, int size) {
  if (buf == nullptr || size < 1) return 0;
  buf[0] = '\0';
  if (id > 0xFFFF) return 0;
  // Strings are kept 16 to a block; block n + 1 holds ids 16n .. 16n + 15.
  auto block = ResourceBytes(module, static_cast<int>((id >> 4) + 1), RT_STRING);
  ByteReader r(block);
  for (UINT i = 0; i < (id & 15); ++i) r.Skip(std::size_t{r.U16()} * 2);
  std::size_t length = r.U16();
  ByteReader units(r.Bytes(length * 2));
  if (!r.Ok()) return 0;
  std::size_t n = std::min(length, static_cast<std::size_t>(size - 1));
  for (std::size_t i = 0; i < n; ++i) buf[i] = Utf16ToCp1252(units.U16());
  buf[n] = '\0';
  return static_cast<int>(n);
}

}  // namespace plat
