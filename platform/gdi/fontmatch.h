#pragma once
// Which installed font file stands for a face name, weight and slant. Called from the program's thread only.

#include <optional>
#include <string>

namespace plat::gdi_impl {

struct FaceFile {
  std::string path;
  int index = 0;          // face within the file
  int minCellHeight = 0;  // smallest cell height in pixels the face is drawn at
};

// The classic names map to their stand-ins (see text.h); other names go to
// fontconfig as they are. Nothing when fontconfig finds no face at all.
std::optional<FaceFile> MatchFace(const std::string& face, int weight, bool italic);

}  // namespace plat::gdi_impl
