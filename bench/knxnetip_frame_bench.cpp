// Encoding and decoding speed of the KNXnet/IP tunnelling frames of a group write.
#include <benchmark/benchmark.h>

#include "knx/knxnetip/cemi_frame.h"
#include "knx/knxnetip/knxnetip_frame.h"
#include "knx/knxnetip/tpdu.h"

using namespace knxnetip;

namespace {

// A group write of two bytes as it goes out: TPDU, cEMI L_Data.req, TUNNELLING_REQUEST.
void BM_EncodeGroupWrite(benchmark::State& state) {
  const Bytes value{0x0c, 0x1a};
  std::uint8_t sequence = 0;
  for (auto _ : state) {
    auto cemi =
        EncodeCemi(MakeLDataReq(0x0a04, true, 3, kDefaultHopCount,
                                EncodeTpdu(MakeGroupValueTpdu(APciValueWrite, false, value))));
    auto datagram = EncodeTunnellingRequest(TunnellingRequest{1, sequence++, std::move(cemi)});
    benchmark::DoNotOptimize(datagram);
  }
}
BENCHMARK(BM_EncodeGroupWrite);

// A received L_Data.ind of the same write, down to the group data.
void BM_DecodeGroupWrite(benchmark::State& state) {
  const Bytes datagram{0x06, 0x10, 0x04, 0x20, 0x00, 0x17, 0x04, 0x01, 0x00, 0x00, 0x29, 0x00,
                       0xbc, 0xe0, 0x10, 0x0a, 0x0a, 0x04, 0x03, 0x00, 0x80, 0x0c, 0x1a};
  for (auto _ : state) {
    auto frame = DecodeFrame(datagram);
    auto cemi = DecodeCemi(std::get<TunnellingRequest>(frame->body).cemi);
    auto tpdu = DecodeTpdu(cemi->tpdu);
    auto data = GroupValueData(*tpdu);
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_DecodeGroupWrite);

}  // namespace
