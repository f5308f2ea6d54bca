// A project header that reaches up into the bus folder: the layer check must report it.
#pragma once

#include "bus/bus_worker.h"
#include "platform/variant.h"
