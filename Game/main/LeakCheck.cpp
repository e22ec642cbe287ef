#include "Game/main/LeakCheck.h"

#ifdef QUEN_SANITIZE

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>

// SDL's video opens a connection to the system bus and never calls the bus
// library's own shutdown, the only thing that frees it. A run that let only
// that pass ends without a word of it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

// The GL driver under SDL's renderer keeps its allocations in its own static
// data and is unloaded when the display closes; the check would then find
// them held by nothing, with the driver's code gone from their stacks, so
// that no suppression could name it.
void KeepLibrariesForTheLeakCheck() {
  std::vector<std::string> loaded;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* names) {
        if (info->dlpi_name && *info->dlpi_name)
          static_cast<std::vector<std::string>*>(names)->push_back(info->dlpi_name);
        return 0;
      },
      &loaded);
  for (const std::string& name : loaded) dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

#else

void KeepLibrariesForTheLeakCheck() {}

#endif
