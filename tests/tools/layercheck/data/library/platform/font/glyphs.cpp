#include "platform/font/glyphs.h"

int GlyphCount() { return FileCount() + 1; }
