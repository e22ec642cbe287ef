#include "Game/base/ClientShell.h"

namespace {

IClientShell g_noShell;
IClientShell* g_shell = &g_noShell;

}  // namespace

IClientShell& ClientShell() { return *g_shell; }

void RegisterClientShell(IClientShell* shell) { g_shell = shell ? shell : &g_noShell; }
