// Fuzzes the KNXnet/IP, cEMI and TPDU decoders and feeds the same datagram to a connected tunnel.
#include <cstddef>
#include <cstdint>

#include "knx/knxnetip/cemi_frame.h"
#include "knx/knxnetip/knxnetip_frame.h"
#include "knx/knxnetip/tpdu.h"
#include "knx/knxnetip/tunnel_connection.h"

using namespace knxnetip;

namespace {

class NullSocket : public UdpSocket {
 public:
  bool Send(ByteView, const Hpai&) override { return true; }
};

class NullListener : public TunnelListener {
 public:
  void OnTunnelConnected(std::uint16_t) override {}
  void OnTunnelLost() override {}
  void OnTunnelCemi(const Bytes& cemi) override {
    if (auto frame = DecodeCemi(cemi)) DecodeTpdu(frame->tpdu);
  }
  void OnTunnelSendFailed(const Bytes&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView input(data, size);
  if (auto frame = DecodeFrame(input)) {
    if (auto* request = std::get_if<TunnellingRequest>(&frame->body)) {
      if (auto cemi = DecodeCemi(request->cemi)) {
        if (auto tpdu = DecodeTpdu(cemi->tpdu)) EncodeTpdu(*tpdu);
        EncodeCemi(*cemi);
      }
    }
  }
  // The raw input also as a cEMI frame and a TPDU.
  DecodeCemi(input);
  DecodeTpdu(input);

  // A tunnel on channel 1 takes the datagram, with one frame of its own outstanding.
  NullSocket socket;
  NullListener listener;
  const Hpai server{{127, 0, 0, 1}, 3671};
  TunnelConnection tunnel(socket, server, Hpai{}, listener);
  const TimePoint now{};
  tunnel.Open(now);
  tunnel.OnDatagram(EncodeConnectResponse(ConnectResponse{1, 0, server, 0x100a}), server, now);
  tunnel.Send(Bytes{0x11, 0x00, 0xbc, 0xe0, 0, 0, 0x0a, 0x03, 0x01, 0x00, 0x81}, now);
  tunnel.OnDatagram(input, server, now);
  tunnel.OnTimer(now + std::chrono::seconds(1));
  return 0;
}
