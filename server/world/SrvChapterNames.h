#pragma once
// The names the chapters have until a player names one: the program's string
// table's "CHAP0000" to "CHAP0039" (the guild-and-chapter screen's own
// defaults), read from the program's module as the client reads it ("quenbar.dll"
// beside the program); "Chapter <n>" (n from 1) for a text the module lacks.
//
// One thread only.

#include <array>
#include <string>

#include "Game/model/GWorldTypes.h"

// At most 30 characters each, as a chapter's name.
std::array<std::string, kMaxChapters> SrvDefaultChapterNames();
