// A bus header that uses the project below it, as it may: the layer check must accept it.
#pragma once

#include "project/group_table.h"
