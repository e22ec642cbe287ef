// Ship offers from the unit menu (packet 460) and sounds placed in the world.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Game/app/AppGlobals.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/CDSetPriceDlg.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/net/NetSession.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "media/CSndPlay.h"

std::vector<std::uint8_t> BuildShipOfferPacket(std::uint16_t localChapter, std::uint32_t unitId, std::uint8_t unitClass,
                                               const std::uint32_t prices[4]) {
  ShipOfferPostedPacket offer;
  offer.guild = static_cast<std::uint16_t>(localChapter >> 3);
  offer.slot = static_cast<std::uint16_t>(localChapter & 7);
  offer.unitId = unitId;
  offer.unitClass = unitClass;
  std::copy_n(prices, offer.prices.size(), offer.prices.begin());
  const auto image = offer.Build();
  return {image.bytes.begin(), image.bytes.end()};
}

void CVB3DView::OfferShip(std::uint32_t unitId) {
  if (!g_gameData) return;
  const std::uint32_t guild = g_gameData->GetLocalGuildIndex();
  auto box = [&](const char* id) {
    char text[orders::kTextSize + 1] = {};
    if (g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, orders::kTextSize);
    COkDlg ok(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, text, guild);
  };
  const CGChapter* local = g_gameData->GetLocalChapter();
  if (local && local->renegade) {
    box("ITDRENEG");
    return;
  }
  // The set-price dialog without bounds starts every amount at 0, so an
  // earlier offer for the ship cannot be shown in it.
  std::uint32_t prices[4] = {};
  std::uint32_t success = 0;
  {
    CDSetPriceDlg dialog(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, prices,
                         &success, nullptr);
    if (dialog.m_result != 1 || success != 1) return;
  }
  if (std::all_of(prices, prices + 4, [](std::uint32_t v) { return v == 0; })) return;
  std::uint8_t unitClass = 0;
  if (const CGUnit* unit = orders::FindUnitNear(GetCurrentAsteroidId(), unitId))
    if (const CGUnitTemplate* design = unit->GetTemplate()) unitClass = design->unitClass;
  std::vector<std::uint8_t> packet = BuildShipOfferPacket(LocalChapterId(), unitId, unitClass, prices);
  if (g_session) g_session->Send(kAllPlayersSlot, packet.data(), static_cast<std::uint32_t>(packet.size()));
  box("ITDPOSTD");
}

std::string SoundEffectPath(const char* name) {
  if (!name) return {};
  if (name[0] != '@') return name;
  return std::string(g_instData.GetSoundPath()) + "generic\\" + name;
}

PlacedSound PlaceSound(const double camera[3], const float right[3], const double point[3], bool loop, bool quiet) {
  double d[3] = {point[0] - camera[0], point[1] - camera[1], point[2] - camera[2]};
  const double distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  PlacedSound out;
  out.volume = static_cast<float>(distance / (loop ? 70.0 : quiet ? 330.0 : 110.0));
  if (distance > 0) {
    for (double& c : d) c /= distance;
  }
  const double sideways = d[0] * right[0] + d[1] * right[1] + d[2] * right[2];
  out.balance = static_cast<float>(-sideways);
  if (out.balance == 0.f) out.balance = 0.f;  // no negative zero
  return out;
}

void CVB3DView::PlaySoundAt(const char* name, const double position[3], bool loop, bool quiet) {
  if (!name || !g_sgWorld || !g_sndPlay) return;
  double camera[3];
  float forward[3], up[3], right[3];
  g_sgWorld->GetCameraPosition(camera);
  g_sgWorld->GetCameraForward(forward);
  g_sgWorld->GetCameraUp(up);
  DispCross(up, forward, right);
  DispNormalise(right);
  const PlacedSound s = PlaceSound(camera, right, position, loop, quiet);
  g_sndPlay->PlayEffect(SoundEffectPath(name).c_str(), s.volume, s.balance, loop ? 1 : 0);
}
