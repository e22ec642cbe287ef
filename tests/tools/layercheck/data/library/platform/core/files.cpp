#include "platform/core/files.h"

int FileCount() { return 1; }
