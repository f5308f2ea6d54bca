// zelvox-tool pki [list | trust CERTIFICATE | reject CERTIFICATE]: the OPC UA server's PKI
// folder: the certificates of each folder, and moving client certificates between trusted and
// rejected.
#include <string>

#include "app/opcua_security.h"
#include "app/tool_command.h"
#include "toolkit/opcua/ua_pki_store.h"

int RunPki(ToolArgs args, std::ostream& out, std::ostream& err) {
  UaPkiStore store(OpcUaPkiFolder());
  if (args.empty() || (args[0] == "list" && args.size() == 1)) {
    for (const UaPkiStore::Entry& entry : store.List()) {
      out << entry.folder << '\t' << entry.thumbprint << '\t' << entry.notAfter << '\t'
          << entry.subject << '\t' << entry.path << '\n';
    }
    return kToolOk;
  }
  if (args.size() != 2 || (args[0] != "trust" && args[0] != "reject")) return kToolUsage;
  const std::string certificate(args[1]);
  std::string error;
  const bool trust = args[0] == "trust";
  if (!(trust ? store.Trust(certificate, &error) : store.Reject(certificate, &error))) {
    err << "zelvox-tool: " << error << '\n';
    return kToolFailed;
  }
  out << certificate << (trust ? ": trusted\n" : ": rejected\n");
  return kToolOk;
}
