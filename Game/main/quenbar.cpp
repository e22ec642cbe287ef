// The player's program. It opens the display the command line asks for
// (--headless, --windowed, --fullscreen) and runs the application. With
// --script FILE it runs under a script of input, waits and captures
// (Game/app/GameScript.h), headless unless a window is asked for, and exits
// with 0 when every wait was met, 1 when not, 2 when the script cannot be
// read. Headless without a script it runs
// under an empty one, so it shows its first screen and ends by itself. A start
// that cannot go on is named on standard error and ends with the codes of
// kUsage.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/app/GameScript.h"
#include "Game/app/InstallCheck.h"
#include "Game/base/GInstData.h"
#include "Game/base/GStartupMessage.h"
#include "Game/main/ClientShellImpl.h"
#include "Game/main/DesignLinks.h"
#include "Game/main/LeakCheck.h"
#include "Game/main/ProgramSink.h"
#include "Game/main/ScriptedBackend.h"
#include "media/MediaMessage.h"
#include "platform/backend/display_loss.h"
#include "platform/backend/sdl_audio.h"
#include "platform/backend/sdl_backend.h"
#include "platform/backend/start.h"
#include "platform/core/config.h"
#include "platform/core/files.h"
#include "platform/core/sudden_end.h"
#include "platform/display/audio.h"
#include "platform/display/backend.h"
#include "platform/resource/module.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

namespace {

constexpr int kScriptUnreadable = 2;
constexpr int kUsageError = 2;
constexpr int kCannotStart = 3;
constexpr int kExitDisplayLost = 6;
constexpr std::size_t kMaxScriptSize = 1 << 20;

constexpr const char* kUsage =
    "usage: quenbar [--headless | --windowed | --fullscreen] [--integer-scale] [--script FILE]\n"
    "\n"
    "The player's program of quenbar, a turn-based space strategy game.\n"
    "  --headless       no window: the screens are drawn in memory (the default when\n"
    "                   there is no display)\n"
    "  --windowed       an 800 x 600 window, scaled with the window\n"
    "  --fullscreen     the whole screen, the picture scaled keeping its shape\n"
    "  --integer-scale  scale the picture by whole steps only\n"
    "  --script FILE    play a script of timed input, waits and captures (headless,\n"
    "                   or in a window on the real clock with --windowed or\n"
    "                   --fullscreen); exits 0 when every wait was met, 1 when not,\n"
    "                   2 when the script cannot be read\n"
    "  --help           show this text\n"
    "\n"
    "Exit codes: 0 the program ended; 1 a script's wait was not met; 2 a wrong\n"
    "option or a script that cannot be read; 3 the program's resource module\n"
    "quenbar.dll is missing or damaged; 4 the installation is missing or damaged\n"
    "(its settings file registry.reg, 3D data or images); 5 no window could be\n"
    "opened; 6 the display was lost (its X server ended) while the program ran;\n"
    "128 + N signal N ended it (SIGTERM 143, SIGINT 130, SIGHUP 129). A lost\n"
    "display or such a signal ends it at once, the game server it started too.\n"
    "The cause is named on standard error, as are warnings after which the game\n"
    "goes on (a rules file that cannot be read: its defaults are used).\n"
    "\n"
    "Environment: QUENBAR_CONFIG_DIR names the folder of the settings and the\n"
    "installation's registry file (else $XDG_CONFIG_HOME/quenbar or\n"
    "~/.config/quenbar); QUENBAR_SEED=<number> seeds the program's own random\n"
    "numbers when a game starts, instead of the clock (QUENSRVR_SEED the world's);\n"
    "QUENBAR_SCRIPT_GRACE=<ms> is how long a scripted run may go on after its\n"
    "script's end before it is told to quit (10000; 0 for a run that plays alone);\n"
    "SDL_VIDEODRIVER and SDL_AUDIODRIVER choose SDL's drivers.\n";

// Takes "--script FILE" out of the arguments; empty when absent.
std::string TakeScriptOption(std::vector<std::string>& args) {
  for (auto it = args.begin(); it != args.end(); ++it) {
    if (*it != "--script") continue;
    const bool hasFile = it + 1 != args.end() && !(it + 1)->empty();
    std::string script = hasFile ? *(it + 1) : std::string("-");  // "-": asked for, without a file
    args.erase(it, hasFile ? it + 2 : it + 1);
    return script;
  }
  return {};
}

std::string JoinCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) {
    if (!line.empty()) line += ' ';
    line += a;
  }
  return line;
}

// A reason the program cannot start: on standard error, and in a box on a
// `display` (a scripted run without one has nobody to read it).
void TellStartFailure(const std::string& text, bool display) {
  std::fprintf(stderr, "quenbar: %s\n", text.c_str());
  const plat::Backend* backend = plat::CurrentBackend();
  if (display && backend && backend->CanAskUser()) plat::MessageBox(nullptr, text.c_str(), "Quenbar", plat::MB_OK);
}

// Runs the application; its exit code (0 when it started and ended).
int RunProgram(const std::vector<std::string>& args, bool display) {
  // Without its own module the program has no screen to show and would end at
  // once without a word: the file is named instead.
  if (const auto problem = ProgramModuleProblem()) {
    TellStartFailure(*problem, display);
    return kCannotStart;
  }
  static CProgramShell shell;
  RegisterClientShell(&shell);
  static CProgramSink sink;
  RegisterPacketSink(&sink);
  // The game screen hears what the game data, handlers and application tell it.
  RegisterAppViewNotices(&GameScreenNotices());
  g_mediaMessageBox = [](const char* text) {
    COkDlg box(g_ddraw, g_mainWnd, g_app ? g_app->m_instance : nullptr, text, static_cast<std::uint32_t>(LocalGuild()));
  };
  // Nor can it play without its folders, 3D data or images; the rules files
  // have defaults, and the application warns of them once its window is up.
  if (const InstallationReport installation = CheckInstallation(g_instData); !installation.playable) {
    std::vector<std::string> texts = installation.foldersKnown ? TakeStartupMessages() : std::vector<std::string>{};
    texts.insert(texts.end(), installation.problems.begin(), installation.problems.end());
    for (const std::string& text : texts) TellStartFailure(text, display);
    return kExitInstallationDamaged;
  }
  return WinMain(plat::GetModuleHandle(nullptr), nullptr, JoinCommandLine(args).c_str(), plat::SW_SHOW);
}

// A driver named by the player is taken at its word, but for those that show
// nothing; without one, SDL would settle on such a driver where no display is.
bool WindowCanBeSeen() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (!driver || !*driver) return plat::HostDisplayAvailable();
  const std::string_view name = driver;
  return name != "dummy" && name != "offscreen";
}

// Run straight from the build tree with no installation of the user's own,
// the program takes the one the data build laid beside it. The installation
// is read by static objects before main runs, so the program starts again in
// its folder, as if started from there (a script file keeps the place it was
// named from).
void StartInInstallation(int argc, char** argv) {
  const auto config = plat::UseInstallationBesideProgram();
  if (!config) return;
  const std::filesystem::path folder = config->parent_path() / "c" / "QUENBAR";
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return;
  std::vector<std::string> args(argv, argv + argc);
  for (std::size_t i = 1; i + 1 < args.size(); ++i)
    if (args[i] == "--script") args[i + 1] = std::filesystem::absolute(args[i + 1], error).string();
  std::filesystem::current_path(folder, error);
  if (error) return;
  std::printf("quenbar: playing from the installation in %s (captures are written there)\n", folder.c_str());
  std::fflush(stdout);
  std::vector<char*> again;
  for (std::string& a : args) again.push_back(a.data());
  again.push_back(nullptr);
  ::execv("/proc/self/exe", again.data());
}

// The orderly end: the windows, the sound and the backend go before main
// returns, so that static destruction finds nothing of theirs running.
void EndPlatform() {
  KeepLibrariesForTheLeakCheck();
  plat::ResetUserLayer();
  plat::InstallAudioOutput(nullptr);
  plat::StopBackend();
}

}  // namespace

int main(int argc, char** argv) {
  StartInInstallation(argc, argv);
  plat::EndOnTerminationSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  plat::BackendOptions options = plat::TakeBackendOptions(args);
  const std::string scriptFile = TakeScriptOption(args);
  // What is left is a lobby's start line for the game; an option of ours that
  // is not known is a typing error, not something to pass on.
  for (const std::string& a : args) {
    if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "quenbar: unknown option %s (try --help)\n", a.c_str());
      return kUsageError;
    }
  }
  const bool headless = options.kind == plat::BackendKind::Headless ||
                        (options.kind == plat::BackendKind::Auto && !plat::HostDisplayAvailable());
  if (scriptFile.empty() && !headless) {
    // Asked for a window that cannot be had, or had where nobody sees it (no
    // display, SDL's dummy or offscreen driver), the program would run on with
    // nobody to see it or to end it. A display lost while the window opens is
    // one that could not be had.
    plat::EndOnDisplayLoss(kExitNoWindow);
    if (!WindowCanBeSeen() || !plat::StartBackend(options).CanAskUser()) {
      std::fputs("quenbar: no window could be opened on this display\n", stderr);
      EndPlatform();
      return kExitNoWindow;
    }
    plat::EndOnDisplayLoss(kExitDisplayLost);
    const int code = RunProgram(args, true);
    EndPlatform();
    return code;
  }
  if (scriptFile.empty()) {
    // Nobody could answer the screens: an empty script lets the program show
    // its first screen and then tells it to quit.
    std::fputs(options.kind == plat::BackendKind::Headless
                   ? "quenbar: headless as asked, without a script: the program shows its first screen and ends by "
                     "itself\n"
                   : "quenbar: no display; running headless without a script, the program ends by itself\n",
               stderr);
    plat::InstallBackend(ScriptedBackend::WithoutScript());
    const int code = RunProgram(args, false);
    EndPlatform();
    return code;
  }

  const auto bytes = plat::ReadHostFile(scriptFile);
  if (!bytes || bytes->size() > kMaxScriptSize) {
    std::fprintf(stderr, "quenbar: cannot read the script %s\n", scriptFile.c_str());
    return kScriptUnreadable;
  }
  std::string error;
  auto steps = ParseGameScript(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), error);
  if (!steps) {
    std::fprintf(stderr, "quenbar: %s: %s\n", scriptFile.c_str(), error.c_str());
    return kScriptUnreadable;
  }
  // A window only when one is asked for by name: a script run where a display
  // happens to be stays headless and repeatable.
  std::unique_ptr<plat::Backend> window;
  std::unique_ptr<plat::AudioOutput> sound;
  if (options.kind == plat::BackendKind::Windowed || options.kind == plat::BackendKind::FullScreen) {
    plat::EndOnDisplayLoss(kExitNoWindow);
    window = plat::OpenSdlBackend(options);
    if (window) {
      plat::EndOnDisplayLoss(kExitDisplayLost);
      sound = plat::OpenSdlAudioOutput();
    } else {
      std::fputs("quenbar: no window could be opened; the script runs headless\n", stderr);
    }
  }
  const bool display = window != nullptr;
  auto backend = std::make_unique<ScriptedBackend>(std::move(*steps), std::move(window));
  // The scripted backend starts on a memory output; a window plays aloud.
  if (sound) plat::InstallAudioOutput(std::move(sound));
  ScriptedBackend& scripted = *backend;
  plat::InstallBackend(std::move(backend));
  const int code = RunProgram(args, display);
  const bool succeeded = scripted.Succeeded();
  EndPlatform();
  if (code != 0) return code;
  return succeeded ? 0 : 1;
}
