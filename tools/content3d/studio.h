#pragma once
// Pictures of meshes drawn by the 3D library's own renderer: a headless
// display, the game's 585 x 367 frame buffer, a lit scene and a camera. One
// studio per program; not for several threads.

#include <array>
#include <cstdint>
#include <memory>

#include "tools/content3d/content3d.h"

namespace content3d {

class Studio {
 public:
  // Throws std::runtime_error when the display or the 3D library cannot start.
  Studio();
  ~Studio();
  Studio(const Studio&) = delete;
  Studio& operator=(const Studio&) = delete;

  // The mesh (x forward, z up) seen from direction `toCamera`, `side` x `side`
  // texels: 0 where nothing was drawn, else the brightness, plates (faces of
  // material 0) in 1..kTrimTexel - 1 and trim (material 1) in kTrimTexel..255.
  Image Picture(const Mesh& mesh, const std::array<float, 3>& toCamera, std::uint32_t side);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace content3d
