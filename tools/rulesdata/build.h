#pragma once
// The whole rules data build: reads the sources of a folder (hulls.txt,
// modules.txt, defBP.txt, gamevar.txt, astnames.txt) and writes the five files
// the game reads ("hulls.dat", "modules.dat", "defBP.dat", "gamevar.dat",
// "astnames.dat") into another. Nothing is written when any source has a problem.

#include <filesystem>
#include <string>
#include <vector>

namespace rulesdata {

struct BuildReport {
  std::vector<std::string> problems;  // "file:line: message"
  std::vector<std::string> summary;   // one line per file written
};

BuildReport BuildRulesData(const std::filesystem::path& sourceDir, const std::filesystem::path& outputDir);

}  // namespace rulesdata
