#pragma once
// The game core's shell for tests, benches and fuzz targets: registered for
// its lifetime, it writes down what the core asked of the program and answers
// from a script. Unlike the default it hears the session's packets without a
// notify window (`hears`), as a program with its windows up would.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Game/base/ClientShell.h"

namespace quentest {

struct Posted {
  std::uint32_t msg;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  bool sent;
};

class RecordingShell : public IClientShell {
 public:
  RecordingShell() { RegisterClientShell(this); }
  ~RecordingShell() override { RegisterClientShell(nullptr); }
  RecordingShell(const RecordingShell&) = delete;
  RecordingShell& operator=(const RecordingShell&) = delete;

  // What was asked or shown: text IDs, boxes as "ID" or "ID arg", movies.
  std::vector<std::string> asked, boxes, movies;
  std::vector<Posted> posted;
  std::vector<std::uint16_t> handled;
  std::vector<std::vector<std::uint8_t>> settings;
  std::vector<int> quits;
  int progressCloses = 0, pendingEscapes = 0, configScreens = 0;

  // The script: answers to the questions in turn (then yes), the
  // configuration block, the lobby start, the handlers' chapter (else the
  // game's) and whether the session's packets are heard at all.
  std::deque<bool> answers;
  std::span<std::uint8_t> configBlock;
  bool lobby = false;
  std::optional<std::uint16_t> chapter;
  bool hears = true;

  bool AskInPlay(const char* textId) override {
    asked.emplace_back(textId);
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowTextBox(const char* textId, const char* arg) override {
    boxes.push_back(arg ? std::string(textId) + " " + arg : std::string(textId));
  }
  void PlayMovie(const char* file) override { movies.emplace_back(file); }
  void CloseProgress() override { ++progressCloses; }
  void SetPendingEscape() override { ++pendingEscapes; }
  std::span<std::uint8_t> GameConfigBlock() override { return configBlock; }
  void RunConfigScreen(std::span<std::uint8_t>) override { ++configScreens; }
  bool LobbyLaunch() override { return lobby; }
  std::uint16_t HandlerChapterId(std::uint16_t ofGame) override { return chapter.value_or(ofGame); }
  void ApplyReceivedSettings(std::span<const std::uint8_t> packet) override {
    settings.emplace_back(packet.begin(), packet.end());
  }
  void PostQuit(int code) override { quits.push_back(code); }
  bool HearsSession(plat::HWND) override { return hears; }
  void NotifySession(plat::HWND, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                     bool send) override {
    posted.push_back({msg, wParam, lParam, send});
  }
  void PacketHandled(std::uint16_t type) override { handled.push_back(type); }
};

}  // namespace quentest
