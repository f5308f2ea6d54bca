// ConnectionParameterProblem: whether a text can be the connection parameter of an interface.
#pragma once

#include <string>
#include <string_view>

#include "knx/guid.h"

// Why `parameter` cannot be the connection parameter of the interface `interfaceGuid`, in words
// for the user; empty when it can, and for an interface whose parameter is not known here.
// Nothing is resolved or opened, so the chooser can check each key stroke.
std::string ConnectionParameterProblem(const Guid& interfaceGuid, std::string_view parameter);
