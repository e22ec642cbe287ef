// Every generated model drawn by the 3D library's renderer with the materials
// its list names (billboards with the sun's), read from the files through the
// library's own loaders; each must show, and a contact sheet of them all is
// written for review (build/<preset>/contact/models.png).
#include <filesystem>
#include <fstream>

#include "tests/sg/render/support/renderfixture.h"
#include "tools/content3d/content3d.h"

namespace {

using namespace rendertest;

constexpr int kCell = 160;

class ContactSheet : public RenderTest {
 protected:
  void WriteAssets(const std::vector<content3d::Asset>& catalog) {
    for (const auto& a : catalog) {
      std::string rel = "3DDATA/" + a.path;
      std::replace(rel.begin(), rel.end(), '\\', '/');
      const auto host = drive_.Host(rel);
      std::filesystem::create_directories(host.parent_path());
      std::ofstream(host, std::ios::binary)
          .write(reinterpret_cast<const char*>(a.data.data()), static_cast<std::streamsize>(a.data.size()));
    }
  }

  // The materials of the list beside a model, or the sun's.
  std::vector<SGMaterial*> Materials(const std::vector<content3d::Asset>& catalog, const std::string& model) {
    const std::string dir = model.substr(0, model.rfind('\\') + 1 == 0 ? 0 : model.rfind('\\') + 1);
    const std::string list = model.substr(0, model.size() - 3) + "lst";
    std::vector<std::string> names;
    for (const auto& a : catalog) {
      if (a.path != list) continue;
      std::string text(a.data.begin(), a.data.end()), line;
      for (const char c : text) {
        if (c == '\n') {
          names.push_back(dir + line);
          line.clear();
        } else if (c != '\r') {
          line += c;
        }
      }
    }
    if (names.empty()) names.push_back("sun\\sun0.mat");
    std::vector<SGMaterial*> mats;
    for (const auto& n : names) {
      SGMaterial* mat = nullptr;
      EXPECT_EQ(SGMaterialLoad(dp_, ("3DDATA\\" + n).c_str(), &mat), SG_ERROR_NONE) << n;
      if (mat == nullptr) continue;
      EXPECT_EQ(SGContextPrepareMaterial(ctx_, mat), SG_ERROR_NONE) << n;
      mats.push_back(Keep(mat));
    }
    return mats;
  }
};

TEST_F(ContactSheet, EveryModelDrawsWithItsMaterials) {
  const auto catalog = content3d::MakeCatalog(content3d::PlaceholderPicture);
  WriteAssets(catalog);
  AddLight(0.3f, 0.6f, -0.7f);
  std::vector<const content3d::Asset*> models;
  for (const auto& a : catalog)
    if (a.type == content3d::kModel) models.push_back(&a);
  ASSERT_GT(models.size(), 25u);
  const int columns = 6;
  Image sheet;
  sheet.width = columns * kCell;
  sheet.height = static_cast<int>((models.size() + columns - 1) / columns) * kCell;
  sheet.rgb.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0);
  SGInstance* previous = nullptr;
  for (std::size_t i = 0; i < models.size(); ++i) {
    const auto& a = *models[i];
    std::uint32_t size = 0;
    std::memcpy(&size, a.data.data(), 4);
    SGModel* model = nullptr;
    ASSERT_EQ(SGModelRelocate(a.data.data() + 4, size, &model), SG_ERROR_NONE) << a.path;
    Keep(model);
    if (previous != nullptr) {
      SGInstanceRemove(previous);
      SGInstanceDelete(previous);
    }
    SGInstance* inst = Place(model, Materials(catalog, a.path), 0.0, 0.0, 0.0);
    if (a.path.rfind("BB", 0) == 0) {
      // As the views turn billboards: the model's forward axis to the camera.
      const float forward[3] = {0.f, -1.f, 0.f};
      const float up[3] = {0.f, 0.f, 1.f};
      SGInstanceSetOrientation(inst, forward, up);
    }
    SGInstanceUpdate(inst);
    previous = inst;
    const double d = 6.0 * std::max(0.5f, model->modRadius);
    LookFrom(0.0, -d, d * 0.4, 0.f, 0.93f, -0.37f);
    ASSERT_EQ(Draw(), SG_ERROR_NONE) << a.path;
    // Even the thin line covers a few dozen pixels from this distance.
    EXPECT_GT(Covered(), 30u) << a.path;
    const Image frame = Frame();
    const int ox = (frame.width - kCell) / 2, oy = (frame.height - kCell) / 2;
    const int cx = static_cast<int>(i % columns) * kCell, cy = static_cast<int>(i / columns) * kCell;
    for (int y = 0; y < kCell; ++y)
      for (int x = 0; x < kCell; ++x)
        sheet.rgb[static_cast<std::size_t>(cy + y) * sheet.width + cx + x] =
            frame.rgb[static_cast<std::size_t>(oy + y) * frame.width + ox + x];
  }
  const std::filesystem::path out = std::filesystem::path(QUEN_BUILD_DIR) / "contact" / "models.png";
  std::filesystem::create_directories(out.parent_path());
  EXPECT_TRUE(WritePng(out, sheet));
}

TEST_F(ContactSheet, SceneFileLoadsWithItsPalette) {
  std::filesystem::create_directories(drive_.Host("3DDATA"));
  drive_.Write("3DDATA/Quenbar.con", content3d::MakeSceneFile());
  drive_.Write("3DDATA/palette.dat", content3d::MakeScenePalette());
  SGDataPath* dp = nullptr;
  ASSERT_EQ(SGDataPathCreate(ctx_, "Q:\\3DDATA\\", 0, &dp), SG_ERROR_NONE);
  SGScene* scene = nullptr;
  ASSERT_EQ(SGSceneCreate(ctx_, &scene), SG_ERROR_NONE);
  EXPECT_EQ(SGSceneLoad(scene, dp, "Quenbar.con"), SG_ERROR_NONE);
  EXPECT_EQ(scene->scnPaletteLen, 256u);
  // The world spans the coordinates the views place objects at.
  EXPECT_GE(scene->scnPageSize * static_cast<float>(scene->scnWorldSize[0]), 32768.f);
  SGSceneDestroy(scene);
  SGDataPathDestroy(dp);
}

}  // namespace
