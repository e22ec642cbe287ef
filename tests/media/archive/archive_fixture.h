#pragma once
// An archive system over a scratch drive, with helpers that write archives
// through the tools' writer.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media/ResourceArchive.h"
#include "tests/support/scratch_drive.h"
#include "tools/nob/nobwriter.h"

namespace archivetest {

// A resource whose first word points at its second half, with a fix-up for it.
inline nob::Resource Linked(std::uint32_t type, std::uint8_t fill, std::uint32_t size = 64, std::uint32_t flags = 0) {
  nob::Resource r;
  r.type = type;
  r.flags = flags;
  r.data.assign(size, fill);
  const std::uint32_t half = size / 2;
  std::memcpy(r.data.data(), &half, 4);
  r.fixups = {0};
  return r;
}

inline std::string AsString(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ArchiveSystemInit(nullptr, 0, 16384, 200000), 1); }
  void TearDown() override { ArchiveSystemShutdown(); }

  // Writes the archive as C:\<name> and returns its DOS path.
  std::string Put(const std::string& name, std::uint32_t base, std::uint32_t mode,
                  const std::vector<nob::Resource>& resources) {
    const auto image = nob::WriteArchive(base, mode, resources);
    EXPECT_TRUE(image.has_value());
    drive_.Write(name, image ? AsString(*image) : std::string());
    return drive_.Dos(name);
  }
  std::string PutBytes(const std::string& name, const std::string& bytes) {
    drive_.Write(name, bytes);
    return drive_.Dos(name);
  }

  quentest::ScratchDrive drive_;
};

}  // namespace archivetest
