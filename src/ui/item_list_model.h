// ItemListModel: the rows of the main window's list: group items of a node, or the devices.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <mutex>
#include <vector>

class GroupItem;
struct DeviceRecord;

// Each row holds its record; the record knows its row (GroupItem::m_listRow and m_listView,
// DeviceRecord::row), which every change of the rows keeps current. Texts are made when the
// view paints a row, so a large node costs only its visible rows. Main thread only.
class ItemListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum class Mode { Items, Devices };

  // `tagLock` guards the values, qualities and time stamps that other threads change.
  explicit ItemListModel(std::recursive_mutex* tagLock = nullptr, QObject* parent = nullptr);
  void SetTagLock(std::recursive_mutex* tagLock) { m_tagLock = tagLock; }

  Mode GetMode() const { return m_mode; }
  // Switches the mode (the columns change) and empties the list.
  void SetMode(Mode mode);
  // Empties the list; every shown record's row becomes -1.
  void Clear();
  // Replaces the rows (the mode stays).
  void SetItems(std::vector<GroupItem*> items);
  void SetDevices(std::vector<DeviceRecord*> devices);
  // Appends one row.
  void AppendItem(GroupItem& item);
  // Inserts a row at `row` (clamped to the end); the rows after it move down.
  void InsertItem(GroupItem& item, int row);
  // Removes the item's row, if it has one here; the rows after it move up.
  void RemoveItem(GroupItem& item);
  void AppendDevice(DeviceRecord& device);
  void RemoveDevice(DeviceRecord& device);

  int Count() const;
  GroupItem* ItemAt(int row) const;
  DeviceRecord* DeviceAt(int row) const;
  const std::vector<GroupItem*>& Items() const { return m_items; }
  // Whether `item`'s row belongs to this list.
  bool Shows(const GroupItem& item) const;

  // Repaints columns [first, last] of a row.
  void RefreshRow(int row, int first, int last);
  // Orders the rows as `before(a, b)` says (stable); selections and the current row move
  // with their records.
  void SortItems(const std::function<bool(const GroupItem*, const GroupItem*)>& before);
  void SortDevices(const std::function<bool(const DeviceRecord*, const DeviceRecord*)>& before);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  template <class Record>
  void Permute(std::vector<Record*>& rows, const std::vector<int>& order);
  void Renumber();

  std::recursive_mutex* m_tagLock;
  Mode m_mode = Mode::Items;
  std::vector<GroupItem*> m_items;
  std::vector<DeviceRecord*> m_devices;
};
