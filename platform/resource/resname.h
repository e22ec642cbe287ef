#pragma once
// The name or type of a resource: a 16-bit number or a string, compared
// without regard to case. A string "#123" stands for the number 123, as the
// game writes help topics ("#%d") and as resource scripts allow.
// Plain values and pure functions: may be called from several threads.

#include <string>
#include <string_view>

#include "platform/core/types.h"

namespace plat {

// Standard resource types.
constexpr WORD RT_CURSOR = 1;
constexpr WORD RT_BITMAP = 2;
constexpr WORD RT_ICON = 3;
constexpr WORD RT_DIALOG = 5;
constexpr WORD RT_STRING = 6;
constexpr WORD RT_RCDATA = 10;
constexpr WORD RT_GROUP_CURSOR = 12;
constexpr WORD RT_GROUP_ICON = 14;

class ResName {
 public:
  // Numbers convert implicitly, as MAKEINTRESOURCE did; only the low 16 bits count.
  ResName(int id) : isId_(true), id_(static_cast<WORD>(id)) {}                // NOLINT
  ResName(const char* name) : ResName(std::string_view(name ? name : "")) {}  // NOLINT
  ResName(std::string_view name);  // NOLINT: "#digits" up to 65535 becomes a number
  ResName(const std::string& name) : ResName(std::string_view(name)) {}  // NOLINT
  // A string name taken as it stands, even when it reads "#123".
  static ResName Literal(std::string_view name) {
    ResName n(0);
    n.isId_ = false;
    n.name_ = std::string(name);
    return n;
  }

  bool IsId() const { return isId_; }
  WORD Id() const { return id_; }
  // The name as given (8-bit text); empty for numbers.
  const std::string& Name() const { return name_; }

 private:
  bool isId_ = false;
  WORD id_ = 0;
  std::string name_;
};

constexpr WORD MAKEINTRESOURCE(WORD id) { return id; }

// Order of a resource directory: all names first, compared as upper case,
// then numbers ascending. Returns <0, 0 or >0.
int CompareResNames(const ResName& a, const ResName& b);
inline bool operator==(const ResName& a, const ResName& b) { return CompareResNames(a, b) == 0; }

// Upper case of an 8-bit (Windows-1252) character, as resource names compare.
char UpperResChar(char c);

}  // namespace plat
