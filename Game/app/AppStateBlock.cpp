#include "Game/app/AppStateBlock.h"

#include "Game/app/AppViewNotices.h"
#include "Game/base/ByteStream.h"

bool WriteAppStateBlock(plat::FILE* file, std::uint32_t randomSeed, const std::function<IGameView*(ViewType)>& view,
                        ViewType current, std::int32_t renderArgument) {
  FileWriter w(file);
  w.U32(randomSeed);
  AppViewNotices().SaveSharedState(file);
  for (ViewType type : kSavedViewOrder)
    if (IGameView* saved = view ? view(type) : nullptr) saved->SaveState(file);
  w.U8(1);
  w.U8(static_cast<std::uint8_t>(current));
  w.I32(renderArgument);
  return w.Ok();
}
