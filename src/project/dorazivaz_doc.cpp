// CDORAzivazDoc: construction, destruction, clearing the project, item access, the worker threads.
#include "project/dorazivaz_doc.h"

#include <algorithm>

#include "platform/auto_reset_event.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "project/document_views.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "project/special_item_kind.h"

namespace {

bool AnyItemHeldByClient(const GroupNode& node) {
  for (const auto& item : node.m_items)
    if (item->ClientRefCount() > 0) return true;
  for (const auto& child : node.m_children)
    if (AnyItemHeldByClient(*child)) return true;
  return false;
}

}  // namespace

CDORAzivazDoc::CDORAzivazDoc(Services services, DocumentSeams seams)
    : m_services(services), m_seams(std::move(seams)) {
  m_simulation = false;
  m_settings = ReadDocumentSettings(m_services.settings);
  SetTimeStampsUtc(m_settings.useGmt != 0);

  if (m_seams.connect) m_seams.connect(*this, m_services.startedByClient);

  m_esfWords = StandardEsfWords();
  RegisterOwnCommands();

  // The threads may look at the project at once: the name space must know its document and
  // the root must report dying items before they start.
  Callback().SetDocument(this);
  Root().m_lifecycle = this;

  m_deviceCheckQuit = std::make_unique<AutoResetEvent>(kDeviceCheckQuitEventName);
  if (m_seams.deviceCheckThread)
    m_deviceCheckThread = std::thread([this] { m_seams.deviceCheckThread(*this); });
  m_busWorkerQuit = std::make_unique<AutoResetEvent>(kBusWorkerQuitEventName);
  if (m_seams.busWorkerThread)
    m_busWorkerThread = std::thread([this] { m_seams.busWorkerThread(*this); });

  OnNewDocument();
}

CDORAzivazDoc::~CDORAzivazDoc() {
  StopDeviceCheckThread();
  // The window's close stops the bus worker; a headless end or a test may not have: a
  // thread left running would outlive the document it works on.
  if (m_busWorkerThread.joinable()) StopBusWorker();
  if (m_seams.disconnect) m_seams.disconnect(*this);
  std::lock_guard tagLock(TagLock());
  Root().m_lifecycle = nullptr;
  if (Callback().Document() == this) Callback().SetDocument(nullptr);
}

void CDORAzivazDoc::StopDeviceCheckThread() {
  if (!m_deviceCheckQuit) return;
  m_deviceCheckQuit->Set();
  // A check that is running would hold the thread until the bus gives up on the device.
  if (m_seams.cancelCheck) m_seams.cancelCheck(*this);
  if (m_deviceCheckThread.joinable()) m_deviceCheckThread.join();
}

void CDORAzivazDoc::StopBusWorker() {
  m_simulation = false;
  m_stop = true;
  if (m_busWorkerQuit) m_busWorkerQuit->Set();
  if (m_busWorkerThread.joinable()) m_busWorkerThread.join();
}

GroupNode& CDORAzivazDoc::Root() {
  return Callback().Root();
}

GroupNode& CDORAzivazDoc::DevicesNode() {
  return *Callback().DevicesNode();
}

std::recursive_mutex& CDORAzivazDoc::TagLock() {
  return Callback().GetTagLock();
}

std::string CDORAzivazDoc::String(unsigned id) const {
  return m_services.strings ? m_services.strings(id) : std::string();
}

bool CDORAzivazDoc::OnNewDocument() {
  if (!DeleteContents()) return false;
  // A new project has no file yet and nothing to save.
  m_pathName.clear();
  SetModifiedFlag(false);
  return true;
}

bool CDORAzivazDoc::DeleteContents() {
  bool held = false;
  {
    std::lock_guard tagLock(TagLock());
    held = AnyItemHeldByClient(Root());
  }
  // Shown without the tag lock: clients go on being served while the message is open.
  if (held) {
    m_services.prompt.Show(kStrClientsHoldItems, {}, PromptKind::Warning);
    return false;
  }

  // The edits kept for undo refer to the groups and items that go now.
  ++m_contentsGeneration;
  const bool simulation = m_simulation.exchange(false);
  if (m_seams.cancelCheck) m_seams.cancelCheck(*this);

  m_failedDevicesItem = nullptr;
  m_checkDeviceItem = nullptr;
  if (DocumentViews* views = m_services.views) views->ClearViews();

  m_pending.Clear();
  m_requests.Clear();
  m_checkQueue.Clear();
  m_failedDevices.Clear();

  {
    std::lock_guard tagLock(TagLock());
    Root().Clear();
  }
  m_devices.Clear();

  BuildEmptyProject();
  m_counters.Clear();
  m_simulation = simulation;
  return true;
}

void CDORAzivazDoc::BuildEmptyProject() {
  GroupNode& root = Root();
  {
    std::lock_guard tagLock(TagLock());
    root.SetName("Project");
    root.m_pDoc = this;

    auto failed = CreateGroupItem("Failed Devices", String(kStrFailedDevicesName),
                                  "Array of Strings", kPriorityAlarm, root, this);
    failed->m_accessRights = OPC_READABLE;
    // The failed device list was just emptied: its value is the empty list, known for sure.
    failed->m_value = Variant::Array(VT_BSTR, {});
    failed->m_quality = OPC_QUALITY_GOOD;
    failed->m_timestamp = TimeStampNow();
    m_failedDevicesItem = &root.AppendItem(std::move(failed));

    auto check = CreateGroupItem("Check Device", String(kStrCheckDeviceName), "String",
                                 kPriorityAlarm, root, this);
    check->m_accessRights = OPC_WRITEABLE;
    m_checkDeviceItem = &root.AppendItem(std::move(check));

    if (!Callback().DevicesNode())
      Callback().SetDevicesNode(CreateGroupNode(String(kStrDevicesNodeName), -1, this, 1));
  }
  if (DocumentViews* views = m_services.views) views->ShowRoot(root, DevicesNode());
}

void CDORAzivazDoc::QueueRead(GroupItem& item) {
  if (item.m_eis == kFailedDevicesItem) {
    if (m_seams.recomputeFailedDevices) m_seams.recomputeFailedDevices(*this);
    return;
  }
  if (item.m_eis == kCheckDeviceItem || m_simulation) return;
  if (m_seams.queueRead) m_seams.queueRead(*this, item);
}

HRESULT CDORAzivazDoc::QueueWrite(GroupItem& item, const Variant& value) {
  if (item.m_eis == kCheckDeviceItem) {
    if (m_seams.checkDeviceWrite) m_seams.checkDeviceWrite(*this, item, value);
    return S_OK;
  }
  if (item.m_eis == kFailedDevicesItem) return S_OK;
  if (m_seams.queueWrite) return m_seams.queueWrite(*this, item, value);
  return S_OK;
}

void CDORAzivazDoc::ClearRequests() {
  m_requests.Clear();
}

void CDORAzivazDoc::InitialRead(GroupNode& node) {
  for (const auto& child : node.m_children) InitialRead(*child);
  for (const auto& item : node.m_items)
    if (item->m_initialRead) QueueRead(*item);
}

void CDORAzivazDoc::ReadFlaggedItems() {
  m_initialReadRunning = true;
  InitialRead(Root());
  m_initialReadRunning = false;
}

void CDORAzivazDoc::OnItemDestroying(GroupItem& item) {
  m_pending.Remove(item);
  m_requests.Remove(item);
  if (m_seams.itemDestroying) m_seams.itemDestroying(*this, item);
}
