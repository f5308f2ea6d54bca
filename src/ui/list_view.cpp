// ListView: showing a node, sorting and restoring, row refreshes and the list's context menus.
#include "ui/list_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QScrollBar>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <mutex>

#include "devices/device_commands.h"
#include "platform/current_language.h"
#include "platform/language_resources.h"
#include "platform/settings_store.h"
#include "project/dorazivaz_doc.h"
#include "project/eis_type_command.h"
#include "project/group_address_entry.h"
#include "project/group_node.h"
#include "project/item_commands.h"
#include "project/item_type_menu.h"
#include "project/link_commands.h"
#include "ui/command_router.h"
#include "ui/list_texts.h"
#include "ui/menu_builder.h"
#include "ui/window_settings.h"
#include "ui/write_value_command.h"

namespace {

constexpr unsigned kContextMenus = 142;
constexpr std::size_t kTypeMenu = 0;
constexpr std::size_t kItemMenu = 1;
constexpr std::size_t kPriorityMenu = 3;
constexpr std::size_t kDeviceMenu = 6;
constexpr std::size_t kLinksMenu = 7;
constexpr std::size_t kTypeMenuSeparator = 19;

// Shares of the width by which names, type names, qualities and times fit at the default
// window size.
constexpr int kItemWidthPercent[kItemColumnCount] = {10, 24, 19, 10, 9, 11, 7, 10};
constexpr int kDeviceWidthPercent[kDeviceColumnCount] = {20, 20, 20};

// Addresses: the shorter text first, texts of equal length byte by byte (1/2/3 before 1/2/10).
bool AddressBefore(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

bool TextBeforeNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

const char* WidthsName(ItemListModel::Mode mode) {
  return mode == ItemListModel::Mode::Items ? "ListColumnWidths" : "DeviceColumnWidths";
}

}  // namespace

ListView::ListView(CommandRouter& router, QWidget* parent) : QTreeView(parent), m_router(router) {
  setModel(&m_model);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSortingEnabled(false);
  header()->setSectionsMovable(true);
  header()->setSectionsClickable(true);
  header()->setStretchLastSection(false);
  connect(header(), &QHeaderView::sectionClicked, this, &ListView::OnColumnClick);
}

void ListView::SetDocument(CDORAzivazDoc* doc) {
  m_doc = doc;
  m_model.SetTagLock(doc ? &doc->TagLock() : nullptr);
}

void ListView::Empty() {
  if (m_model.GetMode() == ItemListModel::Mode::Devices && m_doc) {
    std::lock_guard deviceListLock(m_doc->DeviceListLock());
    m_model.Clear();
    return;
  }
  m_model.Clear();
}

void ListView::SwitchMode(ItemListModel::Mode mode) {
  if (m_model.GetMode() == mode) return;
  RememberColumnWidths();
  Empty();
  m_model.SetMode(mode);
  ApplyColumnWidths();
}

void ListView::ShowNode(GroupNode* node) {
  m_node = node;
  // The project root shows nothing.
  if (!node || (!node->m_parent && !node->m_deviceNode)) {
    Empty();
    return;
  }
  if (node->m_deviceNode) {
    SwitchMode(ItemListModel::Mode::Devices);
    std::vector<DeviceRecord*> devices;
    if (m_doc) {
      std::lock_guard deviceListLock(m_doc->DeviceListLock());
      DeviceList& list = m_doc->Devices();
      devices.reserve(list.Size());
      for (std::size_t i = 0; i < list.Size(); ++i) devices.push_back(&list.At(i));
      m_model.SetDevices(std::move(devices));
    }
  } else {
    SwitchMode(ItemListModel::Mode::Items);
    std::vector<GroupItem*> items;
    items.reserve(node->m_items.size());
    for (const auto& item : node->m_items) items.push_back(item.get());
    m_model.SetItems(std::move(items));
  }
  SortList();
}

void ListView::OnColumnClick(int column) {
  if (m_model.GetMode() == ItemListModel::Mode::Items) {
    if (column != kColAddress && column != kColName && column != kColType && column != kColPriority)
      return;
    m_sortColumn = m_sortColumn == column ? kRestoreOrder : column;
  } else {
    if (column != kColDevice) return;
    m_deviceSort = m_deviceSort == 0 ? kRestoreOrder : 0;
  }
  SortList();
}

void ListView::SortList() {
  if (m_model.GetMode() == ItemListModel::Mode::Devices) {
    if (m_deviceSort == 0) {
      m_model.SortDevices([](const DeviceRecord* a, const DeviceRecord* b) {
        return AddressBefore(a->addressText, b->addressText);
      });
    } else if (m_deviceSort == kRestoreOrder) {
      m_deviceSort = kUnsorted;
      ShowNode(m_node);
    }
    return;
  }
  switch (m_sortColumn) {
    case kColAddress:
      m_model.SortItems([](const GroupItem* a, const GroupItem* b) {
        return AddressBefore(a->m_addressText, b->m_addressText);
      });
      break;
    case kColName:
    case kColType:
    case kColPriority: {
      const int column = m_sortColumn;
      m_model.SortItems([column](const GroupItem* a, const GroupItem* b) {
        return TextBeforeNoCase(ItemColumnText(*a, column), ItemColumnText(*b, column));
      });
      break;
    }
    case kRestoreOrder:
      if (m_node && m_node->m_parent && !m_node->m_deviceNode) RestoreNodeOrder();
      break;
    default:
      break;
  }
}

void ListView::RestoreNodeOrder() {
  for (GroupItem* item : SelectedItems()) item->m_shown = 1;
  const int count = m_model.Count();
  const int top = std::max(0, indexAt(QPoint(0, 0)).row());
  const int rowHeight = std::max(1, sizeHintForRow(0));
  const int perPage = std::max(1, viewport()->height() / rowHeight);
  const int bottom = std::min(top + perPage - 1, count - 1);

  std::vector<GroupItem*> items;
  items.reserve(m_node->m_items.size());
  for (const auto& item : m_node->m_items) items.push_back(item.get());
  m_model.SetItems(items);

  QItemSelection selection;
  for (GroupItem* item : items) {
    if (!item->m_shown) continue;
    item->m_shown = 0;
    const QModelIndex first = m_model.index(item->m_listRow, 0);
    selection.select(first, m_model.index(item->m_listRow, m_model.columnCount() - 1));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (bottom >= 0) scrollTo(m_model.index(bottom, 0));
  m_sortColumn = kUnsorted;
}

void ListView::RefreshItemRow(GroupItem& item) {
  if (m_model.Shows(item)) m_model.RefreshRow(item.m_listRow, kColValue, kColTime);
}

void ListView::RefreshWholeRow(GroupItem& item) {
  if (m_model.Shows(item)) m_model.RefreshRow(item.m_listRow, 0, kItemColumnCount - 1);
}

void ListView::ItemAdded(GroupItem& item) {
  if (m_model.GetMode() != ItemListModel::Mode::Items || !m_node || item.m_parent != m_node) return;
  const auto& items = m_node->m_items;
  int index = 0;
  while (index < static_cast<int>(items.size()) && items[index].get() != &item) ++index;
  m_model.InsertItem(item, index);
  if (m_sortColumn >= 0) SortList();
}

void ListView::ItemRemoving(GroupItem& item) {
  m_model.RemoveItem(item);
}

void ListView::DeviceAdded(DeviceRecord& device) {
  if (m_model.GetMode() == ItemListModel::Mode::Devices) m_model.AppendDevice(device);
}

void ListView::DeviceRemoving(DeviceRecord& device) {
  if (m_model.GetMode() == ItemListModel::Mode::Devices) m_model.RemoveDevice(device);
}

void ListView::DeviceChanged(DeviceRecord& device) {
  if (m_model.GetMode() != ItemListModel::Mode::Devices || device.row < 0) return;
  m_model.RefreshRow(device.row, 0, kDeviceColumnCount - 1);
  SortList();
}

std::vector<GroupItem*> ListView::SelectedItems() const {
  std::vector<GroupItem*> items;
  if (m_model.GetMode() != ItemListModel::Mode::Items) return items;
  QModelIndexList rows = selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& index : rows) {
    if (GroupItem* item = m_model.ItemAt(index.row())) items.push_back(item);
  }
  return items;
}

bool ListView::HasSelectedItems() const {
  return m_model.GetMode() == ItemListModel::Mode::Items && selectionModel()->hasSelection();
}

std::vector<DeviceRecord*> ListView::SelectedDevices() const {
  std::vector<DeviceRecord*> devices;
  if (m_model.GetMode() != ItemListModel::Mode::Devices) return devices;
  QModelIndexList rows = selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& index : rows) {
    if (DeviceRecord* device = m_model.DeviceAt(index.row())) devices.push_back(device);
  }
  return devices;
}

std::unique_ptr<QMenu> ListView::ContextMenu(int row, int column) {
  const Menu* menu = Language()->FindMenu(kContextMenus);
  if (!menu || row < 0 || row >= m_model.Count()) return nullptr;
  MenuRules rules;
  if (m_model.GetMode() == ItemListModel::Mode::Devices) {
    if (SelectedDevices().size() > 1) rules.disabled.insert(kCmdEditDevice);
    return BuildContextMenu(*menu, kDeviceMenu, rules, m_router, this);
  }
  GroupItem* clicked = m_model.ItemAt(row);
  const std::vector<GroupItem*> items = SelectedItems();
  if (!clicked || items.empty()) return nullptr;
  switch (column) {
    case kColType: {
      const ItemTypeMenu choice = ChooseItemTypeMenu(*clicked, items);
      rules.keep = [choice](std::size_t position, const MenuEntry& entry) {
        if (choice.mixed && (position == kTypeMenuSeparator || entry.id == kCmdTypeUntyped))
          return false;
        if (entry.kind != MenuEntry::Kind::Item || !EisTypeCommand(entry.id)) return true;
        return std::find(choice.offered.begin(), choice.offered.end(), entry.id) !=
               choice.offered.end();
      };
      if (choice.checked) rules.checked.insert(choice.checked);
      return BuildContextMenu(*menu, kTypeMenu, rules, m_router, this);
    }
    case kColPriority:
      if (const std::uint32_t checked = CheckedPriorityCommand(items))
        rules.checked.insert(checked);
      return BuildContextMenu(*menu, kPriorityMenu, rules, m_router, this);
    case kColLinks: {
      const bool anyLinks = std::any_of(items.begin(), items.end(), [](const GroupItem* i) {
        return !i->m_linkedAddresses.empty();
      });
      if (items.size() > 1) rules.disabled.insert(kCmdEditLinks);
      if (!anyLinks) rules.disabled.insert(kCmdDeleteLinks);
      return BuildContextMenu(*menu, kLinksMenu, rules, m_router, this);
    }
    default:
      if (items.size() > 1) {
        rules.disabled.insert(kCmdItemProperties);
        rules.disabled.insert(kCmdWriteValue);
      }
      if (AllReadAtStart(items)) rules.checked.insert(kCmdInitialRead);
      return BuildContextMenu(*menu, kItemMenu, rules, m_router, this);
  }
}

void ListView::contextMenuEvent(QContextMenuEvent* event) {
  const bool byKey = event->reason() == QContextMenuEvent::Keyboard;
  const QModelIndex index = byKey ? currentIndex() : indexAt(event->pos());
  if (!index.isValid()) return;
  if (!selectionModel()->isRowSelected(index.row(), {})) {
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  std::unique_ptr<QMenu> menu = ContextMenu(index.row(), index.column());
  if (!menu) return;
  const QPoint at =
      byKey ? viewport()->mapToGlobal(visualRect(index).center()) : event->globalPos();
  menu->exec(at);
}

void ListView::ApplyColumnWidths() {
  const bool items = m_model.GetMode() == ItemListModel::Mode::Items;
  const std::vector<int>& saved = items ? m_savedItemWidths : m_savedDeviceWidths;
  const int count = items ? kItemColumnCount : kDeviceColumnCount;
  const int width = viewport()->width();
  for (int column = 0; column < count; ++column) {
    if (static_cast<int>(saved.size()) == count && saved[column] > 0) {
      header()->resizeSection(column, saved[column]);
    } else {
      const int percent = items ? kItemWidthPercent[column] : kDeviceWidthPercent[column];
      header()->resizeSection(column, std::max(LeastColumnWidth(column), width * percent / 100));
    }
  }
  m_widthsApplied = isVisible();
}

// A share never truncates the column's heading, nor an item's time (hh:mm:ss.mmm).
int ListView::LeastColumnWidth(int column) const {
  int least = header()->sectionSizeHint(column);
  if (m_model.GetMode() == ItemListModel::Mode::Items && column == kColTime) {
    least = std::max(least, fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")) + 12);
  }
  return std::max(1, least);
}

void ListView::FitColumnsOnce() {
  if (!m_widthsApplied) ApplyColumnWidths();
}

void ListView::RememberColumnWidths() {
  // Before the list was ever shown its columns have no widths of the user's yet.
  if (!m_widthsApplied) return;
  std::vector<int>& widths =
      m_model.GetMode() == ItemListModel::Mode::Items ? m_savedItemWidths : m_savedDeviceWidths;
  widths.clear();
  for (int column = 0; column < m_model.columnCount(); ++column)
    widths.push_back(header()->sectionSize(column));
}

void ListView::SaveColumnWidths(SettingsStore& store) {
  RememberColumnWidths();
  for (const auto mode : {ItemListModel::Mode::Items, ItemListModel::Mode::Devices}) {
    const std::vector<int>& widths =
        mode == ItemListModel::Mode::Items ? m_savedItemWidths : m_savedDeviceWidths;
    if (widths.empty()) continue;
    QStringList texts;
    for (int width : widths) texts << QString::number(width);
    store.SetText(kWindowKey, WidthsName(mode), texts.join(',').toStdString());
  }
}

void ListView::RestoreColumnWidths(SettingsStore& store) {
  for (const auto mode : {ItemListModel::Mode::Items, ItemListModel::Mode::Devices}) {
    std::vector<int>& widths =
        mode == ItemListModel::Mode::Items ? m_savedItemWidths : m_savedDeviceWidths;
    widths.clear();
    const auto text = store.GetText(kWindowKey, WidthsName(mode));
    if (!text) continue;
    for (const QString& part : QString::fromStdString(*text).split(',')) {
      widths.push_back(part.toInt());
    }
  }
  ApplyColumnWidths();
}
