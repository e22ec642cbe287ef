#pragma once
// The notifications of guild politics and of the game's end (the world's
// notification list, sent at the end of the step): category 4: 407 / 408
// control of an asteroid gained / lost (parameter 2 the asteroid), 409 a
// chapter eliminated (parameter 2 the chapter); category 6: 601 / 602 a
// chapter declared renegade / loyal again (parameter 2 the chapter), 603 /
// 604 a renegade vote against the reader cast / withdrawn, 605 / 606
// imperator backing given / withdrawn (parameter 1 the voter's slot).

#include <cstdint>

// Parameter 3 of an entry that names no unit.
constexpr std::uint32_t kSrvNoParameter = 0xFFFFFFFFu;
