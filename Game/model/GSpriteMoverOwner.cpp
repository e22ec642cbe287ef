#include "Game/model/GSpriteMoverOwner.h"

namespace {

ISpriteMoverOwner g_noOwner;
ISpriteMoverOwner* g_owner = &g_noOwner;

}  // namespace

ISpriteMoverOwner& SpriteMoverOwner() { return *g_owner; }

void RegisterSpriteMoverOwner(ISpriteMoverOwner* owner) { g_owner = owner ? owner : &g_noOwner; }
