// ZelvoxApplication: the start steps, serving, and the end.
#include "app/zelvox_application.h"

#include <clocale>
#include <filesystem>

#include "app/opcua_security.h"
#include "app/registration_script_text.h"
#include "app/setting_definitions.h"
#include "app/single_instance.h"
#include "bus/bus_link.h"
#include "bus/simulation.h"
#include "devices/device_commands.h"
#include "devices/device_supervision.h"
#include "knx/bus_classes.h"
#include "knx/bus_drivers.h"
#include "opc/opc_server_callback.h"
#include "platform/current_language.h"
#include "platform/language_files.h"
#include "platform/log.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "project/dorazivaz_doc.h"
#include "toolkit/opcua/ua_server_options.h"
#include "toolkit/toolkit.h"

namespace {

constexpr unsigned kMsgUnregisterFailed = 176;
constexpr unsigned kMsgRegisterFailed = 177;
constexpr unsigned kMsgWindowNotFound = 199;

// The setting that makes a UA Read with maxAge 0 read the device.
constexpr const char* kUaDeviceReadsValue = "UaDeviceReads";

}  // namespace

ZelvoxApplication::ZelvoxApplication(CommandLine line, std::string programPath, Prompt& prompt)
    : m_line(std::move(line)), m_programPath(std::move(programPath)), m_prompt(prompt) {}

ZelvoxApplication::~ZelvoxApplication() {
  ExitInstance();
}

std::optional<int> ZelvoxApplication::InitInstance(MainThread& mainThread,
                                                   std::function<void()> onRaise) {
  SettingsStore& store = SettingsStore::Of(Hive::CurrentUser);
  if (auto level = m_line.logLevel ? m_line.logLevel : ReadLogLevel(store)) SetLogLevel(*level);
  const StartSettings start = ReadStartSettings(store);
  m_language = start.language;
  m_startmode = start.startmode;

  // Only 0 and 1 have a file; any other value runs in English rather than without texts.
  const int language = LanguageFileName(m_language).empty() ? 0 : m_language;
  std::string error;
  if (!LoadLanguage(language, &error)) {
    m_prompt.AskText(LanguageLoadFailureText(language), PromptKind::Error, PromptButtons::Ok);
    return kExitStartFailed;
  }

  m_instance = std::make_unique<SingleInstance>(SettingsHome());
  switch (m_instance->Secure()) {
    case SingleInstance::Outcome::OtherSignalled:
      return kExitOk;
    case SingleInstance::Outcome::OtherUnreachable:
      m_prompt.Show(kMsgWindowNotFound);
      return kExitStartFailed;
    case SingleInstance::Outcome::First:
      break;
  }
  m_instance->Listen([&mainThread, onRaise = std::move(onRaise)] {
    if (onRaise) mainThread.Post(onRaise);
  });

  if (m_line.registration != Registration::None) return Register(m_line.registration);

  // Dates and texts follow the user's locale; numbers stay in the C form that project files,
  // settings and the value texts are written in.
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");

  m_callback = std::make_unique<OpcServerCallback>();
  CreateDocument(mainThread, store);

  if (!m_line.projectFile.empty()) {
    if (!m_doc->OnOpenDocument(m_line.projectFile)) return kExitStartFailed;
  } else {
    // A start file that is gone leaves the empty project of the new-document step.
    const std::string startFile = ReadStartFile(store);
    std::error_code ec;
    if (!startFile.empty() && std::filesystem::is_regular_file(startFile, ec)) {
      m_doc->OnOpenDocument(startFile);
    }
  }

  if (const std::optional<int> failed = StartServing(store)) return failed;
  if (m_line.simulate && m_bus->GetSimulation() && !m_doc->Simulation()) {
    m_bus->GetSimulation()->SwitchOn();
  }
  return std::nullopt;
}

std::optional<int> ZelvoxApplication::Register(Registration registration) {
  SetRegistrationScript(kRegistrationScript);
  const ToolkitServerId serverId{kServerClassId};
  const bool unregister = registration == Registration::Unregister;
  const bool ok = ToolkitInit(m_programPath, &serverId) != 0 &&
                  (unregister ? ToolkitUnregister() : ToolkitRegister()) >= 0;
  if (ok) return kExitOk;
  m_prompt.Show(unregister ? kMsgUnregisterFailed : kMsgRegisterFailed);
  return kExitStartFailed;
}

void ZelvoxApplication::CreateDocument(MainThread& mainThread, SettingsStore& store) {
  BusComponent& component = BusComponent::Default();
  RegisterBusDrivers(component);
  RegisterBusClasses(component, mainThread, store, m_window.interfaceChoice);

  m_bus = std::make_unique<BusLink>(mainThread, component);
  m_bus->SetViews(m_window.busViews);
  m_bus->Connection().SetWaitHook(m_window.busSwitchWait);
  m_bus->Connection().SetConnectingHook(m_window.busConnecting);
  m_supervision =
      std::make_shared<DeviceSupervision>(DeviceCheckWiring{store, &m_bus->Connection()});
  m_supervision->SetViews(m_window.deviceViews);
  m_supervision->SetDialog(m_window.deviceAddressDialog);
  DocumentSeams seams;
  m_bus->WireSeams(seams);
  InstallDeviceCheck(seams, m_supervision);
  m_bus->SetDeviceCheckReset([](CDORAzivazDoc& doc) { ResetAllDevices(doc, nullptr); });

  CDORAzivazDoc::Services services{*m_callback, m_prompt, mainThread, store};
  services.strings = [](unsigned id) { return Language()->String(id); };
  services.startedByClient = m_line.startedByClient;
  services.views = m_window.views;
  services.fileDialogs = m_window.fileDialogs;
  services.addressDialog = m_window.addressDialog;
  services.nameDialog = m_window.nameDialog;
  services.linksDialog = m_window.linksDialog;
  m_doc = std::make_unique<CDORAzivazDoc>(services, std::move(seams));
  m_supervision->RegisterCommands(*m_doc);
  m_settingsCommands = std::make_unique<SettingsCommands>(store, m_startmode);
  m_settingsCommands->Register(*m_doc);
}

std::optional<int> ZelvoxApplication::StartServing(SettingsStore& store) {
  const ToolkitServerId serverId{kServerClassId};
  if (ToolkitInit(m_programPath, &serverId) == 0) return kExitStartFailed;

  // The endpoint settings; the command line overrides them.
  UaServerOptions options;
  const std::int32_t port = store.GetInt(kParameterKey, kOpcUaPortValue).value_or(4840);
  options.port = port >= 0 && port <= 65535 ? static_cast<std::uint16_t>(port) : 4840;
  if (m_line.opcUaPort) options.port = *m_line.opcUaPort;
  options.listenAny =
      m_line.listenAny || store.GetInt(kParameterKey, kOpcUaListenAnyValue).value_or(0) != 0;
  options.deviceReads = store.GetInt(kParameterKey, kUaDeviceReadsValue).value_or(0) != 0;
  options.projectName = [callback = m_callback.get()] {
    std::lock_guard tagLock(callback->GetTagLock());
    return callback->Root().m_name;
  };
  m_listenAny = options.listenAny;
  std::string error;
  if (!ConfigureOpcUaSecurity(options, m_line, store, &error)) {
    m_prompt.AskText(error, PromptKind::Error, PromptButtons::Ok);
    return kExitStartFailed;
  }
  ToolkitConfigureServer(options);

  m_serverStarted = true;
  if (!ToolkitStartServing(m_callback.get(), &error)) {
    m_prompt.AskText(
        "OPC UA cannot be served on port " + std::to_string(options.port) + ": " + error,
        PromptKind::Error, PromptButtons::Ok);
    return kExitPortTaken;
  }
  Log(LogLevel::Notice, "OPC UA: serving on " + Endpoint() +
                            (options.listenAny ? " (all interfaces)" : "") + ", " +
                            DescribeOpcUaSecurity(options.security));
  return std::nullopt;
}

std::string ZelvoxApplication::Endpoint() const {
  const std::uint16_t port = ToolkitServingPort();
  if (port == 0) return {};
  return std::string("opc.tcp://") + (m_listenAny ? "0.0.0.0" : "127.0.0.1") + ":" +
         std::to_string(port);
}

bool ZelvoxApplication::SaveModified() {
  return !m_doc || m_doc->SaveModified();
}

void ZelvoxApplication::ExitInstance() {
  // Clients are cut off first, so that none reaches the project while it is taken down.
  if (m_serverStarted) ToolkitShutdown();
  m_serverStarted = false;
  if (m_doc) m_doc->StopBusWorker();
  m_doc.reset();
  m_settingsCommands.reset();
  m_bus.reset();
  m_supervision.reset();
  m_callback.reset();
  m_instance.reset();
}
