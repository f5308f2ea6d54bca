// RegisterBusDrivers: the drivers of the bus interfaces this component knows.
#pragma once

#include "knx/bus_component.h"

// "KNXnet/IP tunnelling", then "Virtual bus" (the chooser lists them in this order; without a
// stored default the first is the default).
void RegisterBusDrivers(BusComponent& component);
