#pragma once
// Who lets go of the sprite movers that the terrain records' events carry.
// The terrain replay makes them and registers itself while it lives; with no
// replay ever made (tests, tools, the server) no mover exists and the default
// does nothing, so the model also works with no views around.
//
// Game thread only.

class CSpriteMover;

class ISpriteMoverOwner {
 public:
  virtual ~ISpriteMoverOwner() = default;
  // Takes the mover off the screen and deletes it.
  virtual void ReleaseSpriteMover(CSpriteMover* /*mover*/) {}
};

// The registered owner, or the do-nothing default.
ISpriteMoverOwner& SpriteMoverOwner();
// Registers the movers' owner; null goes back to the default. The caller
// keeps the object alive while it is registered.
void RegisterSpriteMoverOwner(ISpriteMoverOwner* owner);
