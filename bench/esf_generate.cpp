// esf_generate: writes a synthetic ESF export to stdout (esf_generate [ADDRESSES [DEVICES]]).
#include <cstdlib>
#include <iostream>

#include "synthetic_esf.h"

int main(int argc, char** argv) {
  SyntheticEsfShape shape;
  if (argc > 1) shape.addresses = std::atoi(argv[1]);
  if (argc > 2) shape.devices = std::atoi(argv[2]);
  if (argc > 3 || shape.addresses < 1 || shape.devices < 1) {
    std::cerr << "usage: esf_generate [ADDRESSES [DEVICES]]\n";
    return 2;
  }
  std::cout << SyntheticEsf(shape);
  return std::cout ? 0 : 1;
}
