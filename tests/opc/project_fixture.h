// A small name space for the OPC tests, and a document fake that records what it is handed.
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "opc/opc_server_callback.h"
#include "project/group_item.h"
#include "project/group_node.h"
#include "project/opc_document.h"

// Root: "Failed Devices" (readable), "Check Device" (writeable), then
//   Ground floor (1): Lights (2): 1/2/3 EIS 1, 1/2/4 EIS 5, 1/2/5 "Uncertain (2 Byte)",
//                                 1/2/6 "Unknown"; Heating (3): 1/3/1 EIS 13
//   Central (2): 2/515 EIS 14, 2/516 EIS 1 (readable only)
struct TestProject {
  explicit TestProject(OpcServerCallback& server) : root(server.Root()) {
    root.SetName("Project");
    failedDevices = &Add(root, "Failed Devices", "Array of Strings");
    failedDevices->m_accessRights = OPC_READABLE;
    checkDevice = &Add(root, "Check Device", "String");
    checkDevice->m_accessRights = OPC_WRITEABLE;
    GroupNode& ground = root.AppendChild(CreateGroupNode("Ground floor", 1, nullptr));
    lights = &ground.AppendChild(CreateGroupNode("Lights", 2, nullptr));
    switching = &Add(*lights, "1/2/3", "EIS 1 'Switching' (1 Bit)");
    value = &Add(*lights, "1/2/4", "EIS 5 'Value' (2 Byte)");
    twoBytes = &Add(*lights, "1/2/5", "Uncertain (2 Byte)");
    unknown = &Add(*lights, "1/2/6", "Unknown");
    GroupNode& heating = ground.AppendChild(CreateGroupNode("Heating", 3, nullptr));
    character = &Add(heating, "1/3/1", "EIS 13 'EIB-ASCII-Char' (8 Bit)");
    central = &root.AppendChild(CreateGroupNode("Central", 2, nullptr));
    counter = &Add(*central, "2/515", "EIS 14 '8Bit Counter' (8 Bit)");
    readOnly = &Add(*central, "2/516", "EIS 1 'Switching' (1 Bit)");
    readOnly->m_accessRights = OPC_READABLE;
  }

  static GroupItem& Add(GroupNode& parent, const char* address, const char* type) {
    return parent.AppendItem(
        CreateGroupItem(address, std::string("Name of ") + address, type, 3, parent, nullptr));
  }

  GroupNode& root;
  GroupNode* lights;
  GroupNode* central;
  GroupItem* failedDevices;
  GroupItem* checkDevice;
  GroupItem* switching;
  GroupItem* value;
  GroupItem* twoBytes;
  GroupItem* unknown;
  GroupItem* character;
  GroupItem* counter;
  GroupItem* readOnly;
};

// Records writes and reads, and whether the tag lock was held when they arrived.
class FakeDocument : public OpcDocument {
 public:
  explicit FakeDocument(OpcServerCallback& server) : m_server(server) {}

  HRESULT QueueWrite(GroupItem& item, const Variant& value) override {
    writes.push_back({&item, value});
    lockHeld.push_back(LockHeldByCaller());
    return S_OK;
  }
  void QueueRead(GroupItem& item) override {
    reads.push_back(&item);
    lockHeld.push_back(LockHeldByCaller());
  }

  struct Write {
    GroupItem* item;
    Variant value;
  };
  std::vector<Write> writes;
  std::vector<GroupItem*> reads;
  std::vector<bool> lockHeld;

 private:
  // Another thread cannot take the lock while this call's caller holds it.
  bool LockHeldByCaller() {
    bool taken = false;
    std::thread probe([&] {
      if (m_server.GetTagLock().try_lock()) {
        taken = true;
        m_server.GetTagLock().unlock();
      }
    });
    probe.join();
    return !taken;
  }

  OpcServerCallback& m_server;
};
