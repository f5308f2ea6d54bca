// Telegram reception: busmonitor lines, values, listeners, errors and pending reads.
#include "bus/telegram_reception.h"

#include "bus/telegram_line_view.h"
#include "bus_fixture.h"
#include "platform/log.h"

namespace {

class RecordingMonitor : public TelegramLineView {
 public:
  bool Paused() const override { return paused; }
  void AddTelegramLine(std::string_view time, std::uint16_t address, std::string_view priority,
                       std::string_view eventNumber, std::string_view type, std::string_view data,
                       std::string_view source) override {
    EXPECT_EQ(time.size(), 12u);
    EXPECT_EQ(source, "Not yet");
    lines.push_back(std::to_string(address) + "|" + std::string(priority) + "|" +
                    std::string(eventNumber) + "|" + std::string(type) + "|" + std::string(data));
  }
  bool paused = false;
  std::vector<std::string> lines;
};

class ReceptionTest : public BusTest {
 protected:
  void SetUp() override {
    MakeBusDoc();
    reception().SetBusmonitor(&monitor);
  }
  TelegramReception& reception() { return link->Reception(); }
  RecordingMonitor monitor;
};

}  // namespace

TEST_F(ReceptionTest, MonitorLinesForEveryEvent) {
  const Variant data = Variant::Bytes({0x0C, 0x33});
  reception().OnGroupValueWrite(0x0A04, 17, 3, data);
  reception().OnGroupValueRead(0x0A04, 18, 0, Variant::Bytes({}));
  reception().OnGroupValueResponse(0x0A04, 19, 1, data);
  reception().OnReadConfirm(0x0A04, 20, 2, -1, Variant::Bytes({}));
  reception().OnWriteConfirm(0x0A04, 21, 9, -1, data);
  reception().OnGroupValueWrite(0x7FFF, 22, 3, Variant::Bytes(std::vector<std::uint8_t>(41)));
  EXPECT_EQ(
      monitor.lines,
      (std::vector<std::string>{
          "2564|PriorityLow|17|APciValueWrite|0c 33 ", "2564|PrioritySystem|18|APciValueRead|",
          "2564|PriorityHigh|19|APciValueResponse|0c 33 ",
          "2564|PriorityAlarm|20|APciValueRead|Read Error!",
          "2564|unknown|21|APciValueWrite|Write Error!", "32767|PriorityLow|22|APciValueWrite|"}));

  // Paused or closed: no line, but values still change.
  monitor.paused = true;
  reception().OnGroupValueWrite(0x0A04, 23, 3, data);
  reception().SetBusmonitor(nullptr);
  reception().OnGroupValueWrite(0x0A03, 24, 3, Variant::Bytes({1}));
  EXPECT_EQ(monitor.lines.size(), 6u);
  EXPECT_EQ(value->m_value, Variant::R4(21.5f));
  EXPECT_EQ(switching->m_value, Variant::Bool(true));
}

TEST_F(ReceptionTest, WritesReachTheItemAndItsListenersByTheirOwnTypes) {
  // 1/2/4 (EIS 5) and 3/17 (EIS 14) list 1/2/5 among their linked addresses.
  counter->m_listeners = {"1/2/4", "3/17", "9/9/9"};
  reception().OnGroupValueWrite(0x0A05, 1, 3, Variant::Bytes({0x0C, 0x33}));
  EXPECT_EQ(counter->m_value, Variant::I2(0x0C33));
  EXPECT_EQ(value->m_value, Variant::R4(21.5f));
  EXPECT_EQ(byteCounter->m_quality, OPC_QUALITY_BAD);  // two bytes do not fit EIS 14
  EXPECT_EQ(busViews.rows, (std::vector<GroupItem*>{counter, value, byteCounter}));

  // A write confirmation serves the listeners too; a response does not.
  reception().OnWriteConfirm(0x0A05, 2, 3, 0, Variant::Bytes({0x00, 0x64}));
  EXPECT_EQ(value->m_value, Variant::R4(1.0f));
  reception().OnGroupValueResponse(0x0A05, 3, 3, Variant::Bytes({0x0C, 0x33}));
  EXPECT_EQ(value->m_value, Variant::R4(1.0f));
  EXPECT_EQ(counter->m_value, Variant::I2(0x0C33));

  // With ReadLinks off only the item itself changes.
  doc->Settings().readLinks = 0;
  reception().OnGroupValueWrite(0x0A05, 4, 3, Variant::Bytes({0x0C, 0x33}));
  EXPECT_EQ(value->m_value, Variant::R4(1.0f));

  // An address not in the project changes nothing.
  busViews.rows.clear();
  reception().OnGroupValueWrite(0x0A09, 5, 3, Variant::Bytes({1}));
  EXPECT_TRUE(busViews.rows.empty());
}

TEST_F(ReceptionTest, ConfirmationErrorsMakeTheItemBadAndAResponseStillSetsIt) {
  value->m_value = Variant::R4(3);
  value->m_quality = OPC_QUALITY_GOOD;
  reception().OnReadConfirm(0x0A04, 1, 3, -1, Variant::Bytes({}));
  EXPECT_TRUE(value->m_value.IsEmpty());
  EXPECT_EQ(value->m_quality, OPC_QUALITY_BAD);
  EXPECT_TRUE(doc->Pending().Empty());
  reception().OnGroupValueResponse(0x0A04, 2, 3, Variant::Bytes({0x0C, 0x33}));
  EXPECT_EQ(value->m_quality, OPC_QUALITY_GOOD);

  reception().OnWriteConfirm(0x0A04, 3, 3, -1, Variant::Bytes({0x0C, 0x33}));
  EXPECT_TRUE(value->m_value.IsEmpty());
  EXPECT_EQ(value->m_quality, OPC_QUALITY_BAD);
}

TEST_F(ReceptionTest, ReadConfirmationsMoveTheItemToTheEndWithANewDeadline) {
  doc->Settings().responseTimeout = 6;
  reception().OnReadConfirm(0x0A04, 1, 3, 0, Variant::Bytes({}));
  reception().OnReadConfirm(0x0A03, 2, 3, 0, Variant::Bytes({}));
  clock.now += 2;
  reception().OnReadConfirm(0x0A04, 3, 3, 0, Variant::Bytes({}));
  EXPECT_EQ(doc->Pending().Items(), (std::vector<GroupItem*>{switching, value}));
  EXPECT_EQ(value->m_responseDeadline, clock.now + 6);
  EXPECT_TRUE(value->m_value.IsEmpty());  // the value is not touched
}

TEST_F(ReceptionTest, AnAnswerThatOvertakesItsConfirmationIsNotAwaitedAgain) {
  doc->Settings().responseTimeout = 6;
  reception().OnGroupValueResponse(0x0A04, 1, 3, Variant::Bytes({0x0C, 0x33}));
  reception().OnReadConfirm(0x0A04, 2, 3, 0, Variant::Bytes({}));
  EXPECT_TRUE(doc->Pending().Empty());
  EXPECT_EQ(value->m_quality, OPC_QUALITY_GOOD);

  // An answer seen long before a read is no answer to it: the read waits for its own.
  reception().OnGroupValueResponse(0x0A04, 3, 3, Variant::Bytes({0x0C, 0x33}));
  clock.now += 30;
  reception().OnReadConfirm(0x0A04, 4, 3, 0, Variant::Bytes({}));
  EXPECT_EQ(doc->Pending().Items(), (std::vector<GroupItem*>{value}));
  // The early answer is used once only.
  reception().OnGroupValueResponse(0x0A04, 5, 3, Variant::Bytes({0x0C, 0x33}));
  EXPECT_TRUE(doc->Pending().Empty());
  reception().OnGroupValueResponse(0x0A04, 6, 3, Variant::Bytes({0x0C, 0x33}));
  reception().OnReadConfirm(0x0A04, 7, 3, 0, Variant::Bytes({}));
  reception().OnReadConfirm(0x0A04, 8, 3, 0, Variant::Bytes({}));
  EXPECT_EQ(doc->Pending().Items(), (std::vector<GroupItem*>{value}));
}

TEST_F(ReceptionTest, ALostLinkKeepsValuesAsLastUsableAndItsReturnReadsTheFlaggedItems) {
  std::vector<std::pair<LogLevel, std::string>> log;
  SetLogSink([&](LogLevel level, std::string_view text) { log.emplace_back(level, text); });
  switching->m_initialRead = 1;
  byteCounter->m_initialRead = 1;
  reception().OnGroupValueWrite(0x0A03, 1, 3, Variant::Bytes({1}));
  reception().OnGroupValueWrite(0x0A04, 2, 3, Variant::Bytes({0x0C, 0x33}));
  ASSERT_EQ(value->m_quality, OPC_QUALITY_GOOD);
  ASSERT_EQ(counter->m_quality, OPC_QUALITY_UNCERTAIN);  // never received
  EXPECT_TRUE(link->Connection().LinkUp());
  const int statusBefore = busViews.statusUpdates;
  busViews.rows.clear();

  reception().OnConnectionState(false);
  EXPECT_FALSE(link->Connection().LinkUp());
  EXPECT_EQ(busViews.statusUpdates, statusBefore + 1);
  EXPECT_EQ(switching->m_quality, OPC_QUALITY_LAST_USABLE);
  EXPECT_EQ(switching->m_value, Variant::Bool(true));
  EXPECT_EQ(value->m_quality, OPC_QUALITY_LAST_USABLE);
  EXPECT_EQ(value->m_value, Variant::R4(21.5f));
  EXPECT_EQ(counter->m_quality, OPC_QUALITY_UNCERTAIN);
  // The failed device list does not come from the bus.
  EXPECT_EQ(doc->FailedDevicesItem()->m_quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(busViews.rows, (std::vector<GroupItem*>{switching, value}));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].first, LogLevel::Warning);
  EXPECT_NE(log[0].second.find("down"), std::string::npos);
  EXPECT_TRUE(Queue().empty());

  // Back: the flagged items are read again as initial reads; the rest waits for telegrams.
  reception().OnConnectionState(true);
  EXPECT_TRUE(link->Connection().LinkUp());
  EXPECT_EQ(Queue(), (std::vector<std::string>{"I:1/2/3", "I:3/17"}));
  EXPECT_EQ(value->m_quality, OPC_QUALITY_LAST_USABLE);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[1].second.find("up again"), std::string::npos);
  reception().OnGroupValueWrite(0x0A04, 3, 3, Variant::Bytes({0x0C, 0x33}));
  EXPECT_EQ(value->m_quality, OPC_QUALITY_GOOD);
  // Without the initial read nothing is read at the link's return either.
  doc->ClearRequests();
  doc->Settings().initRead = 0;
  reception().OnConnectionState(false);
  reception().OnConnectionState(true);
  EXPECT_TRUE(Queue().empty());

  // In simulation mode the values do not come from the bus: they stay as they are.
  reception().OnGroupValueWrite(0x0A04, 4, 3, Variant::Bytes({0x0C, 0x33}));
  doc->SetSimulationFlag(true);
  reception().OnConnectionState(false);
  EXPECT_EQ(value->m_quality, OPC_QUALITY_GOOD);
  EXPECT_FALSE(link->Connection().LinkUp());
  SetLogSink({});
}
