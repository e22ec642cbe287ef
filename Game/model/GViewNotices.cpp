#include "Game/model/GViewNotices.h"

namespace {

IViewNotices g_noNotices;
IViewNotices* g_notices = &g_noNotices;

}  // namespace

IViewNotices& ViewNotices() { return *g_notices; }

void RegisterViewNotices(IViewNotices* notices) { g_notices = notices ? notices : &g_noNotices; }
