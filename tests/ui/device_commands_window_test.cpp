// The device commands in the window on a document checking devices over the virtual bus: the
// address dialog's checks, the rows and overlays that the check results give, resets, deletion.
#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include "bus_window_fixture.h"
#include "devices/device_commands.h"
#include "project/device_record.h"
#include "ui/image_list.h"
#include "ui/list_texts.h"
#include "ui/menu_builder.h"

namespace {

using namespace std::chrono_literals;

class DeviceWindowTest : public BusWindowTest {
 protected:
  void SetUp() override {
    // 01.01.001 answers checks; every other device is silent and gives up after 20 ms.
    MakeBusWindow("devices=01.01.001;checktimeout=20");
    Select(doc->DevicesNode());
  }

  // Runs the add command and types `texts` one after the other, pressing OK after each, then
  // Cancel if the dialog is still open.
  void AddByDialog(std::vector<QString> texts, std::vector<QString>* shown = nullptr) {
    WhenModal<QDialog>([texts, shown](QDialog& dialog) {
      auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("edit1010"));
      ASSERT_TRUE(edit);
      for (const QString& text : texts) {
        edit->setText(text);
        ButtonOfRole(dialog, QDialogButtonBox::AcceptRole)->click();
        if (shown) shown->push_back(edit->text());
        if (!dialog.isVisible()) return;
      }
      ButtonOfRole(dialog, QDialogButtonBox::RejectRole)->click();
    });
    frame->RunCommand(kCmdAddDevice);
  }

  int DeviceRow(const std::string& address) {
    ItemListModel& model = frame->List().Model();
    for (int row = 0; row < model.Count(); ++row) {
      if (model.DeviceAt(row)->addressText == address) return row;
    }
    return -1;
  }

  void SelectDevices(const std::vector<std::string>& addresses) {
    ListView& list = frame->List();
    list.clearSelection();
    for (const std::string& address : addresses) {
      list.selectionModel()->select(list.model()->index(DeviceRow(address), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }

  // The overlay a device's row shows, by comparing its icon with the list's images.
  int RowOverlay(const std::string& address) {
    const QIcon icon = frame->List()
                           .model()
                           ->index(DeviceRow(address), kColDevice)
                           .data(Qt::DecorationRole)
                           .value<QIcon>();
    for (int overlay = 0; overlay <= 2; ++overlay) {
      if (icon.cacheKey() == ListImages().Icon(1, overlay).cacheKey()) return overlay;
    }
    return -1;
  }

  int NodeOverlay() {
    return TreeView::Overlay(*static_cast<QTreeWidgetItem*>(doc->DevicesNode().m_treeItem));
  }

  // Waits (running the window's events) until the device has `state`.
  bool Reaches(const std::string& address, std::int32_t state) {
    return QTest::qWaitFor(
        [&] {
          DeviceRecord* device = doc->Devices().Find(address);
          return device && device->state == state;
        },
        5000);
  }
};

TEST_F(DeviceWindowTest, AddressDialogRefusesBadAndDuplicateTextsAndPadsGoodOnes) {
  EXPECT_TRUE(frame->CommandEnabled(kCmdAddDevice));
  std::vector<QString> shown;
  AddByDialog({"1.1.5"}, &shown);
  EXPECT_EQ(shown, std::vector<QString>{"01.01.005"});
  ASSERT_EQ(frame->List().Model().Count(), 1);
  EXPECT_EQ(Cell(0, kColDevice), "01.01.005");
  EXPECT_EQ(Cell(0, kColDeviceState), "unknown");
  EXPECT_EQ(doc->Counters().devices, 1);
  EXPECT_TRUE(doc->IsModified());

  // A bad text stays as typed with message 157; the duplicate comes back padded with 154;
  // then a new address closes the dialog.
  shown.clear();
  AddByDialog({"1.1", "001.1.5", "16.1.5", "1.1.256", "1.01.05", "1.1.7"}, &shown);
  EXPECT_EQ(shown, (std::vector<QString>{"1.1", "001.1.5", "16.1.5", "1.1.256", "01.01.005",
                                         "01.01.007"}));
  EXPECT_EQ(prompt.asked, (std::vector<unsigned>{157, 157, 157, 157, 154}));
  EXPECT_EQ(frame->List().Model().Count(), 2);
  EXPECT_GE(DeviceRow("01.01.007"), 0);

  // Cancel adds nothing.
  AddByDialog({"1.1"});
  EXPECT_EQ(frame->List().Model().Count(), 2);
  EXPECT_EQ(doc->Counters().devices, 2);
  prompt.asked.clear();

  // Edit takes one row; the edited device starts again as unknown under its new address,
  // which may also be its own.
  SelectDevices({"01.01.005", "01.01.007"});
  auto menu = frame->List().ContextMenu(DeviceRow("01.01.005"), 0);
  ASSERT_TRUE(menu);
  EXPECT_FALSE(FindCommandAction(*menu, kCmdEditDevice)->isEnabled());
  SelectDevices({"01.01.007"});
  doc->Devices().Find("01.01.007")->state = kDeviceStateGood;
  shown.clear();
  WhenModal<QDialog>([&shown](QDialog& dialog) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("edit1010"));
    shown.push_back(edit->text());  // filled with the device's address
    edit->setText("1.1.5");         // another device's
    ButtonOfRole(dialog, QDialogButtonBox::AcceptRole)->click();
    edit->setText("2.3.4");
    ButtonOfRole(dialog, QDialogButtonBox::AcceptRole)->click();
  });
  menu = frame->List().ContextMenu(DeviceRow("01.01.007"), 0);
  ASSERT_TRUE(FindCommandAction(*menu, kCmdEditDevice)->isEnabled());
  FindCommandAction(*menu, kCmdEditDevice)->trigger();
  EXPECT_EQ(shown, std::vector<QString>{"01.01.007"});
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{154});
  ASSERT_GE(DeviceRow("02.03.004"), 0);
  EXPECT_EQ(Cell(DeviceRow("02.03.004"), kColDeviceState), "unknown");
  EXPECT_EQ(RowOverlay("02.03.004"), 1);
}

TEST_F(DeviceWindowTest, FailedDeviceShowsItsOverlayUntilReset) {
  AddByDialog({"1.1.2"});  // silent
  AddByDialog({"1.1.1"});  // answers
  EXPECT_EQ(RowOverlay("01.01.002"), 1);
  EXPECT_EQ(NodeOverlay(), 0);

  // A round every 15 s: its first check, of the first device, fails twice (the retry comes at
  // once) and shows the failure.
  frame->RunCommand(kCmdCheckInterval15);
  ASSERT_TRUE(Reaches("01.01.002", kDeviceStateFailed));
  QApplication::processEvents();
  EXPECT_EQ(Cell(DeviceRow("01.01.002"), kColDeviceState), "failure");
  EXPECT_EQ(Cell(DeviceRow("01.01.002"), kColDeviceTime).size(), 8);  // hh:mm:ss
  EXPECT_EQ(RowOverlay("01.01.002"), 2);
  EXPECT_EQ(NodeOverlay(), 2);

  // Checked now, the answering device turns good; the node keeps its mark for the other one.
  SelectDevices({"01.01.001"});
  frame->RunCommand(kCmdCheckDevicesNow);
  ASSERT_TRUE(Reaches("01.01.001", kDeviceStateGood));
  QApplication::processEvents();
  EXPECT_EQ(Cell(DeviceRow("01.01.001"), kColDeviceState), "good");
  EXPECT_EQ(RowOverlay("01.01.001"), 0);
  EXPECT_EQ(NodeOverlay(), 2);

  // Reset of the failed device clears both marks.
  SelectDevices({"01.01.002"});
  frame->RunCommand(kCmdResetDevices);
  EXPECT_EQ(Cell(DeviceRow("01.01.002"), kColDeviceState), "unknown");
  EXPECT_EQ(Cell(DeviceRow("01.01.002"), kColDeviceTime), "");
  EXPECT_EQ(RowOverlay("01.01.002"), 1);
  EXPECT_EQ(NodeOverlay(), 0);

  // Failed again, then reset all: every device unknown, no mark.
  frame->RunCommand(kCmdCheckDevicesNow);
  ASSERT_TRUE(Reaches("01.01.002", kDeviceStateFailed));
  QApplication::processEvents();
  EXPECT_EQ(NodeOverlay(), 2);
  frame->RunCommand(kCmdResetAllDevices);
  EXPECT_EQ(RowOverlay("01.01.001"), 1);
  EXPECT_EQ(RowOverlay("01.01.002"), 1);
  EXPECT_EQ(NodeOverlay(), 0);

  // Deleting both asks once (202); No keeps them, Yes takes them away.
  SelectDevices({"01.01.001", "01.01.002"});
  prompt.asked.clear();
  prompt.answers = {PromptAnswer::No, PromptAnswer::Yes};
  frame->RunCommand(kCmdDeleteDevices);
  EXPECT_EQ(frame->List().Model().Count(), 2);
  frame->RunCommand(kCmdDeleteDevices);
  EXPECT_EQ(prompt.asked, (std::vector<unsigned>{kStrDeleteDevices, kStrDeleteDevices}));
  EXPECT_EQ(frame->List().Model().Count(), 0);
  EXPECT_EQ(doc->Devices().Size(), 0u);
}

}  // namespace
