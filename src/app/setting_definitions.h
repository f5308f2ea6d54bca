// SettingDefinitions: every value of the "Parameter" section with its default and allowed values.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// One setting. A number is allowed from `min` to `max`, or, when `choices` is not empty, only
// as one of them; a text ("Startfile") is a path made absolute when set.
struct SettingDefinition {
  std::string_view name;
  bool isText = false;
  std::int32_t defaultNumber = 0;
  std::int32_t min = 0;
  std::int32_t max = 0;
  std::span<const std::int32_t> choices;
  std::string_view meaning;  // one line: what the value does
};

// All settings in the order of the settings table: the document's values in the order it reads
// them, then the start, busmonitor and OPC UA endpoint values.
std::span<const SettingDefinition> SettingDefinitions();

// The definition of `name`, compared without regard to case as in the registry; null if none.
const SettingDefinition* FindSetting(std::string_view name);

// The allowed values as text: "0 to 2", "0, 15, 30, 60 or 120", "an absolute file path".
std::string AllowedValuesText(const SettingDefinition& setting);

// The number `text` stands for when it is one of the setting's allowed values; no value when it
// is no whole number or out of range. Only for number settings.
std::optional<std::int32_t> CheckSettingNumber(const SettingDefinition& setting,
                                               std::string_view text);

// The names of the OPC UA endpoint settings, which the application reads when it starts serving.
inline constexpr const char* kOpcUaPortValue = "OpcUaPort";
inline constexpr const char* kOpcUaListenAnyValue = "OpcUaListenAny";
// The OPC UA security: policies and modes offered (bits), and whether anonymous login is.
inline constexpr const char* kOpcUaSecurityPoliciesValue = "OpcUaSecurityPolicies";
inline constexpr const char* kOpcUaSecurityModesValue = "OpcUaSecurityModes";
inline constexpr const char* kOpcUaAnonymousValue = "OpcUaAnonymous";
