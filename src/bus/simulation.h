// Simulation: generated values in place of the bus, and switching the mode on and off.
#pragma once

#include <functional>

#include "platform/variant.h"

class BusViews;
class CDORAzivazDoc;
class GroupItem;
class RowRefreshQueue;

constexpr unsigned kCmdSimulation = 32867;

// The next simulated value of a bus item by its EIS type, from the C runtime's rand(). Counters
// and toggles go on from the item's value once it has the canonical type. Call under the tag
// lock.
Variant SimulatedValue(const GroupItem& item);

class Simulation {
 public:
  Simulation(CDORAzivazDoc& doc, RowRefreshQueue& rows) : m_doc(doc), m_rows(rows) {}

  // The main window (null headless) and the reset of the device check results, which
  // switching off runs after it released the tag lock.
  void SetViews(BusViews* views) { m_views = views; }
  void SetDeviceCheckReset(std::function<void(CDORAzivazDoc&)> reset) {
    m_resetDeviceCheck = std::move(reset);
  }

  // Command 32867 (main thread): switches the mode. On: the request queue and the
  // pending-response list are emptied. Off: every item becomes uncertain with an empty value.
  void Toggle();
  void SwitchOn();
  void SwitchOff();

  // One tick of the bus worker: every item below the root gets a new value (quality good,
  // time now), children first, while the mode stays on; an item a client wrote since the last
  // tick keeps that value once.
  void Tick();

 private:
  CDORAzivazDoc& m_doc;
  RowRefreshQueue& m_rows;
  BusViews* m_views = nullptr;
  std::function<void(CDORAzivazDoc&)> m_resetDeviceCheck;
};
