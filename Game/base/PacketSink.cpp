#include "Game/base/PacketSink.h"

namespace {

IPacketSink g_noSink;
IPacketSink* g_sink = &g_noSink;

}  // namespace

IPacketSink& PacketSink() { return *g_sink; }

void RegisterPacketSink(IPacketSink* sink) { g_sink = sink ? sink : &g_noSink; }
