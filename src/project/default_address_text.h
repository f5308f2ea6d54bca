// DefaultAddressText: the address text a new group item of a group starts with.
#pragma once

#include <string>

class GroupNode;

// "main/middle/" for a middle group, "main/" for a main group; a group without a number
// (-1, made by hand) contributes "0/".
std::string DefaultAddressText(const GroupNode& node);
