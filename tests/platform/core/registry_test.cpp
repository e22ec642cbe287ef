#include "platform/core/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/config.h"
#include "platform/core/durable_file.h"
#include "tests/support/temp_dir.h"

namespace {

using plat::BYTE;
using plat::DWORD;
using plat::HKEY;
using plat::LONG;
using quentest::TempDir;
constexpr auto ReadFile = quentest::ReadHostFile;
constexpr auto WriteFile = quentest::WriteHostFile;

constexpr const char* kRelease = "SOFTWARE\\Halvorn\\Quenbar\\Release";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::SetRegistryFile(file()); }
  void TearDown() override { plat::ResetRegistryFile(); }

  std::filesystem::path file() const { return tmp.path() / "cfg" / "registry.reg"; }

  static HKEY Create(HKEY root, const char* sub) {
    HKEY key = nullptr;
    EXPECT_EQ(plat::RegCreateKeyEx(root, sub, 0, nullptr, plat::REG_OPTION_NON_VOLATILE, plat::KEY_ALL_ACCESS, nullptr,
                                   &key, nullptr),
              plat::ERROR_SUCCESS);
    return key;
  }
  static LONG Set(HKEY key, const char* name, const std::string& value) {
    return plat::RegSetValueEx(key, name, 0, plat::REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1));
  }
  static std::string Get(HKEY key, const char* name) {
    char buf[100] = {};
    DWORD size = sizeof buf;
    DWORD type = 0;
    const LONG rc = plat::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    return rc == plat::ERROR_SUCCESS ? std::string(buf) : "<" + std::to_string(rc) + ">";
  }

  TempDir tmp;
};

TEST_F(RegistryTest, RoundTripThroughTheFile) {
  HKEY key = Create(plat::HKEY_CURRENT_USER, kRelease);
  ASSERT_EQ(Set(key, "PATH", "C:\\QUENBAR\\"), plat::ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "Quote", "say \"hi\" \\o/"), plat::ERROR_SUCCESS);
  ASSERT_EQ(Set(key, nullptr, "default"), plat::ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "path", "C:\\GAMES\\QUENBAR\\"), plat::ERROR_SUCCESS);  // same value, other case
  plat::RegCloseKey(key);

  const std::string text = ReadFile(file());
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\SOFTWARE\\Halvorn\\Quenbar\\Release]\n"
                      "\"PATH\"=\"C:\\\\GAMES\\\\QUENBAR\\\\\"\n"
                      "\"Quote\"=\"say \\\"hi\\\" \\\\o/\"\n"
                      "@=\"default\"\n"),
            std::string::npos)
      << text;
  // No temporary file is left beside the saved one.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(file().parent_path())) {
    ++files;
    EXPECT_EQ(e.path().filename(), "registry.reg");
  }
  EXPECT_EQ(files, 1);

  plat::SetRegistryFile(file());  // forget and reload
  HKEY again = nullptr;
  ASSERT_EQ(plat::RegOpenKeyEx(plat::HKEY_CURRENT_USER, "software\\HALVORN\\quenbar\\release", 0, plat::KEY_ALL_ACCESS,
                               &again),
            plat::ERROR_SUCCESS);
  EXPECT_EQ(Get(again, "Path"), "C:\\GAMES\\QUENBAR\\");
  EXPECT_EQ(Get(again, "QUOTE"), "say \"hi\" \\o/");
  EXPECT_EQ(Get(again, ""), "default");
  EXPECT_EQ(Get(again, "none"), "<2>");
  plat::RegCloseKey(again);
}

TEST_F(RegistryTest, QueryHonoursTheBufferSize) {
  HKEY key = Create(plat::HKEY_CURRENT_USER, kRelease);
  ASSERT_EQ(Set(key, "ARTPATH", "D:\\ART\\"), plat::ERROR_SUCCESS);  // 7 characters + NUL

  char buf[16];
  std::memset(buf, '#', sizeof buf);
  DWORD size = 7;
  DWORD type = 0;
  EXPECT_EQ(plat::RegQueryValueEx(key, "ARTPATH", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
            plat::ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(buf[0], '#');  // untouched

  size = 0;
  EXPECT_EQ(plat::RegQueryValueEx(key, "ARTPATH", nullptr, nullptr, nullptr, &size), plat::ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);

  size = 8;
  EXPECT_EQ(plat::RegQueryValueEx(key, "ARTPATH", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
            plat::ERROR_SUCCESS);
  EXPECT_EQ(type, plat::REG_SZ);
  EXPECT_STREQ(buf, "D:\\ART\\");
  EXPECT_EQ(plat::RegQueryValueEx(key, "ARTPATH", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), nullptr),
            plat::ERROR_INVALID_PARAMETER);

  // A stored size without a NUL, or with bytes after it, keeps the text only.
  EXPECT_EQ(
      plat::RegSetValueEx(key, "QUICKSTARTFILE", 0, plat::REG_SZ, reinterpret_cast<const BYTE*>("quick.clt!!"), 9),
      plat::ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "QUICKSTARTFILE"), "quick.clt");
  EXPECT_EQ(plat::RegSetValueEx(key, "X", 0, 4, reinterpret_cast<const BYTE*>("1234"), 4),
            plat::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Set(key, "X", "two\nlines"), plat::ERROR_INVALID_PARAMETER);
  plat::RegCloseKey(key);
}

TEST_F(RegistryTest, OpenCreateCloseAndRights) {
  HKEY key = nullptr;
  EXPECT_EQ(plat::RegOpenKeyEx(plat::HKEY_CURRENT_USER, kRelease, 0, plat::KEY_ALL_ACCESS, &key),
            plat::ERROR_FILE_NOT_FOUND);
  DWORD disposition = 0;
  ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_CURRENT_USER, kRelease, 0, nullptr, 0, plat::KEY_ALL_ACCESS, nullptr, &key,
                                 &disposition),
            plat::ERROR_SUCCESS);
  EXPECT_EQ(disposition, plat::REG_CREATED_NEW_KEY);
  HKEY same = nullptr;
  ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_CURRENT_USER, "Software\\halvorn\\QUENBAR\\release", 0, nullptr, 0,
                                 plat::KEY_ALL_ACCESS, nullptr, &same, &disposition),
            plat::ERROR_SUCCESS);
  EXPECT_EQ(disposition, plat::REG_OPENED_EXISTING_KEY);
  plat::RegCloseKey(same);
  // A key name with a line break would be saved and lost on reload: refused.
  for (const char* bad : {"SOFTWARE\\Two\nLines", "SOFTWARE\\Carriage\rReturn"})
    EXPECT_EQ(plat::RegCreateKeyEx(plat::HKEY_CURRENT_USER, bad, 0, nullptr, 0, plat::KEY_ALL_ACCESS, nullptr, &same,
                                   nullptr),
              plat::ERROR_INVALID_PARAMETER);

  HKEY readOnly = nullptr;
  ASSERT_EQ(plat::RegOpenKeyEx(key, nullptr, 0, plat::KEY_READ, &readOnly), plat::ERROR_SUCCESS);
  EXPECT_EQ(Set(readOnly, "A", "b"), plat::ERROR_ACCESS_DENIED);
  plat::RegCloseKey(readOnly);

  EXPECT_EQ(plat::RegCloseKey(key), plat::ERROR_SUCCESS);
  EXPECT_EQ(plat::RegCloseKey(key), plat::ERROR_INVALID_HANDLE);
  EXPECT_EQ(Get(key, "A"), "<6>");
  EXPECT_EQ(plat::RegCloseKey(plat::HKEY_CURRENT_USER), plat::ERROR_SUCCESS);
  EXPECT_EQ(plat::RegOpenKeyEx(plat::HKEY_CURRENT_USER, "", 0, plat::KEY_READ, &key), plat::ERROR_SUCCESS);
  plat::RegCloseKey(key);
}

TEST_F(RegistryTest, EnumeratesSubkeysInNameOrder) {
  const char* kModems = "System\\CurrentControlSet\\Services\\Class\\Modem";
  for (const char* sub : {"0002", "0000", "abc", "0001", "ABD"}) {
    HKEY k = Create(plat::HKEY_LOCAL_MACHINE, (std::string(kModems) + "\\" + sub).c_str());
    Set(k, "DriverDesc", std::string("Modem ") + sub);
    plat::RegCloseKey(k);
  }
  HKEY key = nullptr;
  ASSERT_EQ(plat::RegOpenKeyEx(plat::HKEY_LOCAL_MACHINE, kModems, 0, plat::KEY_READ, &key), plat::ERROR_SUCCESS);
  std::vector<std::string> names;
  char name[101];
  DWORD size = sizeof name;
  for (DWORD i = 0; plat::RegEnumKeyEx(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == plat::ERROR_SUCCESS;
       ++i, size = sizeof name) {
    EXPECT_EQ(size, std::strlen(name));
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"0000", "0001", "0002", "abc", "ABD"}));
  size = 4;  // "0000" needs 5 with its NUL
  EXPECT_EQ(plat::RegEnumKeyEx(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), plat::ERROR_MORE_DATA);
  size = sizeof name;
  EXPECT_EQ(plat::RegEnumKeyEx(key, 5, name, &size, nullptr, nullptr, nullptr, nullptr), plat::ERROR_NO_MORE_ITEMS);

  HKEY noEnum = nullptr;
  ASSERT_EQ(plat::RegOpenKeyEx(plat::HKEY_LOCAL_MACHINE, kModems, 0, plat::KEY_QUERY_VALUE, &noEnum),
            plat::ERROR_SUCCESS);
  EXPECT_EQ(plat::RegEnumKeyEx(noEnum, 0, name, &size, nullptr, nullptr, nullptr, nullptr), plat::ERROR_ACCESS_DENIED);
  plat::RegCloseKey(noEnum);
  plat::RegCloseKey(key);

  ASSERT_EQ(
      plat::RegOpenKeyEx(plat::HKEY_LOCAL_MACHINE, (std::string(kModems) + "\\0001").c_str(), 0, plat::KEY_READ, &key),
      plat::ERROR_SUCCESS);
  char value[32];
  DWORD valueSize = sizeof value;
  size = sizeof name;
  EXPECT_EQ(plat::RegEnumValue(key, 0, name, &size, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &valueSize),
            plat::ERROR_SUCCESS);
  EXPECT_STREQ(name, "DriverDesc");
  EXPECT_STREQ(value, "Modem 0001");
  EXPECT_EQ(valueSize, 11u);
  EXPECT_EQ(plat::RegEnumValue(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), plat::ERROR_NO_MORE_ITEMS);
  plat::RegCloseKey(key);
}

TEST_F(RegistryTest, MalformedFileSkipsBadLines) {
  WriteFile(file(),
            "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
            "\r\n"
            "\"Orphan\"=\"before any key\"\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Halvorn\\Quenbar\\Release]\r\n"
            "\"PATH\"=\"C:\\\\QUENBAR\\\\\"\r\n"
            "\"Unterminated\"=\"abc\r\n"
            "\"BadEscape\"=\"a\\qb\"\r\n"
            "\"Trailing\"=\"ok\" junk\r\n"
            "\"Dword\"=dword:00000001\r\n"
            "NoQuotes=x\r\n"
            "; a comment\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Broken\r\n"
            "\"Lost\"=\"x\"\r\n"
            "[HKEY_NOWHERE\\X]\r\n"
            "\"Lost2\"=\"x\"\r\n"
            "[-HKEY_CURRENT_USER\\SOFTWARE\\Halvorn]\r\n"
            "\"Lost3\"=\"x\"\r\n"
            "[]\r\n"
            "\x01\x02\xFF garbage\r\n"
            "[HKEY_CURRENT_USER\\SOFTWARE\\Halvorn\\Quenbar\\Release]\r\n"
            "\"EXCLUSIVEMODE\"=\"1\"\r\n"
            "\"Empty\"=\"\"");
  HKEY key = nullptr;
  ASSERT_EQ(plat::RegOpenKeyEx(plat::HKEY_CURRENT_USER, kRelease, 0, plat::KEY_ALL_ACCESS, &key), plat::ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "PATH"), "C:\\QUENBAR\\");
  EXPECT_EQ(Get(key, "EXCLUSIVEMODE"), "1");
  EXPECT_EQ(Get(key, "Empty"), "");
  for (const char* bad : {"Unterminated", "BadEscape", "Trailing", "Dword", "NoQuotes", "Orphan"}) {
    EXPECT_EQ(Get(key, bad), "<2>") << bad;
  }
  char name[64];
  DWORD size = sizeof name;
  int count = 0;
  while (plat::RegEnumValue(key, count, name, &size, nullptr, nullptr, nullptr, nullptr) == plat::ERROR_SUCCESS) {
    ++count;
    size = sizeof name;
  }
  EXPECT_EQ(count, 3);
  plat::RegCloseKey(key);
  HKEY broken = nullptr;
  EXPECT_EQ(plat::RegOpenKeyEx(plat::HKEY_CURRENT_USER, "SOFTWARE\\Broken", 0, plat::KEY_READ, &broken),
            plat::ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistryAndSwitchingFilesInvalidatesKeys) {
  HKEY key = Create(plat::HKEY_CURRENT_USER, kRelease);
  plat::SetRegistryFile(tmp.path() / "other.reg");
  EXPECT_EQ(Get(key, "PATH"), "<1018>");
  EXPECT_EQ(Set(key, "PATH", "x"), plat::ERROR_KEY_DELETED);
  plat::RegCloseKey(key);
  EXPECT_FALSE(std::filesystem::exists(tmp.path() / "other.reg"));
}

TEST_F(RegistryTest, UnwritableLocationReportsAWriteFault) {
  WriteFile(tmp.path() / "blocker", "a file where a directory should be");
  plat::SetRegistryFile(tmp.path() / "blocker" / "registry.reg");
  HKEY key = nullptr;
  EXPECT_EQ(plat::RegCreateKeyEx(plat::HKEY_CURRENT_USER, kRelease, 0, nullptr, 0, plat::KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr),
            plat::ERROR_WRITE_FAULT);
}

// A save killed half way leaves its temporary file; the next load removes it
// unless the process that wrote it still runs.
TEST_F(RegistryTest, LoadRemovesTemporariesOfSavesThatDied) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const auto temp = [&](pid_t pid) { return file().string() + ".tmp-" + std::to_string(pid); };
  WriteFile(file(), "Windows Registry Editor Version 5.00\n");
  WriteFile(temp(dead), "half a file");
  WriteFile(temp(getppid()), "a save still running");
  WriteFile(file().string() + ".tmp-notes", "not ours");
  HKEY key = Create(plat::HKEY_CURRENT_USER, kRelease);
  plat::RegCloseKey(key);
  EXPECT_FALSE(std::filesystem::exists(temp(dead)));
  EXPECT_FALSE(std::filesystem::exists(temp(getpid())));
  EXPECT_TRUE(std::filesystem::exists(temp(getppid())));
  EXPECT_TRUE(std::filesystem::exists(file().string() + ".tmp-notes"));
}

// The new file is synced before it replaces the old one, and the directory
// before and after the rename: the file on disk is the old one until the last
// sync makes the new one stay.
TEST_F(RegistryTest, SavesSyncTheFileAndItsDirectoryAroundTheRename) {
  HKEY key = Create(plat::HKEY_CURRENT_USER, kRelease);
  ASSERT_EQ(Set(key, "PATH", "old"), plat::ERROR_SUCCESS);
  std::vector<std::pair<std::filesystem::path, bool>> syncs;  // what was synced, and whether the file was new
  plat::SetSyncObserver([&](const std::filesystem::path& p) {
    syncs.emplace_back(p, ReadFile(file()).find("\"new\"") != std::string::npos);
  });
  ASSERT_EQ(Set(key, "PATH", "new"), plat::ERROR_SUCCESS);
  plat::SetSyncObserver(nullptr);
  plat::RegCloseKey(key);
  const auto temp = std::filesystem::path(file().string() + ".tmp-" + std::to_string(getpid()));
  EXPECT_EQ(syncs, (std::vector<std::pair<std::filesystem::path, bool>>{
                       {temp, false}, {file().parent_path(), false}, {file().parent_path(), true}}));
}

TEST(ConfigDirectory, FollowsTheEnvironment) {
  const char* keep[] = {"QUENBAR_CONFIG_DIR", "XDG_CONFIG_HOME", "HOME"};
  std::vector<std::optional<std::string>> saved;
  for (const char* name : keep) {
    const char* v = std::getenv(name);
    saved.push_back(v ? std::optional<std::string>(v) : std::nullopt);
  }
  ::setenv("QUENBAR_CONFIG_DIR", "/tmp/qc", 1);
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
  ::setenv("HOME", "/tmp/home", 1);
  EXPECT_EQ(plat::ConfigDirectory(), "/tmp/qc");
  ::setenv("QUENBAR_CONFIG_DIR", "", 1);
  EXPECT_EQ(plat::ConfigDirectory(), "/tmp/xdg/quenbar");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(plat::ConfigDirectory(), "/tmp/home/.config/quenbar");
  plat::ResetRegistryFile();
  EXPECT_EQ(plat::RegistryFile(), "/tmp/home/.config/quenbar/registry.reg");
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i]) {
      ::setenv(keep[i], saved[i]->c_str(), 1);
    } else {
      ::unsetenv(keep[i]);
    }
  }
}

}  // namespace
