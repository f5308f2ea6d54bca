// CDORAzivazDoc: the one document: the running project with its devices, queues and settings.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "project/check_queue.h"
#include "project/device_list.h"
#include "project/document_edit.h"
#include "project/document_seams.h"
#include "project/document_settings.h"
#include "project/esf_words.h"
#include "project/failed_device_list.h"
#include "project/item_lifecycle.h"
#include "project/name_space_holder.h"
#include "project/opc_document.h"
#include "project/pending_reads.h"
#include "project/project_counters.h"
#include "project/request_queue.h"

class AutoResetEvent;
class DocumentViews;
class FileDialogs;
class GroupAddressDialog;
class LinkedAddressesDialog;
class NameDialog;
class GroupItem;
class GroupNode;
class MainThread;
class Prompt;
class SettingsStore;

// Command identifiers of the document's own commands.
constexpr unsigned kCmdImportEsf = 32771;
constexpr unsigned kCmdConvertEts4 = 32872;
constexpr unsigned kCmdNewGroupItem = 32842;
constexpr unsigned kCmdResetDevices = 32850;
constexpr unsigned kCmdDeleteDevices = 32849;
constexpr unsigned kCmdDelete = 32870;

// String table entries the document shows.
constexpr unsigned kStrClientsHoldItems = 191;
constexpr unsigned kStrFailedDevicesName = 192;
constexpr unsigned kStrCheckDeviceName = 193;
constexpr unsigned kStrDevicesNodeName = 194;
// Refusals of deleting groups and items while OPC clients hold some of them.
constexpr unsigned kStrGroupHeld = 161;
constexpr unsigned kStrItemsHeld = 162;

// Names of the worker threads' quit events.
inline constexpr const char* kDeviceCheckQuitEventName = "DOR_AZIVAZ_QUIT_THREAD";
inline constexpr const char* kBusWorkerQuitEventName = "DOR_AZIVAZ_QUIT_THREAD2";

// The application makes one document at start and keeps it until the end; new, opened and
// imported projects reuse it after DeleteContents. Everything except the worker threads'
// data holders (each under its own lock) is used on the main thread.
//
// Lock order: device list lock, tag lock, then one of the pending, queue, check queue or
// failed list locks; never two of the last four at a time. Each of the last four belongs to
// its queue's class, whose operations take it themselves.
class CDORAzivazDoc final : public OpcDocument, public ItemLifecycle {
 public:
  struct Services {
    NameSpaceHolder& callback;  // the OPC side's name space
    Prompt& prompt;
    MainThread& mainThread;
    SettingsStore& settings;
    // String table entries of the language in use (names of the special items); none: empty.
    std::function<std::string(unsigned)> strings = {};
    DocumentViews* views = nullptr;               // null when headless
    FileDialogs* fileDialogs = nullptr;           // null when headless
    GroupAddressDialog* addressDialog = nullptr;  // null: the new item command does nothing
    // Null: the commands that need them do nothing.
    NameDialog* nameDialog = nullptr;
    LinkedAddressesDialog* linksDialog = nullptr;
    bool startedByClient = false;  // connect silently
  };

  // Reads the settings, connects to the bus, makes the locks and events, starts the worker
  // threads that `seams` supplies, and clears the project (root "Project", the two special
  // items, the devices node).
  CDORAzivazDoc(Services services, DocumentSeams seams = {});
  CDORAzivazDoc(const CDORAzivazDoc&) = delete;
  CDORAzivazDoc& operator=(const CDORAzivazDoc&) = delete;
  // Stops the device check thread (and a bus worker that StopBusWorker did not stop),
  // disconnects from the bus.
  ~CDORAzivazDoc();

  // --- Project lifecycle ----------------------------------------------------------------
  // Clears the project. Refused with message 191 while a client holds any item below the
  // root: then nothing changes and the result is false.
  bool DeleteContents();
  // The framework's new-document step: clears the project and forgets its file.
  bool OnNewDocument();
  // Opens a project file: reads it, then clears the project (a refusal stops the open) and
  // loads it. Returns false when the file could not be read or the project could not be
  // cleared; the open project, its path and its modified flag then stay as they were.
  bool OnOpenDocument(const std::string& path);
  // Saves both files; on success the path becomes the document's and the flag is cleared.
  bool OnSaveDocument(const std::string& path);
  // The framework's save prompt for a modified project: Yes saves (asking for a path when
  // the project has none), No goes on, Cancel returns false.
  bool SaveModified();

  // The project file and device file (the loading direction expects a cleared document).
  // Both record the path as "Startfile" once they succeeded; a file that cannot be read or
  // written leaves the start file as it was.
  bool StoreProject(const std::string& path);
  bool LoadProject(const std::string& path);

  bool IsModified() const { return m_modified; }
  void SetModifiedFlag(bool modified = true) { m_modified = modified; }
  const std::string& PathName() const { return m_pathName; }
  // An empty path makes the next save ask for a file name.
  void SetPathName(std::string path) { m_pathName = std::move(path); }

  // --- Commands -------------------------------------------------------------------------
  // Runs the handler registered for `id`; false when there is none.
  bool OnCommand(unsigned id);
  // Registers (or replaces) the handler of a command; later parts add theirs here.
  void SetCommand(unsigned id, std::function<void()> handler);
  bool HasCommand(unsigned id) const { return m_commands.count(id) != 0; }
  // 32842: a new group item under the selected main or middle group; the undo record (none
  // when cancelled or without a main or middle group selected).
  DocumentEditPtr OnNewGroupItem();
  // 32847: the group address dialog for an existing item; the undo record (none when
  // cancelled or unchanged).
  DocumentEditPtr OnItemProperties(GroupItem& item);

  // Hands an edit made by a command to the window's undo stack (through the sink); without a
  // sink, or for none, it is dropped.
  void RecordEdit(DocumentEditPtr edit);
  void SetEditSink(std::function<void(DocumentEditPtr)> sink) { m_editSink = std::move(sink); }
  // Counts the project's clearings; an edit made before the last one is void.
  std::uint64_t ContentsGeneration() const { return m_contentsGeneration; }

  // --- Item access for the OPC side and the scheduling ------------------------------------
  // OpcDocument: a client's device read and write, handed to the scheduling and the device
  // check (the special items) through the seams.
  void QueueRead(GroupItem& item) override;
  HRESULT QueueWrite(GroupItem& item, const Variant& value) override;
  // Removes every queued request.
  void ClearRequests();
  // Queues a read of every item below `node` whose initial read flag is set: child nodes
  // first, then the node's own items.
  void InitialRead(GroupNode& node);
  // Queues the initial read of the whole project (every flagged item) as initial reads, which
  // the bus worker sends at the initial-read pace: after a load, and when the bus link is back.
  void ReadFlaggedItems();
  // Stops the bus worker thread: simulation off, stop flag, quit event, wait for its end.
  void StopBusWorker();

  // ItemLifecycle: takes a dying item off the pending list and out of the request queue.
  void OnItemDestroying(GroupItem& item) override;

  // --- The project's parts ----------------------------------------------------------------
  GroupNode& Root();
  GroupNode& DevicesNode();
  GroupItem* FailedDevicesItem() { return m_failedDevicesItem; }
  GroupItem* CheckDeviceItem() { return m_checkDeviceItem; }
  std::recursive_mutex& TagLock();

  DeviceList& Devices() { return m_devices; }
  std::recursive_mutex& DeviceListLock() { return m_devices.Lock(); }
  ProjectCounters& Counters() { return m_counters; }
  const DocumentSettings& Settings() const { return m_settings; }
  DocumentSettings& Settings() { return m_settings; }

  // The ESF keywords and the language index of the last ESF file read.
  const EsfWords& Words() const { return m_esfWords; }
  int EsfLanguage() const { return m_esfLanguage; }
  void SetEsfLanguage(int language) { m_esfLanguage = language; }

  Prompt& GetPrompt() { return m_services.prompt; }
  MainThread& GetMainThread() { return m_services.mainThread; }
  NameSpaceHolder& Callback() { return m_services.callback; }
  DocumentViews* Views() { return m_services.views; }
  NameDialog* Names() { return m_services.nameDialog; }
  LinkedAddressesDialog* LinksDialog() { return m_services.linksDialog; }
  FileDialogs* Dialogs() { return m_services.fileDialogs; }
  bool StartedByClient() const { return m_services.startedByClient; }
  // A string table entry of the language in use; empty without language resources.
  std::string String(unsigned id) const;

  // The worker threads' queues, each with its own lock.
  PendingReads& Pending() { return m_pending; }
  RequestQueue& Requests() { return m_requests; }
  DeviceCheckQueue& CheckQueue() { return m_checkQueue; }
  FailedDeviceList& FailedDevices() { return m_failedDevices; }

  AutoResetEvent* DeviceCheckQuitEvent() { return m_deviceCheckQuit.get(); }
  AutoResetEvent* BusWorkerQuitEvent() { return m_busWorkerQuit.get(); }
  // Whether the worker threads were started (and not yet awaited).
  bool DeviceCheckThreadRunning() const { return m_deviceCheckThread.joinable(); }
  bool BusWorkerThreadRunning() const { return m_busWorkerThread.joinable(); }

  // Simulation mode, the stop flag of the bus worker, the initial-read flag.
  bool Simulation() const { return m_simulation; }
  void SetSimulationFlag(bool on) { m_simulation = on; }
  bool Stopping() const { return m_stop; }
  bool InitialReadRunning() const { return m_initialReadRunning; }

 private:
  // Loads the project file's text read from `path` into the cleared document.
  void LoadProjectText(const std::string& path, const std::string& text);
  void BuildEmptyProject();
  void RegisterOwnCommands();
  void StopDeviceCheckThread();

  Services m_services;
  DocumentSeams m_seams;
  DocumentSettings m_settings;
  EsfWords m_esfWords;
  int m_esfLanguage = 0;

  DeviceList m_devices;  // with the device list lock and the presence map
  PendingReads m_pending;
  RequestQueue m_requests;
  DeviceCheckQueue m_checkQueue;
  FailedDeviceList m_failedDevices;

  std::unique_ptr<AutoResetEvent> m_deviceCheckQuit;
  std::unique_ptr<AutoResetEvent> m_busWorkerQuit;
  std::thread m_deviceCheckThread;
  std::thread m_busWorkerThread;

  GroupItem* m_failedDevicesItem = nullptr;
  GroupItem* m_checkDeviceItem = nullptr;

  ProjectCounters m_counters;
  std::map<unsigned, std::function<void()>> m_commands;
  std::function<void(DocumentEditPtr)> m_editSink;
  std::uint64_t m_contentsGeneration = 0;
  std::string m_pathName;
  bool m_modified = false;
  std::atomic<bool> m_simulation{false};  // read by the worker threads
  std::atomic<bool> m_stop{false};
  bool m_initialReadRunning = false;
};
