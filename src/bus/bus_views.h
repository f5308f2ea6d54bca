// BusViews: what the bus traffic asks of the main window (row refresh, status, simulation mark).
#pragma once

class GroupItem;

// Implemented by the main window; null when headless. Every call comes on the main thread:
// worker threads post them there.
class BusViews {
 public:
  // Rewrites the item's row in the list (value, quality, time) when the list shows it.
  virtual void RefreshItemRow(GroupItem& item) = 0;
  // The status bar's queue length and connection state may have changed (the link state is
  // BusConnection::LinkUp: "link down" while the interface reconnects).
  virtual void UpdateStatus() = 0;
  // Simulation mode was switched: check or uncheck its menu entry and show the state.
  virtual void ShowSimulationState(bool on) = 0;

 protected:
  ~BusViews() = default;
};
