// GatewaySearch against a fake server on loopback that answers with a mix of frames.
#include "knx/knxnetip/gateway_search.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "frame_test_util.h"
#include "knx/knxnetip/search_frames.h"
#include "loopback_udp_socket.h"

using namespace knxnetip;
using namespace std::chrono_literals;

namespace {

SearchResponse Server(const std::string& name, Hpai control, std::vector<ServiceFamily> families) {
  SearchResponse response;
  response.control = control;
  response.device.friendlyName = name;
  response.device.individualAddress = 0x1101;
  response.families = std::move(families);
  return response;
}

}  // namespace

TEST(GatewaySearch, ListsEachTunnellingServerOnceAndSkipsTheRest) {
  LoopbackUdpSocket server;
  Bytes request;
  std::thread answering([&] {
    pollfd waiting{server.fd(), POLLIN, 0};
    if (poll(&waiting, 1, 5000) != 1) return;
    request.resize(512);
    sockaddr_in from{};
    socklen_t length = sizeof(from);
    const ssize_t n = recvfrom(server.fd(), request.data(), request.size(), 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
    request.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    auto asked = DecodeSearchRequest(request);
    if (!asked) return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    std::memcpy(&to.sin_addr.s_addr, asked->discovery.address.data(), 4);
    to.sin_port = htons(asked->discovery.port);
    const Hpai unnamed{};
    for (const Bytes& answer :
         {Hex("06100202 0008 0801"),  // cut short
          EncodeSearchResponse(Server("router", {{127, 0, 0, 9}, 3671}, {{kFamilyRouting, 1}})),
          EncodeSearchResponse(Server("behind nat", unnamed, {{kFamilyTunnelling, 2}})),
          EncodeSearchResponse(Server("behind nat", unnamed, {{kFamilyTunnelling, 2}})),
          EncodeSearchResponse(Server("line 2", {{127, 0, 0, 2}, 3700},
                                      {{kFamilyCore, 1}, {kFamilyTunnelling, 1}}))}) {
      sendto(server.fd(), answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&to),
             sizeof(to));
    }
  });

  GatewaySearch search;
  auto found = search.Run(server.address(), 500ms);
  answering.join();
  ASSERT_TRUE(found) << search.Error();
  // The request names the searching socket's own loopback endpoint.
  auto asked = DecodeSearchRequest(request);
  ASSERT_TRUE(asked);
  EXPECT_EQ(asked->discovery.address, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
  EXPECT_NE(asked->discovery.port, 0);

  ASSERT_EQ(found->size(), 2u);
  EXPECT_EQ((*found)[0].name, "behind nat");
  // No endpoint in the answer: the server is reached where it answered from.
  EXPECT_EQ(EndpointText((*found)[0].control),
            "127.0.0.1:" + std::to_string(ntohs(server.address().sin_port)));
  EXPECT_EQ((*found)[0].individualAddress, 0x1101);
  EXPECT_EQ((*found)[1].name, "line 2");
  EXPECT_EQ(EndpointText((*found)[1].control), "127.0.0.2:3700");
}

TEST(GatewaySearch, NoAnswerGivesAnEmptyListAfterTheTimeOut) {
  LoopbackUdpSocket silent;
  GatewaySearch search;
  const auto start = std::chrono::steady_clock::now();
  auto found = search.Run(silent.address(), 200ms);
  ASSERT_TRUE(found) << search.Error();
  EXPECT_TRUE(found->empty());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
}

TEST(GatewaySearch, CancelEndsARunningSearchAndTheNextOne) {
  LoopbackUdpSocket silent;
  GatewaySearch search;
  const auto start = std::chrono::steady_clock::now();
  std::thread cancelling([&] {
    std::this_thread::sleep_for(50ms);
    search.Cancel();
  });
  auto found = search.Run(silent.address(), 30s);
  cancelling.join();
  ASSERT_TRUE(found) << search.Error();
  EXPECT_TRUE(found->empty());
  EXPECT_TRUE(search.Cancelled());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  // The request of the cancelled search came; once cancelled, a search sends nothing more.
  std::uint8_t buffer[512];
  EXPECT_GT(recv(silent.fd(), buffer, sizeof buffer, MSG_DONTWAIT), 0);
  ASSERT_TRUE(search.Run(silent.address(), 30s));
  pollfd waiting{silent.fd(), POLLIN, 0};
  EXPECT_EQ(poll(&waiting, 1, 0), 0);
}
