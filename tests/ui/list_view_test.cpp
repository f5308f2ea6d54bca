// Tests of the tree and the list: columns, texts, images, showing nodes, sorting and refreshes.
#include <QHeaderView>
#include <QScrollBar>
#include <QToolBar>
#include <mutex>

#include "platform/clock.h"
#include "project/change_item_type.h"
#include "project/group_item.h"
#include "ui/image_list.h"
#include "ui/list_texts.h"
#include "window_fixture.h"

namespace {

TEST_F(WindowTest, ListShowsTheColumnTableOfItemsAndDevices) {
  MakeWindow();
  ImportDemo();
  Select(Group(1, 4));
  ListView& list = frame->List();
  ASSERT_EQ(list.Model().GetMode(), ItemListModel::Mode::Items);
  ASSERT_EQ(list.model()->columnCount(), 8);
  const unsigned headings[] = {178, 179, 180, 181, 182, 165, 169, 200};
  for (int column = 0; column < 8; ++column) {
    EXPECT_EQ(list.model()->headerData(column, Qt::Horizontal).toString().toStdString(),
              Language()->String(headings[column]));
  }
  // Widths are shares of the list's width (10 24 19 10 9 11 7 10 percent), but no heading is
  // cut short, nor a time.
  EXPECT_NEAR(list.header()->sectionSize(1) / 24.0, list.header()->sectionSize(2) / 19.0, 1.0);
  EXPECT_NEAR(list.header()->sectionSize(1) / 24.0, list.header()->sectionSize(3) / 10.0, 1.0);
  for (int column = 0; column < 8; ++column)
    EXPECT_GE(list.header()->sectionSize(column), list.header()->sectionSizeHint(column)) << column;
  EXPECT_GE(list.header()->sectionSize(kColTime),
            list.fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")));

  const int row = Row("1/4/1");
  ASSERT_GE(row, 0);
  GroupItem* item = list.Model().ItemAt(row);
  EXPECT_EQ(item->m_listRow, row);
  EXPECT_EQ(Cell(row, 0), "1/4/1");
  EXPECT_EQ(Cell(row, 1), "Living room temperature (\u00B0C)");
  EXPECT_EQ(Cell(row, 2), "EIS 5 'Value' (2 Byte)");
  EXPECT_EQ(Cell(row, 3), "");  // no value yet
  EXPECT_EQ(Cell(row, 6), PriorityText(item->m_priority));
  {
    std::lock_guard tagLock(doc->TagLock());
    item->m_value = Variant::R4(21.5f);
    item->m_priority = kPriorityHigh;
    item->m_linkedAddresses = {"1/4/2", "3/0/3"};
    SystemTime time;
    time.year = 2026;
    time.month = 3;
    time.day = 4;
    time.hour = 7;
    time.minute = 5;
    time.second = 9;
    time.milliseconds = 42;
    item->m_timestamp = SystemTimeToFileTime(time);
  }
  frame->RefreshItemRow(*item);
  EXPECT_EQ(Cell(row, 3), "21.5000");
  EXPECT_EQ(Cell(row, 5), "07:05:09.042");
  EXPECT_EQ(Cell(row, 6), "High");
  EXPECT_EQ(Cell(row, 7), "1/4/2 3/0/3 ");

  struct QualityCase {
    std::uint16_t quality;
    const char* text;
  };
  for (const QualityCase& c : {QualityCase{0xC0, "GOOD "}, QualityCase{0x40, "UNCERTAIN "},
                               QualityCase{0x00, "BAD "}, QualityCase{0x80, "UNKNOWN??"}}) {
    item->m_quality = c.quality;
    frame->RefreshItemRow(*item);
    EXPECT_EQ(Cell(row, 4), c.text) << c.quality;
  }

  // The devices node switches to the device columns and lists the project's devices.
  Select(doc->DevicesNode());
  ASSERT_EQ(list.Model().GetMode(), ItemListModel::Mode::Devices);
  ASSERT_EQ(list.model()->columnCount(), 3);
  EXPECT_EQ(list.model()->headerData(0, Qt::Horizontal).toString().toStdString(),
            Language()->String(183));
  EXPECT_EQ(list.Model().Count(), static_cast<int>(doc->Devices().Size()));
  EXPECT_EQ(Cell(0, 0).toStdString(), doc->Devices().At(0).addressText);
  EXPECT_EQ(Cell(0, 1), "unknown");
  EXPECT_EQ(item->m_listRow, -1);  // the item's row went with the item list

  // The project root shows nothing.
  Select(doc->Root());
  EXPECT_EQ(list.Model().Count(), 0);
  EXPECT_EQ(doc->Devices().At(0).row, -1);
}

TEST_F(WindowTest, TreeAndListChooseImagesAndOverlays) {
  MakeWindow();
  ImportDemo();
  auto entry = [](GroupNode& node) { return static_cast<QTreeWidgetItem*>(node.m_treeItem); };
  ASSERT_TRUE(entry(doc->Root()));
  EXPECT_EQ(TreeView::Image(*entry(doc->Root())), 0);
  EXPECT_EQ(TreeView::Image(*entry(Group(1))), 1);
  EXPECT_EQ(TreeView::Image(*entry(Group(1, 4))), 2);
  EXPECT_EQ(TreeView::Image(*entry(doc->DevicesNode())), 3);
  // An untyped item marks its middle group, main group and the root with overlay 1.
  EXPECT_EQ(TreeView::Overlay(*entry(Group(1, 4))), 0);
  GroupItem& retyped = *Group(1, 4).m_items.front();
  ChangeItemType(retyped, 0, 0, frame.get());
  EXPECT_EQ(TreeView::Overlay(*entry(Group(1, 4))), 1);
  EXPECT_EQ(TreeView::Overlay(*entry(Group(1))), 1);
  EXPECT_EQ(TreeView::Overlay(*entry(doc->Root())), 1);
  EXPECT_EQ(TreeView::Overlay(*entry(Group(1, 1))), 0);
  ChangeItemType(retyped, 5, 0, frame.get());
  EXPECT_EQ(TreeView::Overlay(*entry(Group(1, 4))), 0);
  EXPECT_EQ(TreeView::Overlay(*entry(Group(1))), 0);

  frame->ShowDevicesFailed(true);
  EXPECT_EQ(TreeView::Overlay(*entry(doc->DevicesNode())), 2);
  frame->ShowDevicesFailed(false);
  EXPECT_EQ(TreeView::Overlay(*entry(doc->DevicesNode())), 0);

  Select(Group(4, 1));
  GroupItem* untyped = frame->List().Model().ItemAt(Row("4/1/4"));
  GroupItem* typed = frame->List().Model().ItemAt(Row("4/1/1"));
  EXPECT_EQ(ItemImage(*typed), 0);
  EXPECT_EQ(ItemOverlay(*typed), 0);
  EXPECT_EQ(ItemOverlay(*untyped), 1);
  typed->m_initialRead = 1;
  EXPECT_EQ(ItemImage(*typed), 4);
  // The icon drawn for a row is the list image with its overlay.
  const QIcon shown =
      frame->List().model()->index(Row("4/1/4"), 0).data(Qt::DecorationRole).value<QIcon>();
  EXPECT_EQ(shown.cacheKey(), ListImages().Icon(0, 1).cacheKey());
  EXPECT_FALSE(ListImages().Icon(0, 1).pixmap(16, 16).isNull());
}

TEST_F(WindowTest, AddressOrderPutsShorterTextsFirst) {
  MakeWindow();
  ImportDemo();
  GroupNode& node = Group(1, 1);
  Select(node);
  // Extra items whose plain text order differs from the address order.
  for (const char* address : {"1/1/10", "1/1/9", "1/1/100"}) {
    auto item = CreateGroupItem(address, "extra", "EIS 1 'Switching' (1 Bit)", kPriorityLow, node,
                                doc.get());
    frame->ItemAdded(node.AppendItem(std::move(item)));
  }
  frame->List().OnColumnClick(kColAddress);
  std::vector<std::string> shown;
  for (int row = 0; row < frame->List().Model().Count(); ++row)
    shown.push_back(Cell(row, 0).toStdString());
  EXPECT_EQ(shown,
            (std::vector<std::string>{"1/1/1", "1/1/2", "1/1/3", "1/1/9", "1/1/10", "1/1/100"}));
  for (int row = 0; row < frame->List().Model().Count(); ++row)
    EXPECT_EQ(frame->List().Model().ItemAt(row)->m_listRow, row);
}

TEST_F(WindowTest, NameSortAndRestoreKeepSelectionAndBottomRow) {
  MakeWindow();
  ImportDemo();
  // A group with more rows than the list shows at once, named against their order.
  GroupNode& node = Group(1, 1);
  for (int sub = 4; sub <= 200; ++sub) {
    auto item = CreateGroupItem("1/1/" + std::to_string(sub), "Name " + std::to_string(1000 - sub),
                                "EIS 1 'Switching' (1 Bit)", kPriorityLow, node, doc.get());
    node.AppendItem(std::move(item));
  }
  Select(node);
  ListView& list = frame->List();
  ASSERT_EQ(list.Model().Count(), 200);
  list.scrollTo(list.model()->index(100, 0), QAbstractItemView::PositionAtTop);
  QApplication::processEvents();
  const int top = list.indexAt(QPoint(0, 0)).row();
  const int perPage = list.viewport()->height() / list.sizeHintForRow(0);
  const int bottom = top + perPage - 1;
  SelectRows({"1/1/5", "1/1/150"});

  list.OnColumnClick(kColName);  // by name, without regard to case: "Kitchen worktop" first
  EXPECT_EQ(list.SortColumn(), kColName);
  EXPECT_EQ(Cell(0, 0), "1/1/3");
  EXPECT_EQ(Cell(3, 1), "Name 800");
  std::vector<std::string> selected;
  for (GroupItem* item : list.SelectedItems()) selected.push_back(item->m_addressText);
  EXPECT_EQ(selected, (std::vector<std::string>{"1/1/150", "1/1/5"}));

  list.OnColumnClick(kColName);  // the same column again: the node's order comes back
  EXPECT_EQ(list.SortColumn(), ListView::kUnsorted);
  for (int row = 0; row < list.Model().Count(); ++row)
    ASSERT_EQ(list.Model().ItemAt(row), node.m_items[row].get()) << row;
  selected.clear();
  for (GroupItem* item : list.SelectedItems()) selected.push_back(item->m_addressText);
  EXPECT_EQ(selected, (std::vector<std::string>{"1/1/5", "1/1/150"}));
  for (const auto& item : node.m_items) EXPECT_EQ(item->m_shown, 0);
  QApplication::processEvents();
  const QRect bottomRect = list.visualRect(list.model()->index(bottom, 0));
  EXPECT_TRUE(list.viewport()->rect().intersects(bottomRect)) << "row " << bottom;

  // Columns other than 0, 1, 2 and 6 do not sort.
  list.OnColumnClick(kColValue);
  EXPECT_EQ(list.SortColumn(), ListView::kUnsorted);
}

TEST_F(WindowTest, RowRefreshesRepaintOnlyTheirItemAndSkipHiddenItems) {
  MakeWindow();
  ImportDemo();
  Select(Group(1, 4));
  ListView& list = frame->List();
  int changes = 0;
  QObject::connect(list.model(), &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex& first, const QModelIndex& last) {
                     ++changes;
                     EXPECT_EQ(first.row(), last.row());
                     EXPECT_EQ(first.column(), kColValue);
                     EXPECT_EQ(last.column(), kColTime);
                   });
  frame->RefreshItemRow(*list.Model().ItemAt(0));
  EXPECT_EQ(changes, 1);
  // An item of another node is not shown: nothing to repaint.
  GroupItem& other = *Group(1, 1).m_items.front();
  EXPECT_EQ(other.m_listRow, -1);
  frame->RefreshItemRow(other);
  EXPECT_EQ(changes, 1);
}

TEST_F(WindowTest, StatusPaneCountsWaitingRequestsAndSimulationMarksTheToolbar) {
  MakeWindow();
  ImportDemo();
  EXPECT_EQ(frame->QueuePaneText(), "Requests waiting:      0");
  GroupItem& item = *Group(1, 4).m_items.front();
  BusRequest read;
  read.item = &item;
  doc->Requests().Add(read);
  doc->Requests().Add(read);
  frame->UpdateStatus();
  EXPECT_EQ(frame->QueuePaneText(), "Requests waiting:      2");
  doc->ClearRequests();

  // The link to the bus interface: shown as up or down at each status update.
  bool linkUp = true;
  frame->SetLinkState([&linkUp] { return linkUp; });
  EXPECT_TRUE(frame->LinkShownUp());
  linkUp = false;
  frame->UpdateStatus();
  EXPECT_FALSE(frame->LinkShownUp());
  frame->SetLinkState({});

  QAction* simulation = frame->Action(32867);
  ASSERT_TRUE(simulation);
  const qint64 off = simulation->icon().cacheKey();
  frame->ShowSimulationState(true);
  EXPECT_TRUE(simulation->isChecked());
  EXPECT_NE(simulation->icon().cacheKey(), off);
  frame->ShowSimulationState(false);
  EXPECT_FALSE(simulation->isChecked());
  // The toolbar shows the simulation entry at position 9, separators counted.
  EXPECT_EQ(frame->ToolBar().actions().at(9), simulation);
}

}  // namespace
