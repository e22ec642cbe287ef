#include "Game/app/AppViewNotices.h"

namespace {

IAppViewNotices g_noAppNotices;
IAppViewNotices* g_appNotices = &g_noAppNotices;

}  // namespace

IAppViewNotices& AppViewNotices() { return *g_appNotices; }

void RegisterAppViewNotices(IAppViewNotices* notices) {
  g_appNotices = notices ? notices : &g_noAppNotices;
  RegisterViewNotices(notices);
}
