// The seven toolkit functions: initialise, register, start and stop serving, count clients,
// match browse filter patterns.
#pragma once

#include <cstdint>
#include <string>

#include "platform/hresult.h"

class COPCCallback;
struct UaServerOptions;

// A class identifier in its registry text form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
struct ToolkitServerId {
  std::string clsid;
};

// Records the program path and the server's class identifier; nonzero on success.
int ToolkitInit(const std::string& modulePath, const ToolkitServerId* clsid);
// Applies / removes the registration script in the HKCR store (see SetRegistrationScript).
HRESULT ToolkitRegister();
HRESULT ToolkitUnregister();
// Starts serving `callback` (the OPC UA server, once configured); ToolkitShutdown stops it.
void ToolkitStart(COPCCallback* callback);
void ToolkitShutdown();
// Nonzero while OPC clients are connected.
int ToolkitClientsConnected();
// OPC browse filter match: `*`, `?`, `#`, `[abc]`, `[a-z]`, `[!abc]`. `caseSensitive` 0 means
// letters match without regard to case. Nonzero when `name` matches `pattern`.
int ToolkitMatchPattern(const char* name, const char* pattern, int caseSensitive);

// The registration script (ATL registrar syntax) that ToolkitRegister/ToolkitUnregister apply;
// "%MODULE%" is replaced by the program path given to ToolkitInit.
void SetRegistrationScript(std::string script);

// The serving side reports client sessions through these; ToolkitClientsConnected counts them.
void ToolkitClientConnected();
void ToolkitClientDisconnected();

// For the serving side: the callback given to ToolkitStart (null before and after serving) and
// the class identifier given to ToolkitInit (empty before).
COPCCallback* ToolkitServedCallback();
std::string ToolkitServerClassId();

// OPC UA serving (toolkit/opcua/ua_server_options.h). ToolkitConfigureServer sets port, listen
// address and limits; ToolkitStartServing then does what ToolkitStart does and starts the
// server when one is configured. It returns false with a message in `error` when the port
// cannot be bound (taken), so that the caller can report it and exit. ToolkitShutdown stops it.
void ToolkitConfigureServer(const UaServerOptions& options);
bool ToolkitStartServing(COPCCallback* callback, std::string* error);
void ToolkitStopServing();
// The port being served, 0 when not serving.
std::uint16_t ToolkitServingPort();
