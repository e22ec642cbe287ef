// quenstrtable SOURCE RC_OUT INDEX_OUT
//
// Checks the string-table source and writes the STRINGTABLE resource script
// and the image of the index resource 201. Any problem is reported as
// "SOURCE:LINE: message" and nothing is written.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/strtable/build.h"

namespace {

bool ReadFile(const char* path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  content = buffer.str();
  return !in.bad();
}

bool WriteFile(const char* path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: quenstrtable SOURCE RC_OUT INDEX_OUT\n";
    return 2;
  }
  const char* sourcePath = argv[1];
  std::string content;
  if (!ReadFile(sourcePath, content)) {
    std::cerr << sourcePath << ": cannot be read\n";
    return 1;
  }

  const strtable::BuiltTable built = strtable::BuildStringTable(content);
  for (const strtable::TableProblem& p : built.problems) {
    std::cerr << sourcePath << ':' << p.line << ": " << p.message << '\n';
  }
  if (!built.problems.empty()) return 1;

  if (!WriteFile(argv[2], built.script.data(), built.script.size()) ||
      !WriteFile(argv[3], built.index.data(), built.index.size())) {
    std::cerr << "quenstrtable: cannot write the outputs\n";
    std::remove(argv[2]);
    std::remove(argv[3]);
    return 1;
  }
  return 0;
}
