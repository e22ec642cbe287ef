#include "tools/rulesdata/build.h"

#include <fstream>
#include <sstream>

#include "tools/rulesdata/hulls.h"
#include "tools/rulesdata/modules.h"
#include "tools/rulesdata/text_files.h"

namespace rulesdata {
namespace {

struct Output {
  std::string name;
  std::string bytes;
  std::size_t records = 0;
};

std::optional<std::string> ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void Note(BuildReport& report, const std::string& file, const std::vector<Problem>& problems) {
  for (const Problem& p : problems) report.problems.push_back(file + ":" + std::to_string(p.line) + ": " + p.message);
}

}  // namespace

BuildReport BuildRulesData(const std::filesystem::path& sourceDir, const std::filesystem::path& outputDir) {
  BuildReport report;
  std::vector<Output> outputs;
  auto source = [&](const char* name) {
    auto text = ReadText(sourceDir / name);
    if (!text) report.problems.push_back((sourceDir / name).string() + ": cannot be read");
    return text.value_or(std::string());
  };
  auto binary = [&](const char* src, const char* out, CompiledFile (*compile)(std::string_view)) {
    const std::string text = source(src);
    CompiledFile f = compile(text);
    Note(report, (sourceDir / src).string(), f.problems);
    outputs.push_back({out, std::string(f.bytes.begin(), f.bytes.end()), f.records});
  };
  auto textual = [&](const char* src, const char* out, CompiledText (*compile)(std::string_view)) {
    const std::string text = source(src);
    CompiledText f = compile(text);
    Note(report, (sourceDir / src).string(), f.problems);
    outputs.push_back({out, f.text, f.records});
  };
  binary("hulls.txt", "hulls.dat", CompileHulls);
  binary("modules.txt", "modules.dat", CompileModules);
  textual("defBP.txt", "defBP.dat", CompileDefBP);
  textual("gamevar.txt", "gamevar.dat", CompileGameVar);
  textual("astnames.txt", "astnames.dat", CompileAstNames);
  if (!report.problems.empty()) return report;

  std::error_code ec;
  std::filesystem::create_directories(outputDir, ec);
  for (const Output& o : outputs) {
    std::ofstream out(outputDir / o.name, std::ios::binary | std::ios::trunc);
    out.write(o.bytes.data(), static_cast<std::streamsize>(o.bytes.size()));
    out.close();
    if (!out) {
      report.problems.push_back((outputDir / o.name).string() + ": cannot be written");
      continue;
    }
    report.summary.push_back(o.name + ": " + std::to_string(o.records) + " records, " + std::to_string(o.bytes.size()) +
                             " bytes");
  }
  return report;
}

}  // namespace rulesdata
