// knx_device_responder HOST[:PORT] ADDRESS...: answers device checks for the given individual
// addresses ("1.1.5") through a KNXnet/IP tunnel until SIGTERM or SIGINT.
#include <csignal>
#include <cstdio>
#include <set>

#include "device_responder.h"
#include "knx/knxnetip/tunnel_server_address.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: knx_device_responder HOST[:PORT] ADDRESS...\n");
    return 2;
  }
  auto server = knxnetip::ParseTunnelServer(argv[1]);
  std::set<std::uint16_t> addresses;
  for (int i = 2; i < argc; ++i) {
    unsigned area = 0, line = 0, device = 0;
    if (std::sscanf(argv[i], "%u.%u.%u", &area, &line, &device) != 3 || area > 15 || line > 15 ||
        device > 255) {
      std::fprintf(stderr, "knx_device_responder: bad address %s\n", argv[i]);
      return 2;
    }
    addresses.insert(static_cast<std::uint16_t>(area << 12 | line << 8 | device));
  }
  if (!server) {
    std::fprintf(stderr, "knx_device_responder: bad server %s\n", argv[1]);
    return 2;
  }
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before any thread starts
  DeviceResponder responder(addresses);
  if (!responder.Start(server->address)) {
    std::fprintf(stderr, "knx_device_responder: no tunnel to %s\n", argv[1]);
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  int signal = 0;
  sigwait(&signals, &signal);
  responder.Stop();
  return 0;
}
