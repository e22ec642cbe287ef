#include "Game/main/GameLinks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/net/NetHandlerLinks.h"
#include "platform/user/queue.h"

void InstallHandlerLinks(NetHandlerLinks& links) {
  links.askYesNo = [](const char* textId) {
    if (!g_app) return 1;
    const std::string text = g_app->Text(textId);
    std::uint32_t answer = 0;
    {
      CYesNoDlg box(g_ddraw, g_mainWnd, g_app->m_instance, text.c_str(), static_cast<std::uint32_t>(LocalGuild()),
                    &answer);
    }
    // Asked in play (another player's load or restart), the box lay over the
    // view; answered No, nothing else draws the view again and the box would
    // stay on the screen.
    if (GameExists()) g_app->m_fullRedraw = 1;
    return answer == 1 ? 1 : 0;
  };
  links.showTextBox = [](const char* textId, const char* arg) {
    if (!g_app) return;
    char text[255];
    if (arg)
      g_app->TextIndex().GetText(textId, text, sizeof text, arg);
    else
      g_app->TextIndex().GetText(textId, text, sizeof text);
    COkDlg box(g_ddraw, g_mainWnd, g_app->m_instance, text, static_cast<std::uint32_t>(LocalGuild()));
  };
  links.playMovie = [](const char* file) {
    if (g_app) g_app->PlayMovie(file);
  };
  links.closeProgress = [] {
    if (g_appLinks.closeProgress) g_appLinks.closeProgress();
  };
  links.setPendingEscape = [] {
    if (g_app) g_app->m_pendingEscape = 1;
  };
  links.lobbyLaunch = [] { return g_app && g_app->m_role.lobbyLaunch != 0; };
  links.appChapterId = [] { return LocalChapterId(0); };
  links.applyReceivedSettings = [](std::span<const std::uint8_t> packet) {
    GameSettingsPacket settings;
    if (g_app && FromBytes(packet, settings)) g_app->ApplyReceivedSettings(settings);
  };
  links.postQuit = [](int code) { plat::PostQuitMessage(code); };
  links.windowMessage = [](plat::HWND window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                           bool send) {
    if (send)
      plat::SendMessage(window, msg, wParam, lParam);
    else
      plat::PostMessage(window, msg, wParam, lParam);
  };
  links.gameConfigBlock = []() -> std::span<std::uint8_t> {
    // The handler reads and sends the block at once; the screen's changes
    // go back into the application's own packet (runConfigScreen).
    static std::array<std::uint8_t, kGameConfigSize> block{};
    if (!g_app || !g_app->m_gameConfig) return {};
    block = ToBytes(*g_app->m_gameConfig);
    return block;
  };
  links.runConfigScreen = [](std::span<std::uint8_t> block) {
    GameConfigPacket config;
    if (!g_app || !g_appLinks.runConfigScreen || !FromBytes(block, config)) return;
    g_appLinks.runConfigScreen(config, g_app->m_role.lobbyLaunch == 0);
    if (g_app->m_gameConfig) *g_app->m_gameConfig = config;
    const auto bytes = ToBytes(config);
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), block.size())),
              block.begin());
  };
  links.packetHandled = [](std::uint16_t type) { NoteDispatchedPacket(type); };
}
