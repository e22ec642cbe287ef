#include "platform/display/backend.h"

#include "platform/core/clock.h"
#include "platform/core/lifelong.h"

namespace plat {

namespace {

std::unique_ptr<Backend>& Current() { return Lifelong<std::unique_ptr<Backend>>(); }

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
