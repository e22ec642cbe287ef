#include "platform/display/backend.h"

#include "platform/core/clock.h"

namespace plat {

namespace {

std::unique_ptr<Backend>& Current() {
  static std::unique_ptr<Backend> backend;
  return backend;
}

}  // namespace

Backend* CurrentBackend() { return Current().get(); }

void InstallBackend(std::unique_ptr<Backend> backend) {
  StopBackend();
  Current() = std::move(backend);
  SetIdleHook([] {
    if (Backend* b = CurrentBackend()) b->Service();
  });
}

void StopBackend() {
  SetIdleHook(nullptr);
  Current().reset();
}

}  // namespace plat
