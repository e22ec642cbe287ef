#pragma once
// The baseline the 3D view benchmarks time themselves against: one frame
// whose only object is a textured picture filling the viewport, drawn in a
// scene of its own so that the view's frames never draw the picture too.

#include <memory>

#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "bench/bench_screen.h"
#include "sg/core/datapath.h"
#include "sg/instance/instance.h"
#include "sg/scene/scene.h"

namespace bench {

class ViewportFill {
 public:
  // Made in `world`, whose scene and camera are current again after.
  explicit ViewportFill(CVSgWorld* world) : world_(world) {
    SGDataPathCreate(world->context, "C:\\QUENBAR\\3DDATA\\", 0, &dataPath_);
    camera_ = MakeViewScene(world, dataPath_, &scene_);
    SGScene* viewScene = world->GetScene();
    SGInstance* viewCamera = world->GetCamera();
    // A picture joins the scene current when it is made: made while the
    // view's scene is current, the view's frames would draw it and this
    // scene's frame would be empty.
    world->SetScene(scene_);
    world->SetCamera(camera_);
    world->SetCameraPosition(1100.0, 1100.0, 1080.0);
    world->SetCameraOrientationXYZ(0, 0, 1, 0, 1, 0);
    picture_ = std::make_unique<DisplayList>(world);
    CVDispUnt* big = picture_->CreateUnitFromTemplate(1, "batt", 0);
    const double at[3] = {1100.0, 1100.0, 1082.0};
    big->SetPosition(at);
    big->SelectViewMaterial(255);
    SGInstanceScale(big->instance, 1.7f);
    picture_->Update(1, 0, 0);
    world->SetScene(viewScene);
    world->SetCamera(viewCamera);
  }
  // Before the world goes.
  ~ViewportFill() {
    picture_.reset();
    SGSceneDestroy(scene_);
    SGDataPathDestroy(dataPath_);
  }
  ViewportFill(const ViewportFill&) = delete;
  ViewportFill& operator=(const ViewportFill&) = delete;

  // One frame of the fill; the view's scene and camera current again after.
  void Draw() {
    SGScene* viewScene = world_->GetScene();
    SGInstance* viewCamera = world_->GetCamera();
    world_->SetScene(scene_);
    world_->SetCamera(camera_);
    world_->redraw = 1;
    world_->RenderFrame();
    world_->SetScene(viewScene);
    world_->SetCamera(viewCamera);
  }

 private:
  CVSgWorld* world_;
  SGDataPath* dataPath_ = nullptr;
  SGScene* scene_ = nullptr;
  SGInstance* camera_ = nullptr;
  std::unique_ptr<DisplayList> picture_;
};

}  // namespace bench
