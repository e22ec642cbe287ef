// quenrulesdata SOURCE_DIR OUTPUT_DIR
//
// Checks the rules sources and writes the game's rules files. Problems are
// reported as "file:line: message" and then nothing is written.

#include <iostream>

#include "tools/rulesdata/build.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: quenrulesdata SOURCE_DIR OUTPUT_DIR\n";
    return 2;
  }
  const rulesdata::BuildReport report = rulesdata::BuildRulesData(argv[1], argv[2]);
  for (const std::string& p : report.problems) std::cerr << p << '\n';
  if (!report.problems.empty()) return 1;
  for (const std::string& s : report.summary) std::cout << s << '\n';
  return 0;
}
