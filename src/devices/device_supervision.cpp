// DeviceSupervision: the document's seams and commands of the device check.
#include "devices/device_supervision.h"

#include "devices/check_device_write.h"
#include "devices/device_check_clock.h"
#include "devices/device_commands.h"
#include "devices/device_views.h"
#include "devices/failed_devices.h"
#include "platform/main_thread.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "project/dorazivaz_doc.h"

DeviceSupervision::DeviceSupervision(const DeviceCheckWiring& wiring)
    : m_settings(wiring.settings),
      m_thread(wiring.clock != nullptr ? *wiring.clock : SteadyDeviceCheckClock(), wiring.handOff,
               [this](DeviceStateMessage message) { Post(std::move(message)); }) {}

void DeviceSupervision::RunThread(CDORAzivazDoc& doc) {
  m_doc = &doc;
  m_documentAlive = true;
  m_thread.Run(doc);
  m_documentAlive = false;
}

void DeviceSupervision::Post(DeviceStateMessage message) {
  CDORAzivazDoc* doc = m_doc;
  doc->GetMainThread().Post([self = shared_from_this(), doc, message = std::move(message)] {
    if (self->m_documentAlive) ApplyDeviceState(*doc, self->m_views, message);
  });
}

void DeviceSupervision::SetCheckInterval(CDORAzivazDoc& doc, std::int32_t seconds) {
  m_thread.SetPingTime(doc, seconds);
  m_settings.SetInt(kParameterKey, "PingTime", seconds);
  if (seconds == 0) m_thread.CancelCheck();
}

void DeviceSupervision::RegisterCommands(CDORAzivazDoc& doc) {
  CDORAzivazDoc* d = &doc;
  // The document owns the handlers; a weak reference keeps them from owning this object.
  const std::weak_ptr<DeviceSupervision> weak = weak_from_this();
  auto command = [weak](auto action) {
    return [weak, action] {
      if (const auto self = weak.lock()) action(*self);
    };
  };
  doc.SetCommand(kCmdAddDevice, command([d](DeviceSupervision& s) {
                   if (s.m_dialog != nullptr) AddDevice(*d, *s.m_dialog, s.m_views);
                 }));
  doc.SetCommand(kCmdEditDevice, command([d](DeviceSupervision& s) {
                   if (s.m_dialog == nullptr || s.m_views == nullptr) return;
                   const std::vector<DeviceRecord*> selected = s.m_views->SelectedDevices();
                   if (selected.size() == 1)
                     EditDevice(*d, *selected.front(), *s.m_dialog, s.m_views);
                 }));
  doc.SetCommand(kCmdDeleteDevices, command([d](DeviceSupervision& s) {
                   if (s.m_views != nullptr)
                     DeleteDevices(*d, s.m_views->SelectedDevices(), s.m_views);
                 }));
  doc.SetCommand(kCmdResetDevices, command([d](DeviceSupervision& s) {
                   if (s.m_views != nullptr)
                     ResetDevices(*d, s.m_views->SelectedDevices(), s.m_views);
                 }));
  doc.SetCommand(kCmdResetAllDevices,
                 command([d](DeviceSupervision& s) { ResetAllDevices(*d, s.m_views); }));
  doc.SetCommand(kCmdCheckDevicesNow, command([d](DeviceSupervision& s) {
                   if (s.m_views != nullptr) CheckDevicesNow(*d, s.m_views->SelectedDevices());
                 }));
  const std::pair<unsigned, std::int32_t> intervals[] = {{kCmdCheckIntervalOff, 0},
                                                         {kCmdCheckInterval15, 15},
                                                         {kCmdCheckInterval30, 30},
                                                         {kCmdCheckInterval60, 60},
                                                         {kCmdCheckInterval120, 120}};
  for (const auto& [id, seconds] : intervals) {
    doc.SetCommand(id, command([d, seconds = seconds](DeviceSupervision& s) {
                     s.SetCheckInterval(*d, seconds);
                   }));
  }
}

void InstallDeviceCheck(DocumentSeams& seams, std::shared_ptr<DeviceSupervision> supervision) {
  seams.deviceCheckThread = [supervision](CDORAzivazDoc& doc) { supervision->RunThread(doc); };
  // The bus link may have supplied its own cancel (of the service it keeps); both end the
  // same check, so neither wiring order loses one.
  seams.cancelCheck = [supervision, previous = seams.cancelCheck](CDORAzivazDoc& doc) {
    if (previous) previous(doc);
    supervision->Thread().CancelCheck();
  };
  seams.recomputeFailedDevices = [](CDORAzivazDoc& doc) { RecomputeFailedDevices(doc); };
  seams.checkDeviceWrite = [](CDORAzivazDoc& doc, GroupItem& item, const Variant& value) {
    CheckDeviceWrite(doc, item, value);
  };
}
