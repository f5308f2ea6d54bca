// Tests of the busmonitor on a real document: lines from the telegram reception, address forms,
// the line limit and its settings dialog, the filter dialog, pause, clear and the log file.
#include <QAction>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

#include "bus/telegram_reception.h"
#include "modal_dialog.h"
#include "platform/seconds_clock.h"
#include "platform/variant.h"
#include "project/document_settings.h"
#include "project/file_text.h"
#include "ui/address_pattern.h"
#include "ui/busmonitor_frame.h"
#include "ui/busmonitor_opener.h"
#include "window_fixture.h"

namespace {

constexpr int kPriorityLow = 3;
constexpr unsigned kMsgSubgroupPattern = 150;
constexpr unsigned kMsgLogNotCreated = 174;

class BusmonitorTest : public WindowTest {
 protected:
  BusmonitorTest() : reception(SystemSecondsClock()) {}
  ~BusmonitorTest() override {
    if (frame) frame->SetTelegramReception(nullptr);
  }

  // The window on its document, the reception passing lines to the busmonitor it opens.
  void Open() {
    if (!frame) {
      MakeWindow();
      reception.Attach(*doc);
      frame->SetTelegramReception(&reception);
    }
    frame->RunCommand(kCmdBusmonitor);
    QApplication::processEvents();
    ASSERT_TRUE(Monitor());
  }

  CBusmonitorFrame* Monitor() { return frame->Busmonitor().Frame(); }
  CBusmonitorView& View() { return Monitor()->View(); }
  TelegramLineModel& Lines() { return View().Model(); }
  std::string Cell(std::size_t row, int column) { return Lines().Line(row)[column]; }

  void Write(int address, int event, std::vector<std::uint8_t> bytes = {0x01}) {
    reception.OnGroupValueWrite(address, event, kPriorityLow, Variant::Bytes(std::move(bytes)));
  }

  TelegramReception reception;
};

TEST_F(BusmonitorTest, OneBusmonitorTakesLinesWhileOpen) {
  Open();
  CBusmonitorFrame* first = Monitor();
  EXPECT_EQ(first->windowTitle(), "Busmonitor");
  const QRect screen = first->screen()->geometry();
  EXPECT_EQ(first->geometry(), CBusmonitorFrame::InitialPlacement(screen));
  EXPECT_EQ(CBusmonitorFrame::InitialPlacement(QRect(0, 0, 1000, 600)), QRect(250, 200, 500, 200));

  frame->RunCommand(kCmdBusmonitor);  // brought forward, not made again
  EXPECT_EQ(Monitor(), first);
  Write(0x0A05, 1);
  EXPECT_EQ(Lines().Count(), 1u);

  // Closed: the reception passes nothing on (and touches no window that is gone).
  first->RunCommand(kCmdBusmonitorClose);
  Write(0x0A05, 2);
  QApplication::processEvents();
  EXPECT_EQ(Monitor(), nullptr);
  Write(0x0A05, 3);

  // Opened again at once after a close, before the closed window is deleted: a new one.
  Open();
  CBusmonitorFrame* second = Monitor();
  second->close();
  frame->RunCommand(kCmdBusmonitor);
  ASSERT_TRUE(Monitor());
  EXPECT_FALSE(Monitor()->isHidden());
  Write(0x0A05, 4);
  EXPECT_EQ(Lines().Count(), 1u);
  Monitor()->close();
  QApplication::processEvents();

  // Reopened: empty, counter 0, the settings read again.
  settings->SetInt(kParameterKey, "AddressLevels", 3);
  Open();
  EXPECT_NE(Monitor(), nullptr);
  EXPECT_EQ(Lines().Count(), 0u);
  EXPECT_EQ(View().Counter(), 0);
  EXPECT_FALSE(View().TwoLevel());
}

TEST_F(BusmonitorTest, LinesShowTheSixColumns) {
  Open();
  Write(0x0A05, 7, {0x0C, 0xA0});
  Write(0x0A05, 8, {});
  reception.OnWriteConfirm(0x0A05, 9, kPriorityLow, 1, Variant::Bytes({0x01}));
  reception.OnReadConfirm(0x0A05, 10, 1, 1, Variant::Bytes({}));
  reception.OnGroupValueResponse(0x0A05, 11, 0, Variant::Bytes(std::vector<std::uint8_t>(41)));
  ASSERT_EQ(Lines().Count(), 5u);

  EXPECT_EQ(Cell(0, 0).size(), 12u);  // hh:mm:ss.mmm
  EXPECT_EQ(Cell(0, 1), "1/517");
  EXPECT_EQ(Cell(0, 2), "PriorityLow");
  EXPECT_EQ(Cell(0, 3), "7");
  EXPECT_EQ(Cell(0, 4), "APciValueWrite");
  EXPECT_EQ(Cell(0, 5), "0c a0 ");
  EXPECT_EQ(Cell(1, 5), "");  // no data bytes
  EXPECT_EQ(Cell(2, 5), "Write Error!");
  EXPECT_EQ(Cell(3, 2), "PriorityHigh");
  EXPECT_EQ(Cell(3, 4), "APciValueRead");
  EXPECT_EQ(Cell(3, 5), "Read Error!");
  EXPECT_EQ(Cell(4, 2), "PrioritySystem");
  EXPECT_EQ(Cell(4, 4), "APciValueResponse");
  EXPECT_EQ(Cell(4, 5), "");  // more than 40 bytes
  EXPECT_EQ(Lines().data(Lines().index(0, 5), Qt::DisplayRole).toString(), "0c a0 ");

  // Three levels from the next line on; the lines shown keep their form.
  View().ApplySettings(View().MaxLines(), false);
  Write(0x0A05, 12);
  EXPECT_EQ(Cell(0, 1), "1/517");
  EXPECT_EQ(Cell(5, 1), "1/2/5");
  EXPECT_EQ(settings->GetInt(kParameterKey, "AddressLevels"), 3);
}

TEST_F(BusmonitorTest, LineLimitAndCounter) {
  settings->SetInt(kParameterKey, "MaxLines", 0);
  Open();
  for (int event = 1; event <= 3; ++event) Write(0x0801, event);
  ASSERT_EQ(Lines().Count(), 1u);  // only the newest
  EXPECT_EQ(Cell(0, 3), "3");
  QApplication::processEvents();
  EXPECT_EQ(Monitor()->Count(), 3);
  EXPECT_EQ(Monitor()->CountPaneText(), "Telegrams:      3");

  // With 3 the list holds 4 while telegrams come; the settings dialog's OK trims it to 3 and
  // writes both values.
  View().ApplySettings(3, true);
  View().Clear();
  for (int event = 1; event <= 6; ++event) Write(0x0801, event);
  EXPECT_EQ(Lines().Count(), 4u);
  OnModalDialog([](QDialog& dialog) {
    EXPECT_EQ(Field<QSpinBox>(dialog, 1010)->value(), 3);
    EXPECT_TRUE(Field<QRadioButton>(dialog, 1005)->isChecked());
    Press(dialog, 1);
  });
  settings->DeleteValue(kParameterKey, "AddressLevels");
  Monitor()->RunCommand(kCmdBusmonitorSettings);
  ASSERT_EQ(Lines().Count(), 3u);
  EXPECT_EQ(Cell(0, 3), "4");
  EXPECT_EQ(Cell(2, 3), "6");
  EXPECT_EQ(settings->GetInt(kParameterKey, "MaxLines"), 3);
  EXPECT_EQ(settings->GetInt(kParameterKey, "AddressLevels"), 2);

  // The counter counts lines added since the clear, not lines held.
  QApplication::processEvents();
  EXPECT_EQ(View().Counter(), 6);
  EXPECT_EQ(Monitor()->CountPaneText(), "Telegrams:      6");

  // Cancel changes nothing.
  OnModalDialog([](QDialog& dialog) {
    Field<QSpinBox>(dialog, 1010)->setValue(1);
    Field<QRadioButton>(dialog, 1006)->setChecked(true);
    Press(dialog, 2);
  });
  Monitor()->RunCommand(kCmdBusmonitorSettings);
  EXPECT_EQ(Lines().Count(), 3u);
  EXPECT_TRUE(View().TwoLevel());

  Monitor()->RunCommand(kCmdBusmonitorClear);
  QApplication::processEvents();
  EXPECT_EQ(Lines().Count(), 0u);
  EXPECT_EQ(Monitor()->CountPaneText(), "Telegrams:      0");
}

TEST_F(BusmonitorTest, PausedListsNothing) {
  Open();
  Monitor()->RunCommand(kCmdBusmonitorPause);
  EXPECT_TRUE(View().Paused());
  QAction* pause = Monitor()->Action(kCmdBusmonitorPause);
  ASSERT_TRUE(pause);
  EXPECT_TRUE(pause->isChecked());
  EXPECT_EQ(Monitor()->ToolBar().actions().indexOf(pause), 3);
  Write(0x0801, 1);
  EXPECT_EQ(Lines().Count(), 0u);
  EXPECT_EQ(View().Counter(), 0);
  Monitor()->RunCommand(kCmdBusmonitorPause);
  EXPECT_FALSE(pause->isChecked());
  Write(0x0801, 2);
  EXPECT_EQ(Lines().Count(), 1u);
}

TEST_F(BusmonitorTest, PatternsMatchAndNormalise) {
  EXPECT_EQ(BusmonitorAddressText(0x0A05, true), "1/517");
  EXPECT_EQ(BusmonitorAddressText(0x0A05, false), "1/2/5");
  EXPECT_EQ(BusmonitorAddressText(0xFFFF, false), "31/7/255");
  EXPECT_TRUE(PatternMatches("1?", "10"));
  EXPECT_TRUE(PatternMatches("1?", "19"));
  EXPECT_FALSE(PatternMatches("1?", "1"));
  EXPECT_FALSE(PatternMatches("1?", "100"));
  EXPECT_FALSE(PatternMatches("1?", "20"));
  EXPECT_TRUE(PatternMatches("*", ""));
  EXPECT_EQ(NormalizePattern("0?"), "?");
  EXPECT_EQ(NormalizePattern("007"), "7");
  EXPECT_EQ(NormalizePattern("000"), "0");
  EXPECT_EQ(NormalizePattern("1*"), "*");
  EXPECT_EQ(NormalizePattern(""), "*");
  EXPECT_FALSE(PatternAccepted("1234", PatternField::Sub, false));
  EXPECT_TRUE(PatternAccepted("1234", PatternField::Sub, true));
  EXPECT_FALSE(PatternAccepted("12345", PatternField::Sub, true));
  EXPECT_FALSE(PatternAccepted("123", PatternField::Main, true));
  EXPECT_FALSE(PatternAccepted("12", PatternField::Middle, false));
  EXPECT_FALSE(PatternAccepted("1a", PatternField::Main, false));
  EXPECT_FALSE(PatternAccepted("-1", PatternField::Main, false));

  AddressPatterns patterns;
  patterns.main = "1";
  patterns.middle = "2";
  patterns.sub = "?";
  EXPECT_TRUE(patterns.Matches("1/2/5"));
  EXPECT_FALSE(patterns.Matches("1/3/5"));
  EXPECT_FALSE(patterns.Matches("1/2/15"));
  EXPECT_TRUE(patterns.Matches("1/7"));  // the middle pattern does not apply to two levels
}

TEST_F(BusmonitorTest, FilterDialogRefusesAndFilters) {
  settings->SetInt(kParameterKey, "AddressLevels", 3);
  Open();
  // Three levels: a four-character subgroup is refused with 150, the fields keep their
  // shortened texts and the dialog stays open; then a good pattern is taken.
  OnModalDialog([this](QDialog& dialog) {
    Field<QLineEdit>(dialog, 1010)->setText("01");
    Field<QLineEdit>(dialog, 1011)->setText("2*");
    Field<QLineEdit>(dialog, 1012)->setText("1234");
    Press(dialog, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompt.asked, std::vector<unsigned>{kMsgSubgroupPattern});
    EXPECT_EQ(Field<QLineEdit>(dialog, 1010)->text(), "1");
    EXPECT_EQ(Field<QLineEdit>(dialog, 1011)->text(), "*");
    Field<QLineEdit>(dialog, 1012)->setText("00?");
    Press(dialog, 1);
    EXPECT_FALSE(dialog.isVisible());
  });
  Monitor()->RunCommand(kCmdBusmonitorFilter);
  EXPECT_EQ(View().Patterns().main, "1");
  EXPECT_EQ(View().Patterns().middle, "*");
  EXPECT_EQ(View().Patterns().sub, "?");
  Write(0x0A05, 1);  // 1/2/5
  Write(0x0A15, 2);  // 1/2/21
  Write(0x1205, 3);  // 2/2/5
  ASSERT_EQ(Lines().Count(), 1u);
  EXPECT_EQ(Cell(0, 3), "1");

  // Two levels: the middle field is disabled and empty, four subgroup characters pass, and
  // the middle pattern becomes "*".
  View().ApplySettings(500, true);
  View().SetPatterns({"*", "3", "*"});
  prompt.asked.clear();
  OnModalDialog([](QDialog& dialog) {
    auto* middle = Field<QLineEdit>(dialog, 1011);
    EXPECT_FALSE(middle->isEnabled());
    EXPECT_TRUE(middle->text().isEmpty());
    Field<QLineEdit>(dialog, 1012)->setText("0517");
    Press(dialog, 1);
  });
  Monitor()->RunCommand(kCmdBusmonitorFilter);
  EXPECT_TRUE(prompt.asked.empty());
  EXPECT_EQ(View().Patterns().middle, "*");
  EXPECT_EQ(View().Patterns().sub, "517");
  Write(0x0A05, 4);  // 1/517
  Write(0x0A06, 5);  // 1/518
  ASSERT_EQ(Lines().Count(), 2u);
  EXPECT_EQ(Cell(1, 1), "1/517");

  // Cancel keeps the patterns.
  OnModalDialog([](QDialog& dialog) {
    Field<QLineEdit>(dialog, 1012)->setText("9");
    Press(dialog, 2);
  });
  Monitor()->RunCommand(kCmdBusmonitorFilter);
  EXPECT_EQ(View().Patterns().sub, "517");
}

TEST_F(BusmonitorTest, SavesTheListByteForByte) {
  Open();
  const std::string path = dir + "/saved.txt";
  dialogs.savePath = path;
  Monitor()->RunCommand(kCmdBusmonitorSave);  // empty list: no dialog
  EXPECT_TRUE(dialogs.requests.empty());

  Write(0x0A05, 7, {0x0C, 0xA0});
  reception.OnWriteConfirm(0x0801, 8, 1, 1, Variant::Bytes({}));
  Monitor()->RunCommand(kCmdBusmonitorSave);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].defaultFileName, "logfile.txt");
  EXPECT_EQ(dialogs.requests[0].defaultExtension, "");
  EXPECT_EQ(dialogs.requests[0].title, Language()->String(173));
  const std::string expected = Language()->String(175) + Cell(0, 0) +
                               "\t1/517\tPriorityLow\t7\tAPciValueWrite\t0c a0 \r\n" + Cell(1, 0) +
                               "\t1/1\tPriorityHigh\t8\tAPciValueWrite\tWrite Error!\r\n";
  EXPECT_EQ(Language()->String(175),
            "Time\tGroup address\tPriority\tEvent\tTelegram type\tData\r\n");
  EXPECT_EQ(ReadFileText(path), expected);

  // A file that cannot be created: message 174, the list as it was.
  dialogs.savePath = dir + "/missing/log.txt";
  Monitor()->RunCommand(kCmdBusmonitorSave);
  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kMsgLogNotCreated});
  EXPECT_EQ(Lines().Count(), 2u);

  // Cancelled: nothing written.
  dialogs.savePath.reset();
  prompt.asked.clear();
  Monitor()->RunCommand(kCmdBusmonitorSave);
  EXPECT_TRUE(prompt.asked.empty());
}

}  // namespace
