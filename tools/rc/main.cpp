// quenrc: compiles a resource script into a resource-only module.
//   quenrc script.rc -o module.dll [-I dir]... [-DNAME[=value]]... [--depfile file.d]
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/rc/compiler.h"
#include "tools/rc/moduleimage.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: quenrc script.rc -o module.dll [-I dir]... [-DNAME[=value]]... [--depfile file.d]\n");
  return 2;
}

// Make-style dependency list, so the build reruns us when an input changes.
bool WriteDepfile(const std::filesystem::path& depfile, const std::filesystem::path& target,
                  const std::vector<std::filesystem::path>& deps) {
  auto escape = [](const std::string& s) {
    std::string out;
    for (char c : s) {
      if (c == ' ' || c == '#') out.push_back('\\');
      if (c == '$') out.push_back('$');
      out.push_back(c);
    }
    return out;
  };
  std::ofstream out(depfile);
  out << escape(target.string()) << ":";
  for (const auto& d : deps) out << " \\\n  " << escape(std::filesystem::absolute(d).string());
  out << "\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path script, output, depfile;
  rc::CompileOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (arg == "-I" && i + 1 < argc) {
      options.includeDirs.emplace_back(argv[++i]);
    } else if (arg.rfind("-I", 0) == 0 && arg.size() > 2) {
      options.includeDirs.emplace_back(arg.substr(2));
    } else if (arg.rfind("-D", 0) == 0 && arg.size() > 2) {
      std::string def = arg.substr(2);
      std::size_t eq = def.find('=');
      if (eq == std::string::npos) {
        options.defines.emplace_back(def, "1");
      } else {
        options.defines.emplace_back(def.substr(0, eq), def.substr(eq + 1));
      }
    } else if (arg == "--depfile" && i + 1 < argc) {
      depfile = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      return Usage();
    }
  }
  if (script.empty() || output.empty()) return Usage();

  rc::CompileResult result = rc::CompileScript(script, options);
  if (!result.Ok()) {
    std::fprintf(stderr, "quenrc: %s\n", result.error.c_str());
    return 1;
  }
  std::vector<std::uint8_t> image;
  try {
    image = rc::WriteModuleImage(result.resources);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quenrc: %s\n", e.what());
    return 1;
  }
  // Written beside the target and renamed, so a failed run never leaves half a module.
  std::filesystem::path temp = output;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (!out) {
      std::fprintf(stderr, "quenrc: cannot write %s\n", temp.string().c_str());
      return 1;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, output, ec);
  if (ec) {
    std::fprintf(stderr, "quenrc: cannot write %s\n", output.string().c_str());
    return 1;
  }
  if (!depfile.empty() && !WriteDepfile(depfile, output, result.dependencies)) {
    std::fprintf(stderr, "quenrc: cannot write %s\n", depfile.string().c_str());
    return 1;
  }
  return 0;
}
