// Test fixture of the bus link: a document wired to a BusLink over the fake component, a
// manual clock, recording views, and a small project.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../project/document_fixture.h"
#include "bus/bus_link.h"
#include "bus/bus_views.h"
#include "bus/bus_worker.h"
#include "bus/simulation.h"
#include "fake_bus_component.h"
#include "platform/current_language.h"
#include "project/document_seams.h"
#include "project/group_node.h"

class RecordingBusViews : public BusViews {
 public:
  void RefreshItemRow(GroupItem& item) override { rows.push_back(&item); }
  void UpdateStatus() override { ++statusUpdates; }
  void ShowSimulationState(bool on) override { simulationShown.push_back(on); }
  std::vector<GroupItem*> rows;
  int statusUpdates = 0;
  std::vector<bool> simulationShown;
};

// Project: main group 1 > middle group 2: 1/2/3 EIS 1, 1/2/4 EIS 5, 1/2/5 EIS 10;
// main group 3 (two levels): 3/17 EIS 14.
class BusTest : public DocumentTest {
 protected:
  BusTest() {
    std::string error;
    LoadLanguage(0, &error);
  }
  ~BusTest() override { doc.reset(); }

  // A document over the fake component; with `worker` false the worker thread is not started
  // and tests drive its loop by Step().
  CDORAzivazDoc& MakeBusDoc(bool worker = false, bool silent = false) {
    link = std::make_unique<BusLink>(mainThread, bus.component, &clock);
    link->Connection().SetModeSettleTime(std::chrono::milliseconds(0));
    link->SetViews(&busViews);
    DocumentSeams seams;
    link->WireSeams(seams);
    if (!worker) seams.busWorkerThread = nullptr;
    CDORAzivazDoc::Services services{callback, prompt, mainThread, *settings};
    services.startedByClient = silent;
    doc = std::make_unique<CDORAzivazDoc>(services, std::move(seams));
    CDORAzivazDoc& d = *doc;
    BuildProject(d);
    return d;
  }

  void BuildProject(CDORAzivazDoc& d) {
    std::lock_guard tagLock(d.TagLock());
    GroupNode& main = d.Root().AppendChild(CreateGroupNode("Main", 1, &d));
    GroupNode& middle = main.AppendChild(CreateGroupNode("Middle", 2, &d));
    switching = &Add(middle, "1/2/3", "EIS 1 'Switching' (1 Bit)");
    value = &Add(middle, "1/2/4", "EIS 5 'Value' (2 Byte)");
    counter = &Add(middle, "1/2/5", "EIS 10 '16Bit Counter' (2 Byte)");
    GroupNode& central = d.Root().AppendChild(CreateGroupNode("Central", 3, &d));
    byteCounter = &Add(central, "3/17", "EIS 14 '8Bit Counter' (8 Bit)");
  }

  GroupItem& Add(GroupNode& node, const char* address, const char* type) {
    return node.AppendItem(CreateGroupItem(address, "", type, 3, node, doc.get()));
  }

  BusWorker& Worker() { return *link->Worker(); }

  // The queue as "W:1/2/3", "R:1/2/4", "I:1/2/5" (initial read).
  std::vector<std::string> Queue() {
    std::vector<std::string> out;
    for (const BusRequest& r : doc->Requests().Snapshot())
      out.push_back(std::string(r.kind == kRequestWrite ? "W:"
                                : r.initial             ? "I:"
                                                        : "R:") +
                    r.item->m_addressText);
    return out;
  }

  std::vector<unsigned> PromptIds() const {
    std::vector<unsigned> ids;
    for (const PromptRecord& r : prompt.records) ids.push_back(r.id);
    return ids;
  }

  FakeBusComponent bus;
  ManualClock clock;
  RecordingBusViews busViews;
  std::unique_ptr<BusLink> link;
  GroupItem* switching = nullptr;
  GroupItem* value = nullptr;
  GroupItem* counter = nullptr;
  GroupItem* byteCounter = nullptr;
};
