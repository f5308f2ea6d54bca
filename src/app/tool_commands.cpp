// The table of zelvox-tool's commands; each command lives in its own file.
#include <array>

#include "app/tool_command.h"

int RunGaParse(ToolArgs args, std::ostream& out, std::ostream& err);
int RunGaFormat(ToolArgs args, std::ostream& out, std::ostream& err);
int RunEisType(ToolArgs args, std::ostream& out, std::ostream& err);
int RunEncode(ToolArgs args, std::ostream& out, std::ostream& err);
int RunDecode(ToolArgs args, std::ostream& out, std::ostream& err);
int RunPaParse(ToolArgs args, std::ostream& out, std::ostream& err);
int RunDump(ToolArgs args, std::ostream& out, std::ostream& err);
int RunImportEsf(ToolArgs args, std::ostream& out, std::ostream& err);
int RunConvertEts4(ToolArgs args, std::ostream& out, std::ostream& err);
int RunInterface(ToolArgs args, std::ostream& out, std::ostream& err);
int RunSettings(ToolArgs args, std::ostream& out, std::ostream& err);
int RunPki(ToolArgs args, std::ostream& out, std::ostream& err);
int RunUser(ToolArgs args, std::ostream& out, std::ostream& err);

namespace {

constexpr std::array<ToolCommand, 13> kCommands{{
    {"ga-parse", "TEXT", "the group address of an address text, in decimal", RunGaParse},
    {"ga-format", "VALUE --levels 2|3", "a group address (decimal or 0x hex) as text", RunGaFormat},
    {"eis-type", "TEXT",
     "the EIS type of a type text: name, EIS number, subtype, bits, VARTYPE (TAB-separated)",
     RunEisType},
    {"encode", "TYPE-TEXT VALUE",
     "the bus data a client's text write of VALUE to an item of that type becomes", RunEncode},
    {"decode", "TYPE-TEXT HEX...",
     "the value text and quality an item of that type gets from received bytes", RunDecode},
    {"pa-parse", "TEXT", "a physical address text as a number, or its negative error code",
     RunPaParse},
    {"dump", "FILE",
     "a project's groups, items, devices and counters, one TAB-separated record a line", RunDump},
    {"import-esf", "IN.esf OUT.zlv", "imports an ESF export and saves it as a project file",
     RunImportEsf},
    {"convert-ets4", "FILE",
     "converts an ETS4 export from UTF-8 in place, keeping the original as .ets4backup",
     RunConvertEts4},
    {"interface", "[set NAME PARAMETER | search [--timeout SECONDS] [--to HOST:PORT]]",
     "the bus interfaces, their connection parameters and the default; or sets the default; or\n"
     "      lists the KNXnet/IP tunnelling servers that answer a search (name, host:port,\n"
     "      individual address; TAB-separated) sent to the standard multicast group "
     "224.0.23.12:3671\n"
     "      or to HOST:PORT, waiting SECONDS (default 3) for answers",
     RunInterface},
    {"settings", "[get NAME | set NAME VALUE]",
     "the settings with value, default and allowed values; or one value; or sets one (checked)",
     RunSettings},
    {"pki", "[list | trust CERTIFICATE | reject CERTIFICATE]",
     "the OPC UA certificates ($ZELVOX_HOME/pki): folder, thumbprint, end of validity,\n"
     "      subject and file (TAB-separated); or trusts a client certificate (a DER or PEM file,\n"
     "      or the thumbprint of a rejected one, at least its first 8 digits); or rejects one",
     RunPki},
    {"user", "[list | add NAME [--read-only] | remove NAME]",
     "the OPC UA users and their access; or adds a user (or sets a new password), read from\n"
     "      the terminal without echo, or one line from standard input; or removes one",
     RunUser},
}};

}  // namespace

std::span<const ToolCommand> ToolCommands() {
  return kCommands;
}
