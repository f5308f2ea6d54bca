// Encoding and decoding of the KNXnet/IP frames, cEMI frames and TPDUs against captured frames.
#include <gtest/gtest.h>

#include "frame_test_util.h"
#include "knx/knxnetip/cemi_frame.h"
#include "knx/knxnetip/knxnetip_frame.h"
#include "knx/knxnetip/tpdu.h"

using namespace knxnetip;

namespace {

const Hpai kLocal{{127, 0, 0, 1}, 50100};
const Hpai kServer{{127, 0, 0, 1}, 13671};

template <typename T>
T Body(const Bytes& datagram, ServiceType service) {
  auto frame = DecodeFrame(datagram);
  EXPECT_TRUE(frame.has_value());
  if (!frame) return T{};
  EXPECT_EQ(frame->service, service);
  return std::get<T>(frame->body);
}

}  // namespace

TEST(KnxNetIpFrames, ConnectFramesRoundTrip) {
  const Bytes request = Hex("061002050 01a 0801 7f000001 c3b4 0801 7f000001 c3b4 04040200");
  EXPECT_EQ(EncodeConnectRequest({kLocal, kLocal}), request);
  auto decoded = Body<ConnectRequest>(request, ServiceType::ConnectRequest);
  EXPECT_EQ(decoded.control, kLocal);
  EXPECT_EQ(decoded.data, kLocal);

  // knxd's answer: channel 1, tunnel address 1.0.10 from its pool.
  const Bytes response = Hex("06100206 0014 0100 0801 7f000001 3567 0404 100a");
  auto ok = Body<ConnectResponse>(response, ServiceType::ConnectResponse);
  EXPECT_EQ(ok.channel, 1);
  EXPECT_EQ(ok.status, E_NO_ERROR);
  EXPECT_EQ(ok.data, kServer);
  EXPECT_EQ(ok.individualAddress, 0x100a);
  EXPECT_EQ(EncodeConnectResponse(ok), response);

  // A refusal carries only channel and status.
  auto refused = Body<ConnectResponse>(Hex("06100206 0008 0024"), ServiceType::ConnectResponse);
  EXPECT_EQ(refused.status, E_NO_MORE_CONNECTIONS);
  // A success without its CRD, or with a connection type other than tunnelling, is not taken.
  EXPECT_FALSE(DecodeFrame(Hex("06100206 0010 0100 0801 7f000001 0e57")));
  EXPECT_FALSE(DecodeFrame(Hex("06100206 0014 0100 0801 7f000001 0e57 0403 100a")));
}

TEST(KnxNetIpFrames, ChannelAndTunnellingFramesRoundTrip) {
  const Bytes state = Hex("06100207 0010 0100 0801 7f000001 c3b4");
  EXPECT_EQ(EncodeChannelRequest(ServiceType::ConnectionStateRequest, {1, kLocal}), state);
  EXPECT_EQ(Body<ChannelRequest>(state, ServiceType::ConnectionStateRequest).control, kLocal);
  const Bytes disconnect = Hex("06100209 0010 0700 0801 7f000001 c3b4");
  EXPECT_EQ(Body<ChannelRequest>(disconnect, ServiceType::DisconnectRequest).channel, 7);
  const Bytes stateResponse = Hex("06100208 0008 0121");
  auto response = Body<ChannelResponse>(stateResponse, ServiceType::ConnectionStateResponse);
  EXPECT_EQ(response.channel, 1);
  EXPECT_EQ(response.status, E_CONNECTION_ID);
  EXPECT_EQ(EncodeChannelResponse(ServiceType::ConnectionStateResponse, response), stateResponse);

  // knxd's L_Data.con of a group write of 1 to 1/2/3, on channel 1 with sequence 0.
  const Bytes tunnelled = Hex("061004200015 04010000 2e 00 bc e0 0000 0a03 01 0081");
  auto request = Body<TunnellingRequest>(tunnelled, ServiceType::TunnellingRequest);
  EXPECT_EQ(request.channel, 1);
  EXPECT_EQ(request.sequence, 0);
  EXPECT_EQ(request.cemi, Hex("2e00bce000000a03010081"));
  EXPECT_EQ(EncodeTunnellingRequest(request), tunnelled);

  const Bytes ack = Hex("06100421 000a 04 01 05 00");
  auto decodedAck = Body<TunnellingAck>(ack, ServiceType::TunnellingAck);
  EXPECT_EQ(decodedAck.sequence, 5);
  EXPECT_EQ(EncodeTunnellingAck(decodedAck), ack);
}

TEST(KnxNetIpFrames, MalformedDatagramsAreRejected) {
  const Bytes good = Hex("061004200015 04010000 2e 00 bc e0 0000 0a03 01 0081");
  ASSERT_TRUE(DecodeFrame(good));
  // Every truncation, and a trailing byte, breaks the total length.
  for (std::size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(DecodeFrame(ByteView(good.data(), n))) << n;
  }
  Bytes longer = good;
  longer.push_back(0);
  EXPECT_FALSE(DecodeFrame(longer));
  // Wrong header size, protocol version, unknown service, connection header length.
  EXPECT_FALSE(DecodeFrame(Hex("051004200015 04010000 2e00bce000000a03010081")));
  EXPECT_FALSE(DecodeFrame(Hex("061104200015 04010000 2e00bce000000a03010081")));
  EXPECT_FALSE(DecodeFrame(Hex("061004300015 04010000 2e00bce000000a03010081")));
  EXPECT_FALSE(DecodeFrame(Hex("061004200015 05010000 2e00bce000000a03010081")));
  // A tunnelling request without a cEMI frame.
  EXPECT_FALSE(DecodeFrame(Hex("06100420000a 04010000")));
  // An HPAI with the wrong length or protocol.
  EXPECT_FALSE(DecodeFrame(Hex("06100207 0010 0100 0901 7f000001 c3b4")));
  EXPECT_FALSE(DecodeFrame(Hex("06100207 0010 0100 0802 7f000001 c3b4")));
}

TEST(CemiFrames, DecodesConfirmAndIndicationFields) {
  auto con = DecodeCemi(Hex("2e00bce000000a03010081"));
  ASSERT_TRUE(con);
  EXPECT_EQ(con->messageCode, kLDataCon);
  EXPECT_EQ(con->Priority(), 3);
  EXPECT_FALSE(con->ConfirmError());
  EXPECT_TRUE(con->GroupDestination());
  EXPECT_EQ(con->HopCount(), 6);
  EXPECT_EQ(con->destination, 0x0a03);
  EXPECT_EQ(con->tpdu, Hex("0081"));

  // A negative confirmation sets bit 0 of control 1.
  EXPECT_TRUE(DecodeCemi(Hex("2e00bde000000a03010081"))->ConfirmError());

  // knxd's indications of knxtool's telegrams carry the hop count it decremented to 5.
  auto read = DecodeCemi(Hex("2900bcd0100d0a07010000"));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->HopCount(), 5);
  EXPECT_EQ(read->source, 0x100d);
  EXPECT_EQ(read->tpdu, Hex("0000"));
  auto response = DecodeCemi(Hex("2900bcd0100e0a07010041"));
  ASSERT_TRUE(response);
  EXPECT_EQ(GroupValueData(*DecodeTpdu(response->tpdu)), Hex("01"));

  // Indication with additional information (skipped) and a two-byte value from 1.0.10.
  auto ind = DecodeCemi(Hex("29 03 aabbcc b4e0 100a 0a04 03 0080 0c1a"));
  ASSERT_TRUE(ind);
  EXPECT_EQ(ind->messageCode, kLDataInd);
  EXPECT_EQ(ind->Priority(), 1);
  EXPECT_EQ(ind->source, 0x100a);
  EXPECT_EQ(ind->tpdu, Hex("00800c1a"));

  // Length octet disagreeing with the size, additional info past the end, other messages.
  EXPECT_FALSE(DecodeCemi(Hex("2e00bce000000a03020081")));
  EXPECT_FALSE(DecodeCemi(Hex("2e00bce000000a030100")));
  EXPECT_FALSE(DecodeCemi(Hex("29 20 b4e0 100a 0a04 03 0080 0c1a")));
  EXPECT_FALSE(DecodeCemi(Hex("2b00bce000000a03010081")));
}

TEST(CemiFrames, BuildsRequests) {
  // Group write of 1 to 1/2/3, low priority, hop count 6: the frame knxtool sends.
  auto write = MakeLDataReq(0x0a03, true, 3, kDefaultHopCount,
                            EncodeTpdu(MakeGroupValueTpdu(APciValueWrite, true, {1})));
  EXPECT_EQ(EncodeCemi(write), Hex("1100bce000000a03010081"));
  // Individual destination 1.1.5, system priority, out-of-range fields masked.
  auto connect =
      MakeLDataReq(0x1105, false, 4, 0x0f, EncodeTpdu(MakeControlTpdu(TpduKind::Connect)));
  EXPECT_EQ(EncodeCemi(connect), Hex("1100b070 0000 1105 00 80"));
}

TEST(Tpdus, GroupValueServicesShortAndLong) {
  EXPECT_EQ(EncodeTpdu(MakeGroupValueTpdu(APciValueRead, false, {})), Hex("0000"));
  EXPECT_EQ(EncodeTpdu(MakeGroupValueTpdu(APciValueResponse, true, {0x3f})), Hex("007f"));
  // Only six bits fit into the short form.
  EXPECT_EQ(EncodeTpdu(MakeGroupValueTpdu(APciValueWrite, true, {0xc1})), Hex("0081"));
  EXPECT_EQ(EncodeTpdu(MakeGroupValueTpdu(APciValueWrite, false, {0x0c, 0x1a})), Hex("00800c1a"));
  EXPECT_EQ(EncodeTpdu(MakeGroupValueTpdu(APciValueWrite, false, {0x01})), Hex("008001"));

  auto shortWrite = DecodeTpdu(Hex("0081"));
  ASSERT_TRUE(shortWrite);
  EXPECT_EQ(shortWrite->apci, APciValueWrite);
  EXPECT_EQ(GroupValueData(*shortWrite), Hex("01"));
  auto longResponse = DecodeTpdu(Hex("00400c1a"));
  ASSERT_TRUE(longResponse);
  EXPECT_EQ(longResponse->apci, APciValueResponse);
  EXPECT_EQ(GroupValueData(*longResponse), Hex("0c1a"));
  auto read = DecodeTpdu(Hex("0000"));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->apci, APciValueRead);
  EXPECT_TRUE(GroupValueData(*read).empty());
  EXPECT_FALSE(DecodeTpdu(Hex("00")));
  EXPECT_FALSE(DecodeTpdu(Hex("")));
}

TEST(Tpdus, ConnectionOrientedServices) {
  EXPECT_EQ(EncodeTpdu(MakeControlTpdu(TpduKind::Connect)), Hex("80"));
  EXPECT_EQ(EncodeTpdu(MakeControlTpdu(TpduKind::Disconnect)), Hex("81"));
  EXPECT_EQ(EncodeTpdu(MakeControlTpdu(TpduKind::Ack, 5)), Hex("d6"));
  EXPECT_EQ(EncodeTpdu(MakeConnectedTpdu(0, APciMaskVersionRead)), Hex("4300"));

  auto ack = DecodeTpdu(Hex("c6"));
  ASSERT_TRUE(ack);
  EXPECT_EQ(ack->kind, TpduKind::Ack);
  EXPECT_EQ(ack->sequence, 1);
  EXPECT_EQ(DecodeTpdu(Hex("c7"))->kind, TpduKind::Nak);
  EXPECT_EQ(DecodeTpdu(Hex("80"))->kind, TpduKind::Connect);
  EXPECT_EQ(DecodeTpdu(Hex("81"))->kind, TpduKind::Disconnect);
  // Response with sequence 2, descriptor type 0, mask version 0x0701.
  auto response = DecodeTpdu(Hex("4b40 0701"));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->kind, TpduKind::ConnectedData);
  EXPECT_EQ(response->sequence, 2);
  EXPECT_EQ(response->apci, APciMaskVersionResponse);
  EXPECT_EQ(response->data, Hex("0701"));
  EXPECT_EQ(EncodeTpdu(*response), Hex("4b400701"));
  // Control frames carry nothing after the TPCI; 0x82 is no known control.
  EXPECT_FALSE(DecodeTpdu(Hex("8000")));
  EXPECT_FALSE(DecodeTpdu(Hex("82")));
}
