#pragma once
#include "platform/core/files.h"
int GlyphCount();
