// ListView: the right pane: the group items of the selected node, or the devices.
#pragma once

#include <QTreeView>
#include <memory>
#include <vector>

#include "ui/item_list_model.h"

class CDORAzivazDoc;
class CommandRouter;
class GroupItem;
class GroupNode;
class QMenu;
class SettingsStore;
struct DeviceRecord;

// A report list: full-row selection, several rows selectable, movable columns. Sorting is
// ours (SortList), not the header's, so that the records' row numbers follow every order.
class ListView : public QTreeView {
  Q_OBJECT

 public:
  // Sort column values besides the column numbers.
  static constexpr int kUnsorted = -1;
  static constexpr int kRestoreOrder = -2;

  ListView(CommandRouter& router, QWidget* parent = nullptr);

  // The document whose project is shown; null detaches.
  void SetDocument(CDORAzivazDoc* doc);
  ItemListModel& Model() { return m_model; }
  GroupNode* CurrentNode() const { return m_node; }
  int SortColumn() const { return m_sortColumn; }
  int DeviceSort() const { return m_deviceSort; }

  // Empties the list (each record's row becomes -1; devices under the device list lock).
  void Empty();
  // Shows the items of `node` (the devices for the devices node, nothing for the root).
  void ShowNode(GroupNode* node);
  // A click on a column heading: chooses or toggles the sort column, then SortList.
  void OnColumnClick(int column);
  // Re-applies the current sort (or restores the node's order).
  void SortList();
  // Rewrites the value, quality and time of the item's row when the list shows it.
  void RefreshItemRow(GroupItem& item);
  // Rewrites every column of the item's row (a type change).
  void RefreshWholeRow(GroupItem& item);
  // A new item of the shown node, a new or removed or changed device.
  void ItemAdded(GroupItem& item);
  void DeviceAdded(DeviceRecord& device);
  void DeviceRemoving(DeviceRecord& device);
  void DeviceChanged(DeviceRecord& device);

  // The records of the selected rows in row order.
  std::vector<GroupItem*> SelectedItems() const;
  std::vector<DeviceRecord*> SelectedDevices() const;
  bool HasSelectedItems() const;
  // The context menu of a right click on `row`, `column` (the row must be selected); null
  // where the list offers none.
  std::unique_ptr<QMenu> ContextMenu(int row, int column);

  // Column widths kept in the settings store, per mode.
  void SaveColumnWidths(SettingsStore& store);
  void RestoreColumnWidths(SettingsStore& store);
  // Once the list is shown at its first size: the columns get their shares of its width
  // (or the widths kept from the last run).
  void FitColumnsOnce();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void SwitchMode(ItemListModel::Mode mode);
  void ApplyColumnWidths();
  int LeastColumnWidth(int column) const;
  void RememberColumnWidths();
  void RestoreNodeOrder();

  CommandRouter& m_router;
  CDORAzivazDoc* m_doc = nullptr;
  ItemListModel m_model;
  GroupNode* m_node = nullptr;
  int m_sortColumn = kUnsorted;
  int m_deviceSort = kUnsorted;
  bool m_widthsApplied = false;
  std::vector<int> m_savedItemWidths;
  std::vector<int> m_savedDeviceWidths;
};
