#include "Game/model/GViewLinks.h"

ViewLinks g_viewLinks;

void* ViewCreateHelpLibrary() { return g_viewLinks.createHelpLibrary ? g_viewLinks.createHelpLibrary() : nullptr; }

void ViewReleaseHelpLibrary(void* library) {
  if (library != nullptr && g_viewLinks.releaseHelpLibrary) g_viewLinks.releaseHelpLibrary(library);
}
