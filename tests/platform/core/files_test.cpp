#include "platform/core/files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/core/dospath.h"
#include "tests/platform/core/temp_dir.h"

namespace {

using plat_test::ReadFile;
using plat_test::TempDir;
using plat_test::WriteFile;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ClearDrives();
    plat::SetDrive('C', tmp.path());
    ASSERT_TRUE(plat::SetCurrentDosDirectory("C:\\"));
  }
  std::filesystem::path Host(const char* name) { return tmp.path() / name; }

  TempDir tmp;
};

TEST_F(FilesTest, TextModeWritesCrLfAndReadsItBack) {
  plat::FILE* f = plat::fopen("C:\\Notes.TXT", "w");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(plat::fputs("one\ntwo\n", f), 0);
  EXPECT_EQ(plat::fprintf(f, "%s=%d\n", "KEY", 42), 7);
  EXPECT_EQ(plat::fputc('x', f), 'x');
  EXPECT_EQ(plat::fclose(f), 0);
  EXPECT_EQ(ReadFile(Host("Notes.TXT")), "one\r\ntwo\r\nKEY=42\r\nx");

  f = plat::fopen("c:\\notes.txt", "rt");
  ASSERT_NE(f, nullptr);
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
  plat::fclose(f);

  // The same bytes in binary mode come back untouched.
  f = plat::fopen("C:\\NOTES.TXT", "rb");
  char raw[32] = {};
  EXPECT_EQ(plat::fread(raw, 1, sizeof raw, f), 19u);
  EXPECT_EQ(std::string(raw, 5), "one\r\n");
  plat::fclose(f);
}

TEST_F(FilesTest, TextModeReadingRules) {
  // LF alone stays LF; a CR not before LF stays; Ctrl-Z ends the text.
  WriteFile(Host("mixed.dat"), "a\nb\rc\r\r\nd\x1A" "after");
  plat::FILE* f = plat::fopen("C:\\MIXED.DAT", "r");
  ASSERT_NE(f, nullptr);
  char buf[32] = {};
  EXPECT_EQ(plat::fread(buf, 1, sizeof buf, f), 8u);
  EXPECT_EQ(std::string(buf, 8), "a\nb\rc\r\nd");
  EXPECT_EQ(plat::feof(f), 1);
  EXPECT_EQ(plat::fgetc(f), EOF);
  plat::fclose(f);

  f = plat::fopen("C:\\MIXED.DAT", "rb");
  std::memset(buf, 0, sizeof buf);
  EXPECT_EQ(plat::fread(buf, 1, sizeof buf, f), 15u);
  EXPECT_EQ(buf[10], 'a');
  plat::fclose(f);
}

TEST_F(FilesTest, CrLfSplitAcrossTheReadBuffer) {
  // A CR as the last byte of one buffer fill and its LF as the first of the next.
  std::string text(4095, 'x');
  text += "\r\nend";
  WriteFile(Host("long.txt"), text);
  plat::FILE* f = plat::fopen("C:\\long.txt", "r");
  ASSERT_NE(f, nullptr);
  std::string got;
  for (int c; (c = plat::fgetc(f)) != EOF;) got += static_cast<char>(c);
  EXPECT_EQ(got, std::string(4095, 'x') + "\nend");
  EXPECT_EQ(plat::ftell(f), static_cast<long>(text.size()));
  plat::fclose(f);
}

TEST_F(FilesTest, BinarySeekTellAndUpdate) {
  plat::FILE* f = plat::fopen("C:\\data.bin", "wb");
  ASSERT_NE(f, nullptr);
  const unsigned char bytes[] = {1, 2, '\n', 4, 5, 6, 7, 8};
  EXPECT_EQ(plat::fwrite(bytes, 2, 4, f), 4u);
  EXPECT_EQ(plat::ftell(f), 8);
  plat::fclose(f);
  EXPECT_EQ(ReadFile(Host("data.bin")).size(), 8u);

  f = plat::fopen("C:\\DATA.BIN", "r+b");
  ASSERT_NE(f, nullptr);
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
  plat::fclose(f);
}

TEST_F(FilesTest, LargeBinaryReadsAfterSmallOnes) {
  std::string bytes(20000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  WriteFile(Host("archive.nob"), bytes);
  plat::FILE* f = plat::fopen("C:\\ARCHIVE.NOB", "rb");
  ASSERT_NE(f, nullptr);
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
  plat::fclose(f);
}

TEST_F(FilesTest, AppendModes) {
  WriteFile(Host("log.txt"), "start");
  plat::FILE* f = plat::fopen("C:\\LOG.TXT", "a");
  ASSERT_NE(f, nullptr);
  plat::fprintf(f, "\nline %d", 2);
  plat::fclose(f);
  EXPECT_EQ(ReadFile(Host("log.txt")), "start\r\nline 2");

  f = plat::fopen("C:\\replay.rpl", "ab+");
  ASSERT_NE(f, nullptr);
  plat::fwrite("AB", 1, 2, f);
  plat::rewind(f);
  EXPECT_EQ(plat::fgetc(f), 'A');
  plat::fwrite("C\n", 1, 2, f);  // appended at the end whatever the position
  plat::fclose(f);
  EXPECT_EQ(ReadFile(Host("replay.rpl")), "ABC\n");
}

TEST_F(FilesTest, ModesAndFailures) {
  EXPECT_EQ(plat::fopen("C:\\missing.txt", "r"), nullptr);
  EXPECT_EQ(plat::fopen("Q:\\x.txt", "w"), nullptr);
  EXPECT_EQ(plat::fopen("C:\\x.txt", "x"), nullptr);
  EXPECT_EQ(plat::fopen("C:\\x.txt", "rbt"), nullptr);
  EXPECT_EQ(plat::fopen("C:\\x.txt", nullptr), nullptr);
  std::filesystem::create_directories(Host("dir"));
  EXPECT_EQ(plat::fopen("C:\\DIR", "r"), nullptr);

  WriteFile(Host("settings.dat"), "Name: Val\r\n");
  plat::FILE* f = plat::fopen("C:\\SETTINGS.DAT", "r+c");  // the commit flag is taken
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(plat::fflush(f), 0);
  plat::fclose(f);

  f = plat::fopen("C:\\SETTINGS.DAT", "r");
  EXPECT_EQ(plat::fputc('x', f), EOF);  // not open for writing
  EXPECT_EQ(plat::ferror(f), 1);
  plat::clearerr(f);
  EXPECT_EQ(plat::ferror(f), 0);
  plat::fclose(f);
  EXPECT_EQ(plat::fclose(nullptr), EOF);
}

TEST_F(FilesTest, ScanfAndUngetc) {
  WriteFile(Host("names.dat"), "Alpha|Beta\r\n|Gamma\r\nCOSTS=1 -2 3\r\n");
  plat::FILE* f = plat::fopen("C:\\names.dat", "rt");
  ASSERT_NE(f, nullptr);
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
  plat::fclose(f);
}

TEST_F(FilesTest, RemoveRenameAndWholeFiles) {
  WriteFile(Host("Game1.rpl"), "r1");
  WriteFile(Host("Game2.rpl"), "r2");
  EXPECT_EQ(plat::rename("C:\\GAME1.RPL", "C:\\game2.rpl"), -1);  // no replacing
  EXPECT_EQ(plat::rename("C:\\GAME1.RPL", "C:\\Moved.rpl"), 0);
  EXPECT_EQ(ReadFile(Host("Moved.rpl")), "r1");
  EXPECT_EQ(plat::remove("C:\\MOVED.RPL"), 0);
  EXPECT_EQ(plat::remove("C:\\MOVED.RPL"), -1);
  std::filesystem::create_directories(Host("sub"));
  EXPECT_EQ(plat::remove("C:\\SUB"), -1);

  auto bytes = plat::ReadWholeFile("c:\\game2.RPL");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "r2");
  EXPECT_FALSE(plat::ReadWholeFile("C:\\nothing").has_value());
  EXPECT_FALSE(plat::ReadWholeFile("C:\\sub").has_value());
}

TEST_F(FilesTest, MappedFileIsPrivateCopyOnWrite) {
  WriteFile(Host("3ddata.nob"), "ARCHIVE!");
  auto map = plat::MappedFile::Open("C:\\3DDATA.NOB");
  ASSERT_TRUE(map.has_value());
  ASSERT_EQ(map->size(), 8u);
  EXPECT_EQ(map->bytes()[0], 'A');
  map->bytes()[0] = 'X';
  EXPECT_EQ(map->bytes()[0], 'X');
  EXPECT_EQ(ReadFile(Host("3ddata.nob")), "ARCHIVE!");

  plat::MappedFile moved = std::move(*map);
  EXPECT_EQ(moved.bytes()[0], 'X');
  EXPECT_EQ(map->size(), 0u);

  WriteFile(Host("empty.nob"), "");
  auto empty = plat::MappedFile::Open("C:\\empty.nob");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->size(), 0u);
  EXPECT_FALSE(plat::MappedFile::Open("C:\\none.nob").has_value());
}

}  // namespace
