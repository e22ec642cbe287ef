// quensound: the game's sound effects and voices.
//   quensound effects INVENTORY_DIR OUT_DIR            synthesised effects
//   quensound voices INVENTORY_DIR VOICES_TXT OUT_DIR  spoken voices (espeak-ng)
// OUT_DIR mirrors the installation tree (c/QUENBAR/SOUND/...), one WAV per inventory entry.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/art/canvas.h"
#include "tools/art/inventory.h"
#include "tools/sound/synth.h"
#include "tools/sound/voices.h"
#include "tools/sound/wav.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int Effects(const fs::path& inventoryDir, const fs::path& out) {
  const art::Inventory inv = art::ReadInventory(inventoryDir);
  for (const art::Container& c : inv.containers) {
    for (const art::Asset& a : c.assets) {
      if (a.kind != "effect") continue;
      const auto samples = sound::RenderEffect(a.label, art::HashText(a.name));
      fs::create_directories(out / art::TreeFolder(c));
      const auto bytes = sound::EncodeWav(samples, sound::kRate);
      std::ofstream file(out / art::TreeFolder(c) / a.name, std::ios::binary);
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!file) throw std::runtime_error("cannot write " + (out / art::TreeFolder(c) / a.name).string());
    }
  }
  return 0;
}

int Voices(const fs::path& inventoryDir, const fs::path& script, const fs::path& out) {
  const art::Inventory inv = art::ReadInventory(inventoryDir);
  const sound::VoiceScript voices = sound::ParseVoiceScript(ReadText(script));
  for (const art::Container& c : inv.containers) {
    for (const art::Asset& a : c.assets) {
      if (a.kind != "voice") continue;
      // SOUND/voices/g<n>/<letter><NN>.wav: guild n, text NN
      const int guild = c.path.empty() ? 0 : c.path.back() - '0';
      int number = 0;
      for (char ch : a.name) {
        if (std::isdigit(static_cast<unsigned char>(ch))) number = number * 10 + (ch - '0');
      }
      const auto g = voices.guilds.find(guild);
      const auto t = voices.texts.find(number);
      if (g == voices.guilds.end() || t == voices.texts.end()) {
        throw std::runtime_error("no voice or text for " + c.path + "/" + a.name);
      }
      fs::create_directories(out / art::TreeFolder(c));
      if (!sound::Speak(g->second, t->second, out / art::TreeFolder(c) / a.name)) {
        throw std::runtime_error("espeak-ng failed on " + c.path + "/" + a.name);
      }
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "effects") return Effects(args[1], args[2]);
    if (args.size() == 4 && args[0] == "voices") return Voices(args[1], args[2], args[3]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quensound: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: quensound effects INVENTORY_DIR OUT_DIR | voices INVENTORY_DIR VOICES_TXT OUT_DIR\n");
  return 2;
}
