// SettingDefinitions: the settings table with the ranges the dialogs and menus allow.
#include "app/setting_definitions.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "project/equal_no_case.h"

namespace {

constexpr std::array<std::int32_t, 5> kPingTimes{0, 15, 30, 60, 120};

// The ranges follow what a dialog or menu can set; the values that no dialog sets are kept to
// ranges in which the bus worker neither spins (a zero pause) nor stalls. The meanings of the
// OPC UA security settings are too long for one line of the table.
constexpr std::string_view kPoliciesMeaning =
    "OPC UA policies, the sum of 1 None, 2 Basic256Sha256, 4 Aes128_Sha256_RsaOaep, "
    "8 Aes256_Sha256_RsaPss (None only on 127.0.0.1 unless --allow-insecure)";
constexpr std::string_view kModesMeaning =
    "modes of the secured OPC UA policies: 1 Sign, 2 SignAndEncrypt, 3 both";
constexpr std::string_view kAnonymousMeaning =
    "1: anonymous OPC UA login (only on 127.0.0.1 unless --allow-insecure), 0: users only";

constexpr std::array<SettingDefinition, 27> kSettings{{
    {"UseGMT", false, 1, 0, 1, {}, "1: time stamps in UTC, 0: local time (from the next start)"},
    {"ReadLinks", false, 1, 0, 1, {}, "1: a received value also goes to the linked items"},
    {"InitRead", false, 1, 0, 1, {}, "1: items marked for the initial read are read at open"},
    {"InitSpeedCombobox", false, 1, 0, 2, {}, "initial read speed: 0 slow, 1 medium, 2 fast"},
    {"ResponseTimeout", false, 6, 1, 3600, {}, "seconds a group read waits for its response"},
    {"ReadSpeed", false, 100, 1, 60000, {}, "pause in ms after a group read; idle poll period"},
    {"WriteSpeed", false, 100, 1, 60000, {}, "pause in ms after a group write"},
    {"InitSpeedSlow", false, 1000, 1, 60000, {}, "pause in ms after each initial read, slow"},
    {"InitSpeedMedium", false, 500, 1, 60000, {}, "pause in ms after each initial read, medium"},
    {"InitSpeedFast", false, 250, 1, 60000, {}, "pause in ms after each initial read, fast"},
    {"SimulationSpeed", false, 1000, 100, 3600000, {}, "period in ms of the simulation tick"},
    {"WriteStrategy", false, 1, 0, 1, {}, "1: writes go ahead of queued reads, 0: appended"},
    {"ReadStrategy", false, 1, 0, 1, {}, "1: reads of one item are merged, 0: always appended"},
    {"PingTime", false, 0, 0, 120, kPingTimes, "seconds between device checks, 0: none"},
    {"MaxQueuedRequests", false, 10000, 1, 1000000, {}, "most queued bus writes; more are refused"},
    {"Language", false, 0, 0, 1, {}, "0 English, 1 German (from the next start)"},
    {"Startmode", false, 0, 0, 1, {}, "started by a client: 0 window minimised, 1 hidden"},
    {"Startfile", true, 0, 0, 0, {}, "the project opened at start"},
    {"MaxLines", false, 500, 0, 100000, {}, "most lines the busmonitor keeps"},
    {"AddressLevels", false, 2, 2, 3, {}, "busmonitor addresses in 2 or 3 levels"},
    {kOpcUaPortValue, false, 4840, 0, 65535, {}, "OPC UA port (0 picks a free one)"},
    {kOpcUaListenAnyValue, false, 0, 0, 1, {}, "1: OPC UA on all interfaces, 0: 127.0.0.1 only"},
    {kOpcUaSecurityPoliciesValue, false, 15, 1, 15, {}, kPoliciesMeaning},
    {kOpcUaSecurityModesValue, false, 3, 1, 3, {}, kModesMeaning},
    {kOpcUaAnonymousValue, false, 1, 0, 1, {}, kAnonymousMeaning},
    {"UaDeviceReads", false, 0, 0, 1, {}, "1: an OPC UA Read with maxAge 0 reads the device"},
    {"LogLevel", false, 5, 3, 7, {}, "log level: 3 error, 4 warning, 5 notice, 6 info, 7 debug"},
}};

}  // namespace

std::span<const SettingDefinition> SettingDefinitions() {
  return kSettings;
}

const SettingDefinition* FindSetting(std::string_view name) {
  const auto found =
      std::find_if(kSettings.begin(), kSettings.end(),
                   [&](const SettingDefinition& s) { return EqualNoCase(s.name, name); });
  return found == kSettings.end() ? nullptr : &*found;
}

std::string AllowedValuesText(const SettingDefinition& setting) {
  if (setting.isText) return "an absolute file path, or empty for none";
  if (setting.choices.empty()) {
    return std::to_string(setting.min) + " to " + std::to_string(setting.max);
  }
  std::string text;
  for (std::size_t i = 0; i < setting.choices.size(); ++i) {
    if (i > 0) text += i + 1 == setting.choices.size() ? " or " : ", ";
    text += std::to_string(setting.choices[i]);
  }
  return text;
}

std::optional<std::int32_t> CheckSettingNumber(const SettingDefinition& setting,
                                               std::string_view text) {
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return {};
  if (!setting.choices.empty()) {
    if (std::find(setting.choices.begin(), setting.choices.end(), value) == setting.choices.end()) {
      return {};
    }
    return value;
  }
  if (value < setting.min || value > setting.max) return {};
  return value;
}
