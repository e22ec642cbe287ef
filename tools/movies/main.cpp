// quenmovie: the four movies as AVI files: our frames and soundtrack, encoded
// by FFmpeg's own program (MPEG-4 part 2 video, PCM audio).
//   quenmovie INVENTORY_DIR OUT_DIR
// writes OUT_DIR/<folder in the installation tree>/<name> for every "movie" entry of the inventory.
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/art/canvas.h"
#include "tools/art/inventory.h"
#include "tools/movies/scenes.h"
#include "tools/music/composer.h"
#include "tools/sound/wav.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

void Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int status = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) != pid ||
      !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(args[0] + " failed");
  }
}

void Encode(const movies::Movie& movie, const fs::path& avi) {
  const fs::path raw = avi.string() + ".rgb", wav = avi.string() + ".wav";
  {
    std::ofstream frames(raw, std::ios::binary);
    const int count = static_cast<int>(movie.seconds * movies::kFps);
    for (int f = 0; f < count; ++f) {
      const art::Pixels p = movies::DrawFrame(movie, f);
      std::vector<char> rgb;
      rgb.reserve(p.argb.size() * 3);
      for (std::uint32_t v : p.argb) {
        rgb.push_back(static_cast<char>(v >> 16));
        rgb.push_back(static_cast<char>(v >> 8));
        rgb.push_back(static_cast<char>(v));
      }
      frames.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
    }
    const auto audio = sound::EncodeWav(movies::Soundtrack(movie), music::kRate, 2);
    std::ofstream(wav, std::ios::binary)
        .write(reinterpret_cast<const char*>(audio.data()), static_cast<std::streamsize>(audio.size()));
    if (!frames) throw std::runtime_error("cannot write " + raw.string());
  }
  // One thread and bit-exact flags: the same frames give the same file.
  Run({"ffmpeg",
       "-nostdin",
       "-loglevel",
       "error",
       "-y",
       "-threads",
       "1",
       "-f",
       "rawvideo",
       "-pix_fmt",
       "rgb24",
       "-s",
       std::to_string(movies::kWidth) + "x" + std::to_string(movies::kHeight),
       "-r",
       std::to_string(movies::kFps),
       "-i",
       raw.string(),
       "-i",
       wav.string(),
       "-map",
       "0:v",
       "-map",
       "1:a",
       "-c:v",
       "mpeg4",
       "-q:v",
       "4",
       "-g",
       "30",
       "-pix_fmt",
       "yuv420p",
       "-c:a",
       "pcm_s16le",
       "-fflags",
       "+bitexact",
       "-flags:v",
       "+bitexact",
       "-flags:a",
       "+bitexact",
       "-map_metadata",
       "-1",
       "-threads",
       "1",
       avi.string()});
  fs::remove(raw);
  fs::remove(wav);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quenmovie INVENTORY_DIR OUT_DIR\n");
    return 2;
  }
  try {
    const art::Inventory inv = art::ReadInventory(argv[1]);
    for (const art::Container& c : inv.containers) {
      for (const art::Asset& a : c.assets) {
        if (a.kind != "movie") continue;
        const movies::Movie* movie = movies::FindMovie(fs::path(a.name).stem().string());
        if (!movie) throw std::runtime_error("no movie for " + a.name);
        const std::string folder = art::TreeFolder(c);
        fs::create_directories(fs::path(argv[2]) / folder);
        Encode(*movie, fs::path(argv[2]) / folder / a.name);
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quenmovie: %s\n", e.what());
    return 1;
  }
  art::ReleaseDrawingCaches();
  return 0;
}
