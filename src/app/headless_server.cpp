// HeadlessServer: the start-up order, the serving loop and the orderly stop.
#include "app/headless_server.h"

#include "app/stderr_prompt.h"
#include "bus/bus_link.h"
#include "bus/simulation.h"
#include "devices/device_commands.h"
#include "devices/device_supervision.h"
#include "knx/bus_classes.h"
#include "knx/knxnetip/knxnetip_interface.h"
#include "knx/virtual_bus/virtual_bus_interface.h"
#include "opc/opc_server_callback.h"
#include "platform/current_language.h"
#include "platform/settings_store.h"
#include "project/document_seams.h"
#include "project/document_settings.h"
#include "project/dorazivaz_doc.h"
#include "toolkit/opcua/ua_server_options.h"
#include "toolkit/toolkit.h"

namespace {

constexpr const char* kServerClassId = "{5B1E3A94-2C7D-4F60-9A8E-D3C41F0B7A26}";

bool LoadUserLanguage(SettingsStore& settings, std::string* error) {
  const int language = settings.GetInt(kParameterKey, "Language").value_or(0);
  return LoadLanguage(language, error) || LoadLanguage(0, error);
}

}  // namespace

HeadlessServer::HeadlessServer(HeadlessOptions options, std::ostream& err)
    : m_options(std::move(options)), m_err(err) {}

HeadlessServer::~HeadlessServer() = default;

int HeadlessServer::Run() {
  SettingsStore& settings = SettingsStore::Of(Hive::CurrentUser);
  std::string error;
  if (!LoadUserLanguage(settings, &error)) {
    m_err << "zelvox: " << error << '\n';
    return 1;
  }
  StderrPrompt prompt(m_err);
  OpcServerCallback callback;

  // The virtual bus is registered first: it is the default interface until one is chosen.
  BusComponent& component = BusComponent::Default();
  component.RegisterDriver(VirtualBusDriverEntry());
  component.RegisterDriver(knxnetip::KnxNetIpDriverEntry());
  RegisterBusClasses(component, m_loop, settings);

  BusLink bus(m_loop, component);
  auto supervision =
      std::make_shared<DeviceSupervision>(DeviceCheckWiring{settings, &bus.Connection()});
  DocumentSeams seams;
  bus.WireSeams(seams);
  InstallDeviceCheck(seams, supervision);
  bus.SetDeviceCheckReset([](CDORAzivazDoc& doc) { ResetAllDevices(doc, nullptr); });

  CDORAzivazDoc::Services services{callback, prompt, m_loop, settings};
  services.strings = [](unsigned id) { return Language()->String(id); };
  CDORAzivazDoc doc(services, seams);
  supervision->RegisterCommands(doc);

  if (m_options.simulate) bus.GetSimulation()->SwitchOn();
  if (!m_options.projectPath.empty() && !doc.OnOpenDocument(m_options.projectPath)) {
    doc.StopBusWorker();
    return 1;
  }

  const ToolkitServerId serverId{kServerClassId};
  ToolkitInit(m_options.programPath, &serverId);
  UaServerOptions serverOptions;
  serverOptions.port = m_options.port;
  serverOptions.listenAny = m_options.listenAny;
  serverOptions.projectName = [&callback] {
    std::lock_guard tagLock(callback.GetTagLock());
    return callback.Root().m_name;
  };
  ToolkitConfigureServer(serverOptions);
  if (!ToolkitStartServing(&callback, &error)) {
    m_err << "zelvox: " << error << '\n';
    doc.StopBusWorker();
    return 1;
  }
  m_err << "zelvox: serving opc.tcp://" << (m_options.listenAny ? "0.0.0.0" : "127.0.0.1") << ':'
        << ToolkitServingPort() << std::endl;

  const int code = m_loop.Run();

  ToolkitShutdown();
  doc.StopBusWorker();
  return code;
}
