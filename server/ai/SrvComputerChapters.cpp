#include "server/SrvTurnSteps.h"

void SrvPlayComputerChapters(SrvTurnContext&) {}
void SrvResolvePolitics(SrvTurnContext&) {}
std::optional<SrvGameEnd> SrvCheckGameEnd(SrvTurnContext&) { return std::nullopt; }
