// ZelvoxApplication: the application object: start in its fixed order, the running parts, the end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/app_settings.h"
#include "app/command_line.h"
#include "app/settings_commands.h"
#include "knx/driver_interface_chooser.h"

class BusLink;
class BusViews;
class CDORAzivazDoc;
class DeviceAddressDialog;
class DeviceSupervision;
class DeviceViews;
class DocumentViews;
class FileDialogs;
class GroupAddressDialog;
class LinkedAddressesDialog;
class MainThread;
class NameDialog;
class OpcServerCallback;
class Prompt;
class SettingsStore;
class SingleInstance;

// Exit codes of zelvox.
constexpr int kExitOk = 0;
constexpr int kExitStartFailed = 1;  // language file, second instance unreachable, registration,
                                     // project on the command line, toolkit
constexpr int kExitUsage = 2;
constexpr int kExitPortTaken = 3;  // the OPC UA port could not be bound

// The main window's parts that the document, the bus link and the device check talk to; all
// null when the program runs headless.
struct WindowSeams {
  DocumentViews* views = nullptr;
  FileDialogs* fileDialogs = nullptr;
  BusViews* busViews = nullptr;
  DeviceViews* deviceViews = nullptr;
  // The bus access component's interface chooser (headless: none, so that a switch re-connects
  // the interface in use), what runs while a switch waits for the worker threads or the bus
  // interface is being opened (the window repaints), what shows that the interface is being
  // opened, and the device address dialog of the device commands.
  InterfaceChoiceDialog interfaceChoice;
  std::function<void()> busSwitchWait;
  std::function<void(bool connecting)> busConnecting;
  DeviceAddressDialog* deviceAddressDialog = nullptr;
  GroupAddressDialog* addressDialog = nullptr;
  NameDialog* nameDialog = nullptr;
  LinkedAddressesDialog* linksDialog = nullptr;
};

// Start (InitInstance), in this order; a step that fails ends the program with its exit code:
//  1. "Language" and "Startmode" from the settings; the language file (the fixed two-language
//     message when it is missing);
//  2. single instance: a second start asks the first to show itself and ends (message 199 when
//     the first does not answer);
//  3. RegServer / UnregServer: registration, then the end (message 177 / 176 on failure);
//  4. the C locale from the environment, numbers excepted;
//  5. the OPC callback, then the bus link, the device check and the document (the bus connects
//     silently when a client started the program); the project named on the command line;
//  6. else the start file, when it exists;
//  7. the toolkit initialised and serving OPC UA; simulation switched on when asked.
// The end (ExitInstance): serving stopped (only when it started), the bus worker stopped, the
// document destroyed (device check ended, bus disconnected).
class ZelvoxApplication {
 public:
  ZelvoxApplication(CommandLine line, std::string programPath, Prompt& prompt);
  ~ZelvoxApplication();
  ZelvoxApplication(const ZelvoxApplication&) = delete;
  ZelvoxApplication& operator=(const ZelvoxApplication&) = delete;

  // Events of the bus component and the worker threads' posts run on `mainThread`, which must
  // outlive the application. `onRaise` runs on the main thread when a later start asks this
  // instance to show itself. Returns the exit code when the program is to end now, nothing
  // when it serves.
  std::optional<int> InitInstance(MainThread& mainThread, std::function<void()> onRaise);
  // Before InitInstance: the window that the document is made with. Its parts must outlive
  // ExitInstance.
  void SetWindow(const WindowSeams& window) { m_window = window; }
  // The save question for a modified project (Cancel keeps the program running: false).
  bool SaveModified();
  // Idempotent.
  void ExitInstance();

  const CommandLine& Line() const { return m_line; }
  bool StartedByClient() const { return m_line.startedByClient; }
  bool ServerStarted() const { return m_serverStarted; }
  ShowMode WindowShowMode() const { return ChooseShowMode(m_line.startedByClient, m_startmode); }
  std::int32_t Startmode() const { return m_startmode; }
  // The endpoint served, e.g. "opc.tcp://127.0.0.1:4840"; empty before serving.
  std::string Endpoint() const;

  // The running parts; null before InitInstance made them and after ExitInstance.
  CDORAzivazDoc* Document() { return m_doc.get(); }
  BusLink* Bus() { return m_bus.get(); }
  DeviceSupervision* Supervision() { return m_supervision.get(); }
  OpcServerCallback* Callback() { return m_callback.get(); }
  SettingsCommands* Settings() { return m_settingsCommands.get(); }

 private:
  std::optional<int> Register(Registration registration);
  void CreateDocument(MainThread& mainThread, SettingsStore& store);
  std::optional<int> StartServing(SettingsStore& store);

  CommandLine m_line;
  std::string m_programPath;
  Prompt& m_prompt;
  std::int32_t m_language = 0;
  std::int32_t m_startmode = 0;
  bool m_serverStarted = false;
  bool m_listenAny = false;  // as served
  WindowSeams m_window;

  std::unique_ptr<SingleInstance> m_instance;
  std::unique_ptr<OpcServerCallback> m_callback;
  std::unique_ptr<BusLink> m_bus;
  std::shared_ptr<DeviceSupervision> m_supervision;
  std::unique_ptr<SettingsCommands> m_settingsCommands;
  std::unique_ptr<CDORAzivazDoc> m_doc;
};
