// The settings dialog opened from the control panel: the view framework
// copies its switches in and takes them back on Save. The distance fog and
// the star background are the current view's (the 3D views answer them; the
// 2D views the shared 3D world's, or the player's settings without one); the
// facing, camera and frame-animation switches are the framework's own.
#include "Game/app/AppGlobals.h"
#include "Game/dialogs/CDInGameSettingsDlg.h"
#include "Game/model/GGameData.h"
#include "Game/net/AutosavePacket.h"
#include "Game/net/NetSession.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/SettingsApplication.h"
#include "Game/views/world/CVSgWorld.h"
#include "media/CSndPlay.h"

using namespace plat;

int CVGeneric::IsStarBackgroundOn() {
  if (!g_sgWorld) return ApplicationStarBackgroundOn() ? 1 : 0;
  return static_cast<int>(g_sgWorld->IsStarBackgroundOn());
}

void CVGeneric::SetStarBackground(int on) {
  if (!g_sgWorld || (g_sgWorld->IsStarBackgroundOn() != 0) == (on != 0)) return;
  g_sgWorld->ToggleStarBackground();
  g_sgWorld->redraw = 1;
}

int CVGeneric::IsDistanceFogOn() {
  if (!g_sgWorld) return ApplicationDistanceFogOn() ? 1 : 0;
  return static_cast<int>(g_sgWorld->IsDistanceFogOn());
}

void CVGeneric::SetDistanceFog(int on) {
  if (!g_sgWorld || (g_sgWorld->IsDistanceFogOn() != 0) == (on != 0)) return;
  if (on)
    g_sgWorld->EnableDistanceFog();
  else
    g_sgWorld->DisableDistanceFog();
  g_sgWorld->redraw = 1;
}

namespace {

// The view's switches and the application's settings behind the dialog.
class CViewSettings : public ISettingsScreen {
 public:
  explicit CViewSettings(CVGeneric* generic) : m_generic(generic) {}
  void ApplyToView(const InGameSettings& s) override {
    SharedScreen().cameraTravelOff = s.autozoom ? 0 : 1;
    SharedScreen().frameAnimationsOn = s.frameAnimation;
    SharedScreen().shipFacingOff = s.shipFacing ? 0 : 1;
    if (m_generic) {
      m_generic->SetStarBackground(static_cast<int>(s.stars));
      m_generic->SetDistanceFog(static_cast<int>(s.distanceFog));
    }
  }
  PlayerOptions* Options() override { return ApplicationOptions(); }
  void WriteUserInfo() override { WriteApplicationUserInfo(); }
  void AutosaveSwitched(bool on) override {
    auto packet = BuildAutosaveSwitchPacket(on);
    if (g_session)
      g_session->Send(kAllPlayersSlot, packet.bytes.data(), static_cast<std::uint32_t>(packet.bytes.size()));
  }

 private:
  CVGeneric* m_generic;
};

}  // namespace

void RunInGameSettingsDialog(CDDraw* display, HWND window, HINSTANCE instance, IGameView* view) {
  CVGeneric* generic = dynamic_cast<CVGeneric*>(view);
  InGameSettings current;
  CopySettingsFromApplication(current);
  if (g_sndPlay) current.speech = g_sndPlay->speechEnabled ? 1 : 0;
  current.shipFacing = SharedScreen().shipFacingOff ? 0 : 1;
  current.autozoom = SharedScreen().cameraTravelOff ? 0 : 1;
  current.frameAnimation = SharedScreen().frameAnimationsOn;
  if (generic) {
    current.distanceFog = static_cast<std::uint32_t>(generic->IsDistanceFogOn());
    current.stars = static_cast<std::uint32_t>(generic->IsStarBackgroundOn());
  }
  if (g_gameData) current.autosave = g_gameData->inGameSwitch;

  CViewSettings screen(generic);
  CDInGameSettingsDlg dialog(display, window, instance, current, ApplicationMayChangeAutosave(), screen);
}
