// The registration script of the server and its class identifier.
#pragma once

// The OPC server's class identifier, as handed to ToolkitInit.
inline constexpr const char* kServerClassId = "{5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A26}";

// The registrar script (resource "REGISTRY" 5) that RegServer applies to HKEY_CLASSES_ROOT and
// UnregServer removes; "%MODULE%" stands for the program's path.
extern const char* const kRegistrationScript;
