// The unit objects of a battle replay: made from what the replay file says of
// a unit (its id and appearance), not from a unit of the game model, which may
// have moved on or be gone since the battle.
#include <algorithm>
#include <string>

#include "Game/base/TraceError.h"
#include "Game/model/GUnit.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"

CVDispUnt* CVB3DView::CreateReplayObject(std::uint32_t id, std::span<const std::uint8_t> appearance,
                                         const double position[3]) {
  if (!displayList) return nullptr;
  if (g_sgWorld) g_sgWorld->redraw = 1;
  // The appearance bytes are the unit's class abbreviation (at most five, NUL-padded).
  std::string abbreviation;
  for (std::uint8_t c : appearance.first(std::min<std::size_t>(appearance.size(), 5))) {
    if (c == 0) break;
    abbreviation += static_cast<char>(c);
  }
  CVDispUnt* object = displayList->CreateUnitFromTemplate(id, abbreviation.c_str(), 0);
  if (!object) {
    TraceError("CVB3DView::CreateReplayObject - no object", __FILE__, __LINE__);
    return nullptr;
  }
  object->SetPosition(position);
  if (g_gridShown && !IsSolar()) {
    if (!displayList->Find(DISP_GRID, 0)) {
      RebuildGrid();
    } else if (CDispLine* line = displayList->CreateLine(object, GetChapterFromId(id), 0)) {
      // Tied to the grid plane in the colour of the chapter the id names.
      double at[3] = {position[0], position[1] + 0.01, position[2]};
      line->SetPosition(at);
      line->SetSpan(at[1], GridHeight());
    }
  }
  return object;
}
