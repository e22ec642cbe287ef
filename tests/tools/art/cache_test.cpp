// The asset cache: a generator runs once per set of inputs, a changed input
// runs it again, a failing one leaves no entry behind.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "paths.h"
#include "tests/support/source_scan.h"

namespace {

namespace fs = std::filesystem;

class AssetCache : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quen-asset-cache-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "inputs.txt") << (dir_ / "input.txt").string() << "\n";
    Write("first");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& text) { std::ofstream(dir_ / "input.txt") << text; }

  // Runs the cache script with a generator that logs each run and copies the
  // input into its output folder (or fails when `fail`); the exit status.
  int Run(bool fail = false) { return std::system(Command(fail, "out", "").c_str()); }

  // The cache script's command line for a build writing into `out`; `delay`
  // is a shell step run before the generator copies (joined with &&: the
  // script takes a ";" as a list separator).
  std::string Command(bool fail, const std::string& out, const std::string& delay) const {
    const std::string generator = fail ? "exit 3"
                                       : delay + "echo run >> '" + (dir_ / "runs.log").string() + "' && cp '" +
                                             (dir_ / "input.txt").string() + "' @OUT@/copy.txt";
    return "QUEN_ASSET_CACHE='" + (dir_ / "cache").string() + "' cmake -DNAME=test -DOUT='" + (dir_ / out).string() +
           "' -DSTAMP='" + (dir_ / "stamp").string() + "' -DINPUTS='" + (dir_ / "inputs.txt").string() +
           "' -DINSTALL='" + (dir_ / ("tree-" + out)).string() + "' -P '" +
           (SourceDir() / "data" / "assets" / "cache.cmake").string() + "' -- sh -c \"" + generator +
           "\" > /dev/null 2>&1";
  }

  fs::path dir_;
};

}  // namespace

TEST_F(AssetCache, RunsOncePerInputsAndAgainWhenOneChanges) {
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "out" / "copy.txt"), "first");
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "tree-out" / "copy.txt"), "first");
  EXPECT_TRUE(fs::exists(dir_ / "stamp"));
  EXPECT_FALSE(fs::exists(dir_ / "out" / ".complete"));

  fs::remove_all(dir_ / "out");
  ASSERT_EQ(Run(), 0);  // from the cache: the generator does not run again
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "out" / "copy.txt"), "first");
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "runs.log"), "run\n");

  Write("second");
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "out" / "copy.txt"), "second");
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "runs.log"), "run\nrun\n");
  // the entry of the old inputs was dropped, only the current one is kept
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "cache"), fs::directory_iterator()), 1);
}

TEST_F(AssetCache, AFailingGeneratorLeavesNoEntryAndKeepsTheOldOutput) {
  ASSERT_EQ(Run(), 0);
  Write("changed");
  EXPECT_NE(Run(true), 0);
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "out" / "copy.txt"), "first");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "cache"), fs::directory_iterator()), 1);
  ASSERT_EQ(Run(), 0);  // and the next good run makes the entry
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "out" / "copy.txt"), "changed");
}

TEST_F(AssetCache, TwoBuildsDrawingTheSameEntryAtOnceBothSucceed) {
  // Both generators are still drawing when either finishes: neither may find
  // its folder taken or emptied by the other.
  const std::string first = Command(false, "out-a", "sleep 1 && ");
  const std::string second = Command(false, "out-b", "sleep 1 && ");
  const std::string both = "(" + first + ") & a=$!; (" + second + "); b=$?; wait $a; exit $(( $? | b ))";
  ASSERT_EQ(std::system(both.c_str()), 0);
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "out-a" / "copy.txt"), "first");
  EXPECT_EQ(quentest::ReadWholeFile(dir_ / "out-b" / "copy.txt"), "first");
  // one entry, and no drawing folder left behind
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "cache"), fs::directory_iterator()), 1);
}
