#pragma once
// A shipment arriving: a purchase, or a standing transfer's minerals, which
// its sender is told of (206). A transfer whose destination changed hands on
// the way is not handed to the new owner: it turns back to the sender's
// source, or its home (SrvStorePool.h), the line naming the destination it
// turned back at and the pool it was received at; a sender with neither
// left loses it (227, the destination).

#include "server/world/SrvWorld.h"

void SrvDeliverShipment(SrvWorld& world, const SrvTransferInTransit& t);
