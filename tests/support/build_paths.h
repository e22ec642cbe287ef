#pragma once
// Where a test or benchmark program finds the sources, the build and its own
// data. The folders are compiled into one generated file of each program
// (quen_build_paths in cmake/QuenLibrary.cmake), not into every file that names
// them: a checkout in another folder then compiles every other file to the
// same object, and the compiler cache finds it.

namespace quentest {
const char* SourceDir();
const char* BuildDir();
const char* TestDataDir();  // the test folder's data/; empty for a benchmark
}  // namespace quentest

#define QUEN_SOURCE_DIR (::quentest::SourceDir())
#define QUEN_BUILD_DIR (::quentest::BuildDir())
#define QUEN_TEST_DATA_DIR (::quentest::TestDataDir())
