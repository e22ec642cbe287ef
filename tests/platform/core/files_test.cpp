#include "platform/core/files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/core/dospath.h"
#include "platform/core/filestamp.h"
#include "tests/support/scoped_file.h"
#include "tests/support/scratch_drive.h"

namespace {

using quentest::ScopedFile;

class FilesTest : public ::testing::Test {
 protected:
  quentest::ScratchDrive drive;
};

TEST_F(FilesTest, TextModeWritesCrLfAndReadsItBack) {
  ScopedFile f("C:\\Notes.TXT", "w");
  ASSERT_TRUE(f);
  EXPECT_EQ(plat::fputs("one\ntwo\n", f), 0);
  EXPECT_EQ(plat::fprintf(f, "%s=%d\n", "KEY", 42), 7);
  EXPECT_EQ(plat::fputc('x', f), 'x');
  EXPECT_EQ(f.Close(), 0);
  EXPECT_EQ(drive.Read("Notes.TXT"), "one\r\ntwo\r\nKEY=42\r\nx");

  f = ScopedFile("c:\\notes.txt", "rt");
  ASSERT_TRUE(f);
  char line[32];
  ASSERT_NE(plat::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "one\n");
  EXPECT_EQ(plat::ftell(f), 5);  // raw offset: the CR counts
  ASSERT_NE(plat::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "two\n");
  const long mark = plat::ftell(f);
  EXPECT_EQ(mark, 10);
  ASSERT_NE(plat::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "KEY=42\n");
  EXPECT_EQ(plat::fseek(f, mark, SEEK_SET), 0);
  ASSERT_NE(plat::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "KEY=42\n");
  ASSERT_NE(plat::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "x");
  EXPECT_EQ(plat::feof(f), 1);
  EXPECT_EQ(plat::fgets(line, sizeof line, f), nullptr);

  // The same bytes in binary mode come back untouched.
  f = ScopedFile("C:\\NOTES.TXT", "rb");
  char raw[32] = {};
  EXPECT_EQ(plat::fread(raw, 1, sizeof raw, f), 19u);
  EXPECT_EQ(std::string(raw, 5), "one\r\n");
}

TEST_F(FilesTest, TextModeReadingRules) {
  // LF alone stays LF; a CR not before LF stays; Ctrl-Z ends the text.
  drive.Write("mixed.dat",
              "a\nb\rc\r\r\nd\x1A"
              "after");
  ScopedFile f("C:\\MIXED.DAT", "r");
  ASSERT_TRUE(f);
  char buf[32] = {};
  EXPECT_EQ(plat::fread(buf, 1, sizeof buf, f), 8u);
  EXPECT_EQ(std::string(buf, 8), "a\nb\rc\r\nd");
  EXPECT_EQ(plat::feof(f), 1);
  EXPECT_EQ(plat::fgetc(f), EOF);

  f = ScopedFile("C:\\MIXED.DAT", "rb");
  std::memset(buf, 0, sizeof buf);
  EXPECT_EQ(plat::fread(buf, 1, sizeof buf, f), 15u);
  EXPECT_EQ(buf[10], 'a');
}

TEST_F(FilesTest, CrLfSplitAcrossTheReadBuffer) {
  // A CR as the last byte of one buffer fill and its LF as the first of the next.
  std::string text(4095, 'x');
  text += "\r\nend";
  drive.Write("long.txt", text);
  ScopedFile f("C:\\long.txt", "r");
  ASSERT_TRUE(f);
  std::string got;
  for (int c; (c = plat::fgetc(f)) != EOF;) got += static_cast<char>(c);
  EXPECT_EQ(got, std::string(4095, 'x') + "\nend");
  EXPECT_EQ(plat::ftell(f), static_cast<long>(text.size()));
}

TEST_F(FilesTest, BinarySeekTellAndUpdate) {
  ScopedFile f("C:\\data.bin", "wb");
  ASSERT_TRUE(f);
  const unsigned char bytes[] = {1, 2, '\n', 4, 5, 6, 7, 8};
  EXPECT_EQ(plat::fwrite(bytes, 2, 4, f), 4u);
  EXPECT_EQ(plat::ftell(f), 8);
  EXPECT_EQ(drive.Read("data.bin").size(), 8u);

  f = ScopedFile("C:\\DATA.BIN", "r+b");
  ASSERT_TRUE(f);
  EXPECT_EQ(plat::fseek(f, -3, SEEK_END), 0);
  EXPECT_EQ(plat::fgetc(f), 6);
  EXPECT_EQ(plat::fputc(0x66, f), 0x66);  // writing straight after reading
  EXPECT_EQ(plat::fgetc(f), 8);           // and reading straight after writing
  EXPECT_EQ(plat::fgetc(f), EOF);
  EXPECT_EQ(plat::fseek(f, -2, SEEK_CUR), 0);
  EXPECT_EQ(plat::ftell(f), 6);
  EXPECT_EQ(plat::fseek(f, -10, SEEK_SET), -1);
  EXPECT_EQ(plat::fseek(f, 0, 99), -1);
  plat::rewind(f);
  unsigned char back[8];
  EXPECT_EQ(plat::fread(back, 1, 8, f), 8u);
  EXPECT_EQ(back[6], 0x66);
  EXPECT_EQ(back[2], '\n');
}

TEST_F(FilesTest, LargeBinaryReadsAfterSmallOnes) {
  std::string bytes(20000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  drive.Write("archive.nob", bytes);
  ScopedFile f("C:\\ARCHIVE.NOB", "rb");
  ASSERT_TRUE(f);
  char small[10];
  ASSERT_EQ(plat::fread(small, 1, sizeof small, f), sizeof small);
  std::string big(9000, '\0');
  ASSERT_EQ(plat::fread(big.data(), 1, big.size(), f), big.size());
  EXPECT_EQ(big, bytes.substr(10, 9000));
  ASSERT_EQ(plat::fseek(f, 15000, SEEK_SET), 0);
  EXPECT_EQ(plat::fread(big.data(), 1000, 9, f), 5u);  // whole items only
  EXPECT_EQ(big.substr(0, 5000), bytes.substr(15000));
  EXPECT_EQ(plat::feof(f), 1);
  EXPECT_EQ(plat::ftell(f), 20000);
}

// Many small writes and reads go through the file's buffer: what reaches the
// disk must be exactly what one block write would have put there, wherever the
// buffer's edges fall (a text line end is never split from its CR).
TEST_F(FilesTest, FieldByFieldEqualsOneBlock) {
  std::string expected;
  {
    ScopedFile f("C:\\fields.bin", "wb");
    ASSERT_TRUE(f);
    const std::string large(40000, 'L');
    for (int i = 0; i < 30000; ++i) {
      const std::uint32_t v = static_cast<std::uint32_t>(i) * 2654435761u;
      const std::size_t width = 1 + i % 4;
      ASSERT_EQ(plat::fwrite(&v, width, 1, f), 1u);
      expected.append(reinterpret_cast<const char*>(&v), width);
      if (i % 9000 == 4500) {  // a write larger than the buffer, between small ones
        ASSERT_EQ(plat::fwrite(large.data(), 1, large.size(), f), large.size());
        expected += large;
      }
    }
    EXPECT_EQ(plat::ftell(f), static_cast<long>(expected.size()));
  }
  EXPECT_EQ(drive.Read("fields.bin"), expected);

  std::string lines, crlf;
  {
    ScopedFile f("C:\\lines.txt", "w");
    for (int i = 0; i < 9000; ++i) {
      const std::string line = "x" + std::string(static_cast<std::size_t>(i % 7), 'y') + "\n";
      plat::fputs(line.c_str(), f);
      lines += line;
      crlf += line.substr(0, line.size() - 1) + "\r\n";
    }
  }
  EXPECT_EQ(drive.Read("lines.txt"), crlf);

  // Read back field by field, with a read-ahead that gives back what it did
  // not use, as the design loader does.
  ScopedFile f("C:\\fields.bin", "rb");
  std::string back;
  char ahead[1024];
  while (back.size() < expected.size()) {
    const std::size_t got = plat::fread(ahead, 1, sizeof ahead, f);
    ASSERT_GT(got, 0u);
    const std::size_t used = std::min<std::size_t>(got, 1 + back.size() % 700);
    back.append(ahead, used);
    ASSERT_EQ(plat::fseek(f, -static_cast<long>(got - used), SEEK_CUR), 0);
    ASSERT_EQ(plat::ftell(f), static_cast<long>(back.size()));
  }
  EXPECT_EQ(back, expected);
  EXPECT_EQ(plat::fgetc(f), EOF);
  EXPECT_EQ(plat::fseek(f, 3, SEEK_SET), 0);
  EXPECT_EQ(plat::fgetc(f), static_cast<unsigned char>(expected[3]));
}

// A held lock keeps other threads out for the whole run of calls, and the
// holder's own calls (nested holds too) go through.
TEST_F(FilesTest, HeldLockKeepsOtherThreadsOutUntilReleased) {
  ScopedFile f("C:\\shared.bin", "wb+");
  ASSERT_TRUE(f);
  std::atomic<bool> otherWrote{false};
  std::thread other;
  {
    plat::FileLockGuard hold(f);
    other = std::thread([&] {
      plat::fputc('B', f);
      otherWrote = true;
    });
    for (char c : std::string("AAAA")) {
      plat::FileLockGuard nested(f);
      ASSERT_EQ(plat::fputc(c, f), c);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(otherWrote.load());
  }
  other.join();
  EXPECT_TRUE(otherWrote.load());
  plat::rewind(f);
  char back[6] = {};
  EXPECT_EQ(plat::fread(back, 1, 5, f), 5u);
  EXPECT_STREQ(back, "AAAAB");
}

TEST_F(FilesTest, AppendModes) {
  drive.Write("log.txt", "start");
  ScopedFile f("C:\\LOG.TXT", "a");
  ASSERT_TRUE(f);
  plat::fprintf(f, "\nline %d", 2);
  f.Close();
  EXPECT_EQ(drive.Read("log.txt"), "start\r\nline 2");

  f = ScopedFile("C:\\replay.rpl", "ab+");
  ASSERT_TRUE(f);
  plat::fwrite("AB", 1, 2, f);
  plat::rewind(f);
  EXPECT_EQ(plat::fgetc(f), 'A');
  plat::fwrite("C\n", 1, 2, f);  // appended at the end whatever the position
  f.Close();
  EXPECT_EQ(drive.Read("replay.rpl"), "ABC\n");
}

TEST_F(FilesTest, ModesAndFailures) {
  EXPECT_EQ(plat::fopen("C:\\missing.txt", "r"), nullptr);
  EXPECT_EQ(plat::fopen("Q:\\x.txt", "w"), nullptr);
  EXPECT_EQ(plat::fopen("C:\\x.txt", "x"), nullptr);
  EXPECT_EQ(plat::fopen("C:\\x.txt", "rbt"), nullptr);
  EXPECT_EQ(plat::fopen("C:\\x.txt", nullptr), nullptr);
  std::filesystem::create_directories(drive.Host("dir"));
  EXPECT_EQ(plat::fopen("C:\\DIR", "r"), nullptr);

  drive.Write("settings.dat", "Name: Val\r\n");
  ScopedFile f("C:\\SETTINGS.DAT", "r+c");  // the commit flag is taken
  ASSERT_TRUE(f);
  EXPECT_EQ(plat::fflush(f), 0);

  f = ScopedFile("C:\\SETTINGS.DAT", "r");
  EXPECT_EQ(plat::fputc('x', f), EOF);  // not open for writing
  EXPECT_EQ(plat::ferror(f), 1);
  plat::clearerr(f);
  EXPECT_EQ(plat::ferror(f), 0);
  EXPECT_EQ(plat::fclose(nullptr), EOF);
}

TEST_F(FilesTest, ScanfAndUngetc) {
  drive.Write("names.dat", "Alpha|Beta\r\n|Gamma\r\nCOSTS=1 -2 3\r\n");
  ScopedFile f("C:\\names.dat", "rt");
  ASSERT_TRUE(f);
  char name[32];
  ASSERT_EQ(plat::fscanf(f, "%31[^|\n]", name), 1);
  EXPECT_STREQ(name, "Alpha");
  plat::fscanf(f, "%*[|\n]");
  ASSERT_EQ(plat::fscanf(f, "%31[^|\n]", name), 1);
  EXPECT_STREQ(name, "Beta");
  plat::fscanf(f, "%*[|\n]");
  ASSERT_EQ(plat::fscanf(f, "%31[^|\n]", name), 1);
  EXPECT_STREQ(name, "Gamma");
  plat::fscanf(f, "%*[|\n]");
  short a = 0, b = 0, c = 0;
  EXPECT_EQ(plat::fscanf(f, "COSTS=%hd %hd %hd", &a, &b, &c), 3);
  EXPECT_EQ(b, -2);
  // scanf stopped at the line end and left it: the raw position is exact.
  EXPECT_EQ(plat::ftell(f), 32);
  EXPECT_EQ(plat::fgetc(f), '\n');
  int rest = 0;
  EXPECT_EQ(plat::fscanf(f, "%d", &rest), EOF);

  plat::rewind(f);
  EXPECT_EQ(plat::fgetc(f), 'A');
  EXPECT_EQ(plat::ungetc('A', f), 'A');
  EXPECT_EQ(plat::ftell(f), 0);
  EXPECT_EQ(plat::ungetc('Z', f), 'Z');
  EXPECT_EQ(plat::fgetc(f), 'Z');
  EXPECT_EQ(plat::fgetc(f), 'A');
  EXPECT_EQ(plat::ungetc(EOF, f), EOF);
}

TEST_F(FilesTest, RemoveRenameAndWholeFiles) {
  drive.Write("Game1.rpl", "r1");
  drive.Write("Game2.rpl", "r2");
  EXPECT_EQ(plat::rename("C:\\GAME1.RPL", "C:\\game2.rpl"), -1);  // no replacing
  EXPECT_EQ(plat::rename("C:\\GAME1.RPL", "C:\\Moved.rpl"), 0);
  EXPECT_EQ(drive.Read("Moved.rpl"), "r1");
  EXPECT_EQ(plat::remove("C:\\MOVED.RPL"), 0);
  EXPECT_EQ(plat::remove("C:\\MOVED.RPL"), -1);
  std::filesystem::create_directories(drive.Host("sub"));
  EXPECT_EQ(plat::remove("C:\\SUB"), -1);

  auto bytes = plat::ReadWholeFile("c:\\game2.RPL");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "r2");
  EXPECT_FALSE(plat::ReadWholeFile("C:\\nothing").has_value());
  EXPECT_FALSE(plat::ReadWholeFile("C:\\sub").has_value());
}

// A whole read takes every byte whether the file's size is known when it is
// opened (a regular file, over several of the reads' blocks) or not (a kernel
// file stated as empty); the stamp names the file it stamped, found under
// another spelling, and a read from that name gives its bytes.
TEST_F(FilesTest, WholeReadsTakeEveryByteAndAStampNamesItsFile) {
  std::string large(10000, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>('a' + i % 26);
  drive.Write("Large.BIN", large);
  const auto bytes = plat::ReadHostFile(drive.Host("Large.BIN"));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), large);
  const auto status = plat::ReadHostFile("/proc/self/status");
  ASSERT_TRUE(status.has_value());
  EXPECT_NE(std::string(status->begin(), status->end()).find("Name:"), std::string::npos);

  const auto stamped = plat::StampFile("C:\\large.bin");
  ASSERT_TRUE(stamped.has_value());
  EXPECT_EQ(stamped->host, drive.Host("Large.BIN"));
  EXPECT_EQ(stamped->stamp.size, large.size());
  EXPECT_EQ(plat::ReadHostFile(stamped->host), bytes);
  EXPECT_FALSE(plat::StampFile("C:\\missing.bin").has_value());
}

TEST_F(FilesTest, MappedFileIsPrivateCopyOnWrite) {
  drive.Write("3ddata.nob", "ARCHIVE!");
  auto map = plat::MappedFile::Open("C:\\3DDATA.NOB");
  ASSERT_TRUE(map.has_value());
  ASSERT_EQ(map->size(), 8u);
  EXPECT_EQ(map->bytes()[0], 'A');
  map->bytes()[0] = 'X';
  EXPECT_EQ(map->bytes()[0], 'X');
  EXPECT_EQ(drive.Read("3ddata.nob"), "ARCHIVE!");

  plat::MappedFile moved = std::move(*map);
  EXPECT_EQ(moved.bytes()[0], 'X');
  EXPECT_EQ(map->size(), 0u);

  drive.Write("empty.nob", "");
  auto empty = plat::MappedFile::Open("C:\\empty.nob");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->size(), 0u);
  EXPECT_FALSE(plat::MappedFile::Open("C:\\none.nob").has_value());
}

}  // namespace
