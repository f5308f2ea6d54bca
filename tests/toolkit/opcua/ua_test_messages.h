// The first two messages of a UA-TCP client, Hello and OpenSecureChannel (policy None), for the
// server's tests, benchmark and fuzzer.
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> UaHelloMessage(std::uint32_t receiveBufferSize,
                                         std::uint32_t sendBufferSize,
                                         std::uint32_t maxMessageSize = 0);
// Issues a channel (secure channel id 0) with the given sequence number and request id.
std::vector<std::uint8_t> UaOpenMessage(std::uint32_t sequenceNumber, std::uint32_t requestId);
