// Tests of the write-value command in the window: the dialog of the selected item, filled from
// its value, and the value that OK hands to the document's write and on to the bus.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "bus/bus_link.h"
#include "bus/group_value_codec.h"
#include "bus/request_scheduling.h"
#include "bus/row_refresh_queue.h"
#include "knx/bus_classes.h"
#include "knx/virtual_bus/virtual_bus.h"
#include "knx/virtual_bus/virtual_bus_interface.h"
#include "project/change_item_type.h"
#include "project/group_item.h"
#include "ui/list_texts.h"
#include "ui/menu_builder.h"
#include "ui/value_dialog.h"
#include "ui/write_value_command.h"
#include "window_fixture.h"

namespace {

// Runs the write-value command in the window and works its dialog.
class WriteValueWindowTest : public WindowTest {
 protected:
  GroupItem& ItemAt(const std::string& address) {
    const int row = Row(address);
    EXPECT_GE(row, 0) << address;
    return *frame->List().Model().ItemAt(row);
  }

  // Runs command 32776 on the row of `address`; `work` handles the dialog, which is then
  // closed with Cancel if `work` left it open. False when no dialog came up.
  bool WriteValue(const std::string& address, const std::function<void(ValueDialog&)>& work) {
    SelectRows({address});
    bool opened = false;
    QTimer::singleShot(0, frame.get(), [&] {
      auto* dialog = qobject_cast<ValueDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      opened = true;
      work(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    frame->RunCommand(kCmdWriteValue);
    QApplication::processEvents();
    return opened;
  }

  static void PressOk(ValueDialog& dialog) { QTest::mouseClick(dialog.Button(1), Qt::LeftButton); }
};

class WriteValueTest : public WriteValueWindowTest {
 protected:
  void SetUp() override {
    // The document's write is the scheduling's own, recorded on its way.
    seams.queueWrite = [this](CDORAzivazDoc& d, GroupItem& item, const Variant& value) {
      written.push_back(value);
      writtenItems.push_back(&item);
      return QueueWriteRequest(d, item, value, rows);
    };
    MakeWindow();
    rows.SetViews(frame.get());
    ImportDemo();
  }

  Variant BusData(GroupItem& item, const Variant& value) {
    return EncodeGroupValue(doc->TagLock(), item, value);
  }

  RowRefreshQueue rows{mainThread};
  std::vector<Variant> written;
  std::vector<GroupItem*> writtenItems;
};

TEST_F(WriteValueTest, OkWritesTheEnteredValueAsAClientWriteWould) {
  Select(Group(1, 1));
  GroupItem& lamp = ItemAt("1/1/1");  // EIS 1, no value yet
  ASSERT_TRUE(WriteValue("1/1/1", [](ValueDialog& dialog) {
    EXPECT_TRUE(dialog.Radio(1006)->isChecked());
    PressOk(dialog);
  }));
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(writtenItems[0], &lamp);
  EXPECT_EQ(written[0].vt(), VT_BOOL);
  EXPECT_EQ(written[0].boolVal(), VARIANT_TRUE);
  EXPECT_EQ(BusData(lamp, written[0]), Variant::UI1(1));
  // Queued for the bus worker like any client write.
  const std::vector<BusRequest> queued = doc->Requests().Snapshot();
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].kind, kRequestWrite);
  EXPECT_EQ(queued[0].item, &lamp);

  // Cancel sends nothing.
  ASSERT_TRUE(WriteValue("1/1/1", [](ValueDialog& dialog) { dialog.reject(); }));
  EXPECT_EQ(written.size(), 1u);
}

TEST_F(WriteValueTest, TwoByteFloatIsFilledLimitedAndSentAtItsLargestValue) {
  Select(Group(1, 4));
  GroupItem& temperature = ItemAt("1/4/1");  // EIS 5
  {
    std::lock_guard tagLock(doc->TagLock());
    temperature.m_value = Variant::R4(21.5f);
  }
  ASSERT_TRUE(WriteValue("1/4/1", [](ValueDialog& dialog) {
    QLineEdit* edit = dialog.Edit(1010);
    EXPECT_EQ(edit->text(), "21.5");
    edit->clear();
    QTest::keyClicks(edit, "700000");
    EXPECT_EQ(edit->text(), "670760.96");
    PressOk(dialog);
  }));
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], Variant::R4(670760.96f));
  // The float nearest 670760.96 lies just below it, and the two-byte coding drops the bits it
  // shifts out: the bus gets the largest exponent with the mantissa's last step below the top.
  EXPECT_EQ(BusData(temperature, written[0]), Variant::Bytes({0x7F, 0xFE}));

  ASSERT_TRUE(WriteValue("1/4/1", [](ValueDialog& dialog) {
    dialog.Edit(1010)->setText("21.5");
    PressOk(dialog);
  }));
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(BusData(temperature, written[1]), Variant::Bytes({0x0C, 0x33}));
}

TEST_F(WriteValueTest, ValuesTakeTheCanonicalTypeOfTheItem) {
  // EIS 2 value: the dialog's 16-bit percent goes out as the item's byte.
  Select(Group(1, 2));
  GroupItem& brightness = ItemAt("1/2/3");
  ASSERT_TRUE(WriteValue("1/2/3", [](ValueDialog& dialog) {
    dialog.Edit(1010)->setText("80");
    PressOk(dialog);
  }));
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written.back(), Variant::UI1(80));
  EXPECT_EQ(BusData(brightness, written.back()), Variant::UI1(204));

  // A 16-bit counter: 65535 is sent as the bits 0xFFFF.
  GroupItem& counter = ItemAt("1/2/4");
  {
    std::lock_guard tagLock(doc->TagLock());
    ChangeItemType(counter, 10, 0);
  }
  ASSERT_TRUE(WriteValue("1/2/4", [](ValueDialog& dialog) {
    dialog.Edit(1010)->setText("65535");
    PressOk(dialog);
  }));
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written.back(), Variant::I2(-1));

  // An untyped item: the hexadecimal digits become its bytes.
  {
    std::lock_guard tagLock(doc->TagLock());
    ChangeItemType(counter, 0, 0);  // "Unknown", 14 bytes
  }
  ASSERT_TRUE(WriteValue("1/2/4", [](ValueDialog& dialog) {
    QTest::keyClicks(dialog.Edit(1010), "abc");
    PressOk(dialog);
  }));
  ASSERT_EQ(written.size(), 3u);
  std::vector<std::uint8_t> bytes(14, 0);
  bytes[0] = 0xAB;
  bytes[1] = 0xC0;
  EXPECT_EQ(written.back(), Variant::Bytes(bytes));
  // An empty field closes the dialog without a write.
  ASSERT_TRUE(WriteValue("1/2/4", [](ValueDialog& dialog) { PressOk(dialog); }));
  EXPECT_EQ(written.size(), 3u);

  EXPECT_EQ(CanonicalValue(Variant::I2(-1), VT_UI1), Variant::UI1(0xFF));
  EXPECT_EQ(CanonicalValue(Variant::UI1(7), VT_BSTR), Variant::Bstr(u"7"));
  EXPECT_TRUE(CanonicalValue(Variant::Bstr(u"x"), VT_I2).IsEmpty());
}

TEST_F(WriteValueTest, RefusedEntriesKeepTheDialogOpenAndSendNothing) {
  Select(Group(1, 4));
  ASSERT_TRUE(WriteValue("1/4/1", [](ValueDialog& dialog) {
    dialog.Edit(1010)->setText("warm");
    PressOk(dialog);
    EXPECT_TRUE(dialog.isVisible());
  }));
  EXPECT_TRUE(written.empty());
  ASSERT_EQ(prompt.inserts.size(), 1u);
  EXPECT_EQ(prompt.inserts[0], Language()->String(61713));
}

TEST_F(WriteValueTest, SimulationStoresTheValueAndShowsItInTheRow) {
  Select(Group(1, 3));
  doc->SetSimulationFlag(true);
  GroupItem& blind = ItemAt("1/3/3");  // EIS 6 percent
  ASSERT_TRUE(WriteValue("1/3/3", [](ValueDialog& dialog) {
    dialog.Edit(1010)->setText("40");
    PressOk(dialog);
  }));
  QApplication::processEvents();
  {
    std::lock_guard tagLock(doc->TagLock());
    EXPECT_EQ(blind.m_value, Variant::UI1(40));
    EXPECT_EQ(blind.m_quality, OPC_QUALITY_GOOD);
  }
  EXPECT_EQ(Cell(Row("1/3/3"), kColValue), "40");
  EXPECT_TRUE(doc->Requests().Empty());
  doc->SetSimulationFlag(false);
}

TEST_F(WriteValueTest, TheCommandNeedsExactlyOneRowWithADialog) {
  Select(Group(1, 4));
  SelectRows({"1/4/1"});
  auto menu = frame->List().ContextMenu(Row("1/4/1"), kColName);
  ASSERT_TRUE(menu);
  EXPECT_TRUE(FindCommandAction(*menu, kCmdWriteValue)->isEnabled());
  SelectRows({"1/4/1", "1/4/2"});
  menu = frame->List().ContextMenu(Row("1/4/1"), kColName);
  EXPECT_FALSE(FindCommandAction(*menu, kCmdWriteValue)->isEnabled());

  // Without a selected row nothing opens.
  frame->List().clearSelection();
  EXPECT_FALSE(frame->CommandEnabled(kCmdWriteValue));
  bool opened = false;
  QTimer::singleShot(0, frame.get(), [&] {
    opened = QApplication::activeModalWidget() != nullptr;
    if (opened) QApplication::activeModalWidget()->close();
  });
  frame->RunCommand(kCmdWriteValue);
  QApplication::processEvents();
  EXPECT_FALSE(opened);
  EXPECT_TRUE(written.empty());
}

// The window's document on a virtual bus, with its bus worker running.
class WriteValueOnBusTest : public WriteValueWindowTest {
 protected:
  void SetUp() override {
    busName = std::string("write-value-") +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    component.RegisterDriver(VirtualBusDriverEntry());
    RegisterBusClasses(component, mainThread, *settings);
    settings->SetText(kBusAccessParametersKey, kVirtualBusName, "name=" + busName);
    link = std::make_unique<BusLink>(mainThread, component);
    link->Connection().SetModeSettleTime(std::chrono::milliseconds(0));
    link->WireSeams(seams);
    MakeWindow();
    link->SetViews(frame.get());
    ImportDemo();
  }
  ~WriteValueOnBusTest() override {
    CloseWindow();
    link.reset();
    VirtualBus::Forget(busName);
  }

  // The group writes the bus carried to `address`.
  std::vector<GroupTelegram> WritesTo(std::uint16_t address) {
    std::vector<GroupTelegram> writes;
    for (const GroupTelegram& telegram : VirtualBus::Named(busName)->Sent()) {
      if (telegram.apci == APciValueWrite && telegram.groupAddress == address)
        writes.push_back(telegram);
    }
    return writes;
  }

  // Runs the main thread's events until `condition` holds (at most 5 s).
  static bool Eventually(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  std::string busName;
  BusComponent component;
  std::unique_ptr<BusLink> link;
};

TEST_F(WriteValueOnBusTest, TheBusCarriesTheWrittenValueAndItsConfirmationShowsIt) {
  ASSERT_TRUE(link->Connection().Connected());
  Select(Group(1, 4));
  GroupItem& temperature = ItemAt("1/4/1");  // EIS 5
  ASSERT_TRUE(WriteValue("1/4/1", [](ValueDialog& dialog) {
    dialog.Edit(1010)->setText("-5");
    PressOk(dialog);
  }));
  constexpr std::uint16_t kAddress = (1 << 11) | (4 << 8) | 1;
  ASSERT_TRUE(Eventually([&] { return !WritesTo(kAddress).empty(); }));
  EXPECT_EQ(WritesTo(kAddress)[0].data, (std::vector<std::uint8_t>{0x86, 0x0C}));
  // The confirmation stores the value, as after a client's write.
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard tagLock(doc->TagLock());
    return temperature.m_quality == OPC_QUALITY_GOOD;
  }));
  EXPECT_EQ(Cell(Row("1/4/1"), kColValue), "-5.0000");

  // A switch goes in the short form: one byte.
  Select(Group(1, 1));
  ASSERT_TRUE(WriteValue("1/1/3", [](ValueDialog& dialog) {
    dialog.Radio(1005)->setChecked(true);
    PressOk(dialog);
  }));
  constexpr std::uint16_t kSwitch = (1 << 11) | (1 << 8) | 3;
  ASSERT_TRUE(Eventually([&] { return !WritesTo(kSwitch).empty(); }));
  EXPECT_EQ(WritesTo(kSwitch)[0].data, (std::vector<std::uint8_t>{0x00}));
}

}  // namespace
