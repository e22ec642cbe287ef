#pragma once
// The game core's shell for tests, benches and fuzz targets: registered for
// its lifetime, it writes down what the core asked of the program and answers
// from a script. Unlike the default it hears the session's packets without a
// notify window (`hears`), as a program with its windows up would.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Game/base/ClientShell.h"
#include "platform/core/files.h"

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

  // What was asked or shown: text IDs ("ID arg" for a question with an
  // argument), boxes as "ID" or "ID arg" or their literal text, movies, the
  // saves the player wrote.
  std::vector<std::string> asked, boxes, movies, ownSaves;
  std::vector<std::string> rulesMessages;  // the rules data's complaints
  std::vector<std::string> systemBoxes;    // "caption: text"
  int logins = 0;                          // login boxes asked for
  std::vector<Posted> posted;
  std::vector<std::uint16_t> handled;
  std::vector<std::vector<std::uint8_t>> settings;
  std::vector<int> quits;
  std::vector<std::uint32_t> mainWindowPosts;
  std::vector<int> loadModes;         // the load screen's modes asked for
  std::vector<std::string> progress;  // text IDs opened
  int progressCloses = 0, pendingEscapes = 0, configScreens = 0, replayDeletes = 0;
  // The application's block read back from a save.
  std::string loadedAppState;

  // The script: answers to the questions in turn (then yes), the names the
  // save dialog chooses in turn (then cancel), the load screen's choices
  // likewise, the application's block of a
  // save, its chapter and name, the configuration block, the lobby start,
  // the handlers' chapter (else the game's) and whether the session's
  // packets are heard at all.
  std::deque<bool> answers;
  std::deque<std::string> saveNames;
  std::deque<std::pair<std::string, std::string>> loadChoices;  // directory, name
  std::string appState;
  std::optional<std::uint16_t> appChapter;
  std::string playerName;
  std::span<std::uint8_t> configBlock;
  bool lobby = false;
  std::optional<std::uint16_t> chapter;
  bool hears = true;
  // The battle-plan dialogs (a unit's and a group's share one) and the
  // default-plan dialog: each plays the player on the record it is given
  // (none: cancelled).
  std::function<bool(BattlePlanPacket&)> planDialog;
  std::function<bool(DefaultBattlePlanTable&)> defaultPlanDialog;
  // The screen of the running game taken down (a load).
  std::function<void()> releaseGameScreen;

  bool AskYesNo(const char* textId, const char* arg) override { return Answer(Line(textId, arg)); }
  bool AskInPlay(const char* textId) override { return Answer(textId); }
  void ShowTextBox(const char* textId, const char* arg) override { boxes.push_back(Line(textId, arg)); }
  void ShowPlainBox(const char* text) override { boxes.emplace_back(text); }
  void ShowSystemBox(const char* text, const char* caption) override {
    systemBoxes.push_back(std::string(caption) + ": " + text);
  }
  void ShowRulesMessage(const char* text) override { rulesMessages.emplace_back(text); }
  bool RunBattlePlanDialog(BattlePlanPacket& plan) override { return planDialog && planDialog(plan); }
  bool RunGroupBattlePlanDialog(BattlePlanPacket& plan) override { return planDialog && planDialog(plan); }
  bool RunDefaultBattlePlanDialog(DefaultBattlePlanTable& plans) override {
    return defaultPlanDialog && defaultPlanDialog(plans);
  }
  void PlayMovie(const char* file) override { movies.emplace_back(file); }
  void OpenProgress(const char* textId, int) override { progress.emplace_back(textId); }
  void CloseProgress() override { ++progressCloses; }
  void SetPendingEscape() override { ++pendingEscapes; }
  int SaveAppState(plat::FILE* file) override {
    return static_cast<int>(plat::fwrite(appState.data(), 1, appState.size(), file) == appState.size());
  }
  void ReleaseGameScreen() override {
    if (releaseGameScreen) releaseGameScreen();
  }
  int LoadAppState(plat::FILE* file) override {
    loadedAppState.assign(appState.size(), '\0');
    return static_cast<int>(plat::fread(loadedAppState.data(), 1, loadedAppState.size(), file) == appState.size());
  }
  bool ChooseSaveName(std::string* name) override {
    if (saveNames.empty()) return false;
    *name = saveNames.front();
    saveNames.pop_front();
    return true;
  }
  bool ChooseLoadFile(int mode, std::string* directory, std::string* name) override {
    loadModes.push_back(mode);
    if (loadChoices.empty()) return false;
    *directory = loadChoices.front().first;
    *name = loadChoices.front().second;
    loadChoices.pop_front();
    return true;
  }
  void OwnSaveWritten(const std::string& name) override { ownSaves.push_back(name); }
  void DeleteReplayFiles() override { ++replayDeletes; }
  std::uint16_t AppChapterId(std::uint16_t noApp) override { return appChapter.value_or(noApp); }
  const char* PlayerName() override { return playerName.c_str(); }
  void PostToMainWindow(std::uint32_t msg) override { mainWindowPosts.push_back(msg); }
  std::span<std::uint8_t> GameConfigBlock() override { return configBlock; }
  void RunConfigScreen(std::span<std::uint8_t>) override { ++configScreens; }
  bool LobbyLaunch() override { return lobby; }
  std::uint16_t HandlerChapterId(std::uint16_t ofGame) override { return chapter.value_or(ofGame); }
  void ApplyReceivedSettings(std::span<const std::uint8_t> packet) override {
    settings.emplace_back(packet.begin(), packet.end());
  }
  void PostQuit(int code) override { quits.push_back(code); }
  void RunLogin(HvMServiceEx_Struct&) override { ++logins; }
  bool HearsSession(plat::HWND) override { return hears; }
  void NotifySession(plat::HWND, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, bool send) override {
    posted.push_back({msg, wParam, lParam, send});
  }
  void PacketHandled(std::uint16_t type) override { handled.push_back(type); }

 private:
  static std::string Line(const char* textId, const char* arg) {
    return arg ? std::string(textId) + " " + arg : std::string(textId);
  }
  bool Answer(std::string question) {
    asked.push_back(std::move(question));
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace quentest
