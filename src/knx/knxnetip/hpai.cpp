// Encoding and decoding of HPAI blocks.
#include "knx/knxnetip/hpai.h"

namespace knxnetip {

void EncodeHpai(Bytes& out, const Hpai& hpai) {
  out.push_back(kHpaiSize);
  out.push_back(kIpv4Udp);
  out.insert(out.end(), hpai.address.begin(), hpai.address.end());
  PutU16(out, hpai.port);
}

std::optional<Hpai> DecodeHpai(ByteView in) {
  if (in.size() < kHpaiSize || in[0] != kHpaiSize || in[1] != kIpv4Udp) return std::nullopt;
  Hpai hpai;
  for (std::size_t i = 0; i < 4; ++i) hpai.address[i] = in[2 + i];
  hpai.port = GetU16(in, 6);
  return hpai;
}

}  // namespace knxnetip
