// ItemListModel: rows, texts, images and the reordering of the list.
#include "ui/item_list_model.h"

#include <algorithm>
#include <numeric>

#include "devices/device_row_texts.h"
#include "project/device_record.h"
#include "project/group_item.h"
#include "ui/ansi_text.h"
#include "ui/image_list.h"
#include "ui/list_texts.h"

namespace {

// Column headings (string table) by mode.
constexpr unsigned kItemHeadings[kItemColumnCount] = {178, 179, 180, 181, 182, 165, 169, 200};
constexpr unsigned kDeviceHeadings[kDeviceColumnCount] = {183, 184, 165};

}  // namespace

ItemListModel::ItemListModel(std::recursive_mutex* tagLock, QObject* parent)
    : QAbstractTableModel(parent), m_tagLock(tagLock) {}

void ItemListModel::SetMode(Mode mode) {
  beginResetModel();
  for (GroupItem* item : m_items) item->m_listRow = -1;
  for (DeviceRecord* device : m_devices) device->row = -1;
  m_items.clear();
  m_devices.clear();
  m_mode = mode;
  endResetModel();
}

void ItemListModel::Clear() {
  SetMode(m_mode);
}

void ItemListModel::SetItems(std::vector<GroupItem*> items) {
  beginResetModel();
  for (GroupItem* item : m_items) item->m_listRow = -1;
  m_items = std::move(items);
  Renumber();
  endResetModel();
}

void ItemListModel::SetDevices(std::vector<DeviceRecord*> devices) {
  beginResetModel();
  for (DeviceRecord* device : m_devices) device->row = -1;
  m_devices = std::move(devices);
  Renumber();
  endResetModel();
}

void ItemListModel::AppendItem(GroupItem& item) {
  InsertItem(item, static_cast<int>(m_items.size()));
}

void ItemListModel::InsertItem(GroupItem& item, int row) {
  row = std::clamp(row, 0, static_cast<int>(m_items.size()));
  beginInsertRows({}, row, row);
  m_items.insert(m_items.begin() + row, &item);
  Renumber();
  endInsertRows();
}

void ItemListModel::RemoveItem(GroupItem& item) {
  const auto it = std::find(m_items.begin(), m_items.end(), &item);
  if (it == m_items.end()) return;
  const int row = static_cast<int>(it - m_items.begin());
  beginRemoveRows({}, row, row);
  m_items.erase(it);
  item.m_listRow = -1;
  item.m_listView = nullptr;
  Renumber();
  endRemoveRows();
}

void ItemListModel::AppendDevice(DeviceRecord& device) {
  const int row = static_cast<int>(m_devices.size());
  beginInsertRows({}, row, row);
  m_devices.push_back(&device);
  device.row = row;
  endInsertRows();
}

void ItemListModel::RemoveDevice(DeviceRecord& device) {
  const auto it = std::find(m_devices.begin(), m_devices.end(), &device);
  if (it == m_devices.end()) return;
  const int row = static_cast<int>(it - m_devices.begin());
  beginRemoveRows({}, row, row);
  m_devices.erase(it);
  device.row = -1;
  for (int r = row; r < static_cast<int>(m_devices.size()); ++r) m_devices[r]->row = r;
  endRemoveRows();
}

int ItemListModel::Count() const {
  return static_cast<int>(m_mode == Mode::Items ? m_items.size() : m_devices.size());
}

GroupItem* ItemListModel::ItemAt(int row) const {
  if (m_mode != Mode::Items || row < 0 || row >= static_cast<int>(m_items.size())) return nullptr;
  return m_items[row];
}

DeviceRecord* ItemListModel::DeviceAt(int row) const {
  if (m_mode != Mode::Devices || row < 0 || row >= static_cast<int>(m_devices.size()))
    return nullptr;
  return m_devices[row];
}

bool ItemListModel::Shows(const GroupItem& item) const {
  return m_mode == Mode::Items && item.m_listView == this && item.m_listRow >= 0 &&
         item.m_listRow < static_cast<int>(m_items.size()) && m_items[item.m_listRow] == &item;
}

void ItemListModel::RefreshRow(int row, int first, int last) {
  if (row < 0 || row >= Count()) return;
  emit dataChanged(index(row, first), index(row, last));
}

template <class Record>
void ItemListModel::Permute(std::vector<Record*>& rows, const std::vector<int>& order) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> newRowOf(order.size());
  std::vector<Record*> sorted(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted[i] = rows[order[i]];
    newRowOf[order[i]] = static_cast<int>(i);
  }
  rows = std::move(sorted);
  const QModelIndexList persistent = persistentIndexList();
  QModelIndexList moved;
  moved.reserve(persistent.size());
  for (const QModelIndex& old : persistent)
    moved.push_back(index(newRowOf[old.row()], old.column()));
  changePersistentIndexList(persistent, moved);
  Renumber();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ItemListModel::SortItems(
    const std::function<bool(const GroupItem*, const GroupItem*)>& before) {
  std::vector<int> order(m_items.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return before(m_items[a], m_items[b]); });
  Permute(m_items, order);
}

void ItemListModel::SortDevices(
    const std::function<bool(const DeviceRecord*, const DeviceRecord*)>& before) {
  std::vector<int> order(m_devices.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return before(m_devices[a], m_devices[b]); });
  Permute(m_devices, order);
}

void ItemListModel::Renumber() {
  for (std::size_t r = 0; r < m_items.size(); ++r) {
    m_items[r]->m_listRow = static_cast<int>(r);
    m_items[r]->m_listView = this;
  }
  for (std::size_t r = 0; r < m_devices.size(); ++r) m_devices[r]->row = static_cast<int>(r);
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return m_mode == Mode::Items ? kItemColumnCount : kDeviceColumnCount;
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int column = index.column();
  if (GroupItem* item = ItemAt(index.row())) {
    if (role == Qt::DisplayRole) {
      const bool live = column == kColValue || column == kColQuality || column == kColTime;
      if (live && m_tagLock) {
        std::lock_guard tagLock(*m_tagLock);
        return FromAnsi(ItemColumnText(*item, column));
      }
      return FromAnsi(ItemColumnText(*item, column));
    }
    if (role == Qt::DecorationRole && column == kColAddress)
      return ListImages().Icon(ItemImage(*item), ItemOverlay(*item));
    return {};
  }
  if (DeviceRecord* device = DeviceAt(index.row())) {
    if (role == Qt::DisplayRole) {
      switch (column) {
        case kColDevice:
          return FromAnsi(device->addressText);
        case kColDeviceState:
          return QString::fromLatin1(DeviceStateText(device->state));
        case kColDeviceTime:
          return FromAnsi(DeviceTimeText(*device));
        default:
          return {};
      }
    }
    if (role == Qt::DecorationRole && column == kColDevice)
      return ListImages().Icon(1, DeviceStateOverlay(device->state));
  }
  return {};
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0) return {};
  if (m_mode == Mode::Items)
    return section < kItemColumnCount ? LanguageString(kItemHeadings[section]) : QVariant();
  return section < kDeviceColumnCount ? LanguageString(kDeviceHeadings[section]) : QVariant();
}
