// Hello and OpenSecureChannel messages of a UA-TCP client.
#include "ua_test_messages.h"

#include "toolkit/opcua/ua_binary_writer.h"
#include "ua_test_secure_channel.h"

std::vector<std::uint8_t> UaHelloMessage(std::uint32_t receiveBufferSize,
                                         std::uint32_t sendBufferSize,
                                         std::uint32_t maxMessageSize) {
  std::vector<std::uint8_t> m;
  UaBinaryWriter w(m);
  w.Raw("HELF", 4);
  w.UInt32(0);
  w.UInt32(0);  // protocol version
  w.UInt32(receiveBufferSize);
  w.UInt32(sendBufferSize);
  w.UInt32(maxMessageSize);  // 0: no limit
  w.UInt32(0);               // no chunk count limit
  w.String("opc.tcp://127.0.0.1");
  w.PatchUInt32(4, static_cast<std::uint32_t>(m.size()));
  return m;
}

std::vector<std::uint8_t> UaOpenMessage(std::uint32_t sequenceNumber, std::uint32_t requestId) {
  return UaTestSecureChannel().OpenRequest(0, sequenceNumber, requestId);
}
