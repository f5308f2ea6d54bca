// SyntheticEsf: large ESF exports made up for benchmarks and load tests.
#pragma once

#include <string>

struct SyntheticEsfShape {
  int addresses = 15000;    // group addresses, three levels
  int subsPerMiddle = 250;  // group addresses to a middle group (256 at most)
  int objectLines = 4;      // communication objects listed under each address
  int devices = 1000;       // distinct physical addresses, used in turn
  int linksPerAddress = 3;  // further addresses each item ends up linked to
};

// An English export with one main group per eight middle groups; each object line names a
// device, an EIS type and the item's own address plus one of its links. Windows-1252, CR LF.
std::string SyntheticEsf(const SyntheticEsfShape& shape);
