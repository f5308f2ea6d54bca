// SEARCH_REQUEST and SEARCH_RESPONSE frames: encoding, decoding and refusal of malformed answers.
#include "knx/knxnetip/search_frames.h"

#include <gtest/gtest.h>

#include "frame_test_util.h"
#include "knx/knxnetip/knxnetip_header.h"

using namespace knxnetip;

namespace {

// A SEARCH_RESPONSE frame around `body`, its header length matching.
Bytes Response(const Bytes& body) {
  Bytes out;
  EncodeHeader(out, ServiceType::SearchResponse, body.size());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// Control endpoint 127.0.0.1:13671; device 1.0.1 on TP1 named "knxd"; core 1, tunnelling 1.
const Bytes kHpai = Hex("0801 7f000001 3567");
const Bytes kDevice =
    Hex("3601 02 00 1001 0000 000000000001 e000170c 000000000000"
        "6b6e7864 0000000000000000000000000000000000000000000000000000");
const Bytes kFamilies = Hex("0602 0201 0401");

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

}  // namespace

TEST(SearchFrames, RequestRoundTrip) {
  const Bytes request = Hex("06100201 000e 0801 7f000001 c3b4");
  EXPECT_EQ(EncodeSearchRequest({{{127, 0, 0, 1}, 50100}}), request);
  auto decoded = DecodeSearchRequest(request);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->discovery, (Hpai{{127, 0, 0, 1}, 50100}));
  // Another service, a missing port, or a TCP endpoint is no search request.
  EXPECT_FALSE(DecodeSearchRequest(Hex("06100203 000e 0801 7f000001 c3b4")));
  EXPECT_FALSE(DecodeSearchRequest(Hex("06100201 000c 0801 7f000001")));
  EXPECT_FALSE(DecodeSearchRequest(Hex("06100201 000e 0802 7f000001 c3b4")));
}

TEST(SearchFrames, ResponseDecodesDeviceAndFamiliesAndRoundTrips) {
  const Bytes frame = Response(Join({kHpai, kDevice, kFamilies}));
  ASSERT_EQ(frame.size(), 6u + 8 + 54 + 6);
  auto response = DecodeSearchResponse(frame);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->control, (Hpai{{127, 0, 0, 1}, 13671}));
  EXPECT_EQ(response->device.friendlyName, "knxd");
  EXPECT_EQ(response->device.individualAddress, 0x1001);
  EXPECT_EQ(response->device.medium, 0x02);
  EXPECT_EQ(response->device.serialNumber[5], 0x01);
  EXPECT_EQ(response->device.multicastAddress, (std::array<std::uint8_t, 4>{224, 0, 23, 12}));
  EXPECT_EQ(response->families,
            (std::vector<ServiceFamily>{{kFamilyCore, 1}, {kFamilyTunnelling, 1}}));
  EXPECT_TRUE(response->Supports(kFamilyTunnelling));
  EXPECT_FALSE(response->Supports(kFamilyRouting));
  EXPECT_EQ(EncodeSearchResponse(*response), frame);

  // A name that fills all 30 bytes has no NUL; a longer one is cut to the field.
  SearchResponse named = *response;
  named.device.friendlyName = std::string(40, 'x');
  auto cut = DecodeSearchResponse(EncodeSearchResponse(named));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->device.friendlyName, std::string(30, 'x'));

  // Blocks of other types (here an IP configuration block) are passed over, in any order.
  const Bytes ipConfig = Hex("1003 c0a80001 ffffff00 c0a800fe 0101");
  auto withOther = DecodeSearchResponse(Response(Join({kHpai, kFamilies, ipConfig, kDevice})));
  ASSERT_TRUE(withOther);
  EXPECT_EQ(withOther->device.friendlyName, "knxd");
  EXPECT_TRUE(withOther->Supports(kFamilyTunnelling));
}

TEST(SearchFrames, MalformedResponsesAreRefused) {
  const Bytes good = Join({kHpai, kDevice, kFamilies});
  // Every body cut short (the header's length adjusted to match) is refused, and so is the
  // frame whose header length does not match the datagram.
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(DecodeSearchResponse(Response(Bytes(good.begin(), good.begin() + size)))) << size;
  }
  Bytes longer = Response(good);
  longer.push_back(0);
  EXPECT_FALSE(DecodeSearchResponse(longer));

  Bytes device53 = kDevice;
  device53[0] = 53;
  device53.pop_back();
  Bytes zeroLength = kFamilies;
  zeroLength[0] = 0;
  Bytes pastEnd = kFamilies;
  pastEnd[0] = 8;
  const Bytes oddFamilies = Hex("0502 0201 04");
  const Bytes tcpHpai = Hex("0802 7f000001 3567");
  for (const Bytes& body :
       {Join({kHpai, device53, kFamilies}), Join({kHpai, kDevice, zeroLength}),
        Join({kHpai, kDevice, pastEnd}), Join({kHpai, kDevice, oddFamilies}),
        Join({kHpai, kDevice}), Join({kHpai, kFamilies}),
        Join({kHpai, kDevice, kDevice, kFamilies}), Join({kHpai, kDevice, kFamilies, kFamilies}),
        Join({tcpHpai, kDevice, kFamilies}), Join({kHpai, kDevice, Hex("01")})}) {
    EXPECT_FALSE(DecodeSearchResponse(Response(body)));
  }
  // A search request, or a response under another service, is no search response.
  Bytes other = Response(good);
  other[3] = 0x04;  // DESCRIPTION_RESPONSE
  EXPECT_FALSE(DecodeSearchResponse(other));
  EXPECT_FALSE(DecodeSearchResponse(EncodeSearchRequest({})));
}
