// The resource compiler's reader of resource scripts: any text, preprocessed
// and compiled. The script names a folder that does not exist, so the files it
// asks for are missing rather than whatever lies about.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/rc/compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rc::CompileScriptText(std::string_view(reinterpret_cast<const char*>(data), size), "/nonexistent-fuzz/script.rc");
  return 0;
}
