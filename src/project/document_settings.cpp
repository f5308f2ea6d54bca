// Reading the document's settings, with the written-back set.
#include "project/document_settings.h"

#include "platform/settings_store.h"

namespace {

std::int32_t Read(SettingsStore& store, const char* name, std::int32_t fallback, bool writeBack) {
  const std::int32_t value = store.GetInt(kParameterKey, name).value_or(fallback);
  // A store that cannot be written keeps the value in memory; the program runs on with it.
  if (writeBack) store.SetInt(kParameterKey, name, value);
  return value;
}

}  // namespace

DocumentSettings ReadDocumentSettings(SettingsStore& store) {
  DocumentSettings s;
  s.useGmt = Read(store, "UseGMT", 1, false);
  s.readLinks = Read(store, "ReadLinks", 1, false);
  s.initRead = Read(store, "InitRead", 1, false);
  s.initSpeedCombobox = Read(store, "InitSpeedCombobox", 1, false);
  s.responseTimeout = Read(store, "ResponseTimeout", 6, true);
  s.readSpeed = Read(store, "ReadSpeed", 100, true);
  s.writeSpeed = Read(store, "WriteSpeed", 100, true);
  s.initSpeedSlow = Read(store, "InitSpeedSlow", 1000, true);
  s.initSpeedMedium = Read(store, "InitSpeedMedium", 500, true);
  s.initSpeedFast = Read(store, "InitSpeedFast", 250, true);
  s.simulationSpeed = Read(store, "SimulationSpeed", 1000, true);
  s.writeStrategy = Read(store, "WriteStrategy", 1, true);
  s.readStrategy = Read(store, "ReadStrategy", 1, true);
  s.pingTime = Read(store, "PingTime", 0, false);
  s.maxQueuedRequests = Read(store, "MaxQueuedRequests", 10000, false);
  return s;
}
