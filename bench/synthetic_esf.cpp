// SyntheticEsf: writes the export line by line.
#include "synthetic_esf.h"

#include <array>
#include <string_view>

namespace {

constexpr int kMiddlesPerMain = 8;

constexpr std::array<std::string_view, 8> kTypes{
    "EIS 1 'Switching' (1 Bit)",       "EIS 2 'Dimming - control' (4 Bit)",
    "EIS 5 'Value' (2 Byte)",          "EIS 6 'Scaling - percent' (8 Bit)",
    "EIS 10 '16Bit Counter' (2 Byte)", "EIS 11 '32Bit Counter' (4 Byte)",
    "EIS 14 '8Bit Counter' (8 Bit)",   "Uncertain (2 Byte)"};

std::string AddressText(int index, int subsPerMiddle) {
  const int middle = index / subsPerMiddle;
  return std::to_string(middle / kMiddlesPerMain) + "/" + std::to_string(middle % kMiddlesPerMain) +
         "/" + std::to_string(index % subsPerMiddle);
}

}  // namespace

std::string SyntheticEsf(const SyntheticEsfShape& shape) {
  std::string out = "Project name:;Synthetic building\r\n";
  out.reserve(static_cast<std::size_t>(shape.addresses) * shape.objectLines * 96);
  int objectNumber = 0;
  const int subsPerMiddle = shape.subsPerMiddle;
  for (int index = 0; index < shape.addresses; ++index) {
    const int middle = index / subsPerMiddle;
    if (index % (subsPerMiddle * kMiddlesPerMain) == 0) {
      const std::string main = std::to_string(middle / kMiddlesPerMain);
      out += "Maingroup:;Floor " + main + ";" + main + "\r\n";
    }
    if (index % subsPerMiddle == 0) {
      const std::string number = std::to_string(middle % kMiddlesPerMain);
      out += "Middlegroup:;Function " + number + ";" + std::to_string(middle / kMiddlesPerMain) +
             "/" + number + "\r\n";
    }
    const std::string own = AddressText(index, subsPerMiddle);
    out += "Subgroup:;Group address " + std::to_string(index) + ";" + own + "\r\n";
    out += "No.;Physical address;Device;Object;EIS type;Group addresses\r\n";
    const std::string_view type = kTypes[index % kTypes.size()];
    for (int line = 0; line < shape.objectLines; ++line) {
      const int device = objectNumber++ % shape.devices;
      out += std::to_string(line + 1) + ";" + std::to_string(1 + device / 4096) + "." +
             std::to_string(device / 256 % 16) + "." + std::to_string(device % 256) + ";Device " +
             std::to_string(device) + ";Object " + std::to_string(line) + ";";
      out += type;
      out += ";" + own;
      if (shape.linksPerAddress > 0) {
        const int link = 1 + line % shape.linksPerAddress;
        out += " " + AddressText((index + link) % shape.addresses, subsPerMiddle);
      }
      out += "\r\n";
    }
  }
  return out;
}
