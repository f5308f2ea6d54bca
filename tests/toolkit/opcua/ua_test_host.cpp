// A test host: serves a fake name space with every canonical item type through the OPC UA
// server on the port given on the command line, for the interop tests. Prints "listening <port>"
// when ready; on stdin, "set <itemId> <number>" updates an item as a telegram would and
// "sessions" prints the number of open sessions. With a folder as second argument it also offers
// every secured policy: it makes its certificate there (server.der) and trusts the client
// certificates (DER) found in its trusted/ folder at the time a client connects.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "fake_item_tree.h"
#include "platform/change_type.h"
#include "toolkit/opcua/ua_crypto.h"
#include "toolkit/opcua/ua_server.h"
#include "ua_test_certificates.h"
#include "ua_test_secure_channel.h"

namespace {
void Populate(FakeItemTree& tree) {
  tree.Add("", "Failed Devices", VT_ARRAY | VT_BSTR,
           Variant::Array(VT_BSTR, {Variant::Bstr(u"01.01.005"), Variant::Bstr(u"01.01.007")}));
  tree.Add("", "Check Device", VT_BSTR, Variant::Bstr(u""));
  tree.Add("Lights.Ground floor", "1/0/1", VT_BOOL, Variant::Bool(true), "Hall light");
  tree.Add("Lights.Ground floor", "1/0/2", VT_UI1, Variant::UI1(200), "Dimmer");
  tree.Add("Lights.Ground floor", "1/0/3", VT_I2, Variant::I2(-1234), "Counter");
  tree.Add("Lights.First floor", "1/1/1", VT_I4, Variant::I4(123456789), "Meter");
  tree.Add("Lights.First floor", "1/1/2", VT_R4, Variant::R4(21.5f), "Temperature");
  tree.Add("Lights.First floor", "1/1/3", VT_BSTR, Variant::Bstr(u"Hello"), "Display");
  tree.Add("Lights.First floor", "1/1/4", VT_ARRAY | VT_UI1, Variant::Bytes({0x41, 0x42}), "Raw");
  FakeItem& readOnly = tree.Add("Lights.First floor", "1/1/5", VT_I2, Variant::I2(7), "Status");
  readOnly.m_accessRights = OPC_READABLE;
  // A folder with more items than one browse page holds.
  for (int k = 0; k < 40; ++k) {
    tree.Add("Heating.Valves", "2/0/" + std::to_string(k), VT_UI1,
             Variant::UI1(static_cast<std::uint8_t>(k)), "Valve " + std::to_string(k));
  }
}
std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A certificate of its own in `folder` and a trust list of the certificates in folder/trusted.
void OfferSecurity(UaServerOptions& options, const std::filesystem::path& folder) {
  UaCertificateRequest request;
  request.applicationUri = options.applicationUri;
  request.applicationName = options.applicationName;
  request.hostNames = {"localhost"};
  request.addresses = {"127.0.0.1"};
  std::string error;
  auto own = UaCreateApplicationCertificate(request, &error);
  if (!own) throw std::runtime_error(error);
  std::filesystem::create_directories(folder / "trusted");
  std::ofstream(folder / "server.der", std::ios::binary) << DerString(*own);
  options.security = TestServerSecurity(*own);
  options.security.validateClientCertificate = [folder](std::span<const std::uint8_t> chain) {
    std::string_view leaf =
        UaLeafCertificate({reinterpret_cast<const char*>(chain.data()), chain.size()});
    for (const auto& entry : std::filesystem::directory_iterator(folder / "trusted")) {
      if (ReadFile(entry.path()) == leaf) return UaCertificateCheck{};
    }
    return UaCertificateCheck{ua_status::BadCertificateUntrusted, "not in the trusted folder"};
  };
}
}  // namespace

int main(int argc, char** argv) {
  UaServerOptions options;
  options.port = argc > 1 ? static_cast<std::uint16_t>(std::stoi(argv[1])) : 0;
  options.minSessionTimeoutMs = 500;
  std::atomic<int> sessions{0};
  options.onSessionOpened = [&sessions] { ++sessions; };
  options.onSessionClosed = [&sessions] { --sessions; };
  if (argc > 2) OfferSecurity(options, argv[2]);
  FakeItemTree tree;
  Populate(tree);
  UaServer server(tree, options);
  std::string error;
  if (!server.Start(&error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  std::printf("listening %u\n", server.Port());
  std::fflush(stdout);
  std::string command, itemId;
  double value = 0;
  while (std::cin >> command) {
    if (command == "sessions") {
      std::printf("sessions %d\n", sessions.load());
      std::fflush(stdout);
    } else if (command == "set" && std::cin >> itemId >> value) {
      CTag* tag = tree.FindTag(itemId.c_str(), nullptr, 0);
      if (tag == nullptr) continue;
      Variant converted;
      std::lock_guard guard(tree.GetTagLock());
      auto* item = static_cast<FakeItem*>(tag);
      Variant number = Variant::R8(value);
      if (Succeeded(ChangeType(number, item->m_nativeDataType, converted))) {
        tree.Update(*item, std::move(converted));
      }
      std::printf("ok\n");
      std::fflush(stdout);
    }
  }
  server.Stop();
  return 0;
}
