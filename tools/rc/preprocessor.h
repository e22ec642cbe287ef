#pragma once
// The preprocessing part of the compiler: comments, #include, #define,
// #undef, #ifdef / #ifndef / #else / #endif and #pragma (ignored). Included
// files ending in .h or .c contribute only their directives, so a header shared
// with C++ code can be included. Object-like macros are expanded as lines are
// split into tokens. Script text is UTF-8; a byte that does not start a valid
// sequence is taken as Windows-1252.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/rc/token.h"

namespace rc {

class Preprocessor {
 public:
  explicit Preprocessor(std::vector<std::filesystem::path> includeDirs);

  // The tokens of a script file, or of script text said to come from `name`
  // (relative includes then start in name's folder). Throws CompileError.
  std::vector<Token> Run(const std::filesystem::path& script);
  std::vector<Token> RunText(std::string_view text, const std::filesystem::path& name);

  // Defines a macro as "#define name value" would. Throws CompileError.
  void Define(const std::string& name, std::string_view value);

  // Finds a file named in the script: relative to the folder of the file that
  // names it, then in each include folder. Records it as a dependency.
  std::filesystem::path FindFile(const std::string& name, const Location& from);

  // Every file read so far: scripts, includes and files found with FindFile.
  const std::vector<std::filesystem::path>& Dependencies() const { return dependencies_; }

 private:
  struct Conditional {
    bool active;
    bool parentActive;
    bool elseSeen;
  };

  void ProcessFile(const std::filesystem::path& path, int depth);
  void ProcessText(std::string_view text, const std::filesystem::path& name, bool directivesOnly, int depth);
  void Directive(std::string_view line, const Location& where, int depth);
  // Splits a line into tokens; `expand` replaces macros (not in a #define's
  // value, which is expanded where it is used).
  void Tokenize(std::string_view line, const Location& where, std::vector<Token>& out, bool expand = true);
  void Expand(const Token& t, std::vector<Token>& out, std::set<std::string>& active);
  bool Active() const;
  void AddDependency(const std::filesystem::path& p);

  std::vector<std::filesystem::path> includeDirs_;
  std::map<std::string, std::vector<Token>> macros_;
  std::vector<Conditional> conditionals_;
  std::vector<Token> tokens_;
  std::vector<std::filesystem::path> dependencies_;
};

}  // namespace rc
