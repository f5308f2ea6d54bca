// DocumentSettings: the values the document reads from the "Parameter" section when it is made.
#pragma once

#include <cstdint>
#include <string>

class SettingsStore;

// The registry key of the application's settings section.
inline constexpr const char* kParameterKey = "Software\\Varnok\\Zelvox\\Parameter";

struct DocumentSettings {
  std::int32_t useGmt = 1;
  std::int32_t readLinks = 1;
  std::int32_t initRead = 1;
  std::int32_t initSpeedCombobox = 1;
  std::int32_t responseTimeout = 6;
  std::int32_t readSpeed = 100;
  std::int32_t writeSpeed = 100;
  std::int32_t initSpeedSlow = 1000;
  std::int32_t initSpeedMedium = 500;
  std::int32_t initSpeedFast = 250;
  std::int32_t simulationSpeed = 1000;
  std::int32_t writeStrategy = 1;
  std::int32_t readStrategy = 1;
  std::int32_t pingTime = 0;
  // Most requests the bus queue holds; a write beyond it is refused, never dropped.
  std::int32_t maxQueuedRequests = 10000;
};

// Reads every value in table order with its default. The timing and strategy values are
// written back at once, so that after the first start they all stand in the store for the
// user to edit; "UseGMT", "ReadLinks", "InitRead", "InitSpeedCombobox" and "PingTime" belong
// to dialogs and menus and are only written when the user changes them.
DocumentSettings ReadDocumentSettings(SettingsStore& store);
