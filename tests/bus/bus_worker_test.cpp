// The bus worker's loop driven step by step: sends, pauses, messages, the response sweep.
#include "bus/bus_worker.h"

#include "bus/telegram_reception.h"
#include "bus_fixture.h"
#include "knx/bus_errors.h"

namespace {

class WorkerTest : public BusTest {
 protected:
  void SetUp() override { MakeBusDoc(); }
};

}  // namespace

TEST_F(WorkerTest, SendsOneRequestPerStepWithItsPause) {
  DocumentSettings& s = doc->Settings();
  s.readSpeed = 40;
  s.writeSpeed = 70;
  s.initSpeedSlow = 1000;
  s.initSpeedMedium = 500;
  s.initSpeedFast = 250;
  switching->m_priority = 1;
  doc->QueueWrite(*switching, Variant::Bool(true));
  doc->QueueWrite(*value, Variant::R4(21.5f));
  doc->QueueRead(*counter);
  doc->Requests().Add({byteCounter, kRequestRead, 1, {}});

  EXPECT_EQ(Worker().Step(), 70u);
  EXPECT_EQ(Worker().Step(), 70u);
  EXPECT_EQ(Worker().Step(), 40u);
  EXPECT_EQ(Worker().Step(), 500u);  // initial read, medium
  EXPECT_EQ(Worker().Step(), 40u);   // idle poll
  const std::vector<SentTelegram> sent = bus.Service().Sent();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_TRUE(sent[0].write);
  EXPECT_EQ(sent[0].address, "2563");  // 1/2/3
  EXPECT_EQ(sent[0].priority, 1);
  EXPECT_EQ(sent[0].routingCounter, kRoutingCounter);
  EXPECT_EQ(sent[0].shortForm, -1);
  EXPECT_EQ(sent[1].shortForm, 0);
  EXPECT_EQ(sent[1].data, Variant::Bytes({0x0C, 0x33}));
  EXPECT_FALSE(sent[2].write);
  EXPECT_EQ(sent[3].address, "6161");  // 3/17
  EXPECT_TRUE(doc->Requests().Empty());

  for (auto [choice, pause] : {std::pair{0, 1000u}, {2, 250u}, {7, 40u}}) {
    s.initSpeedCombobox = choice;
    doc->Requests().Add({byteCounter, kRequestRead, 1, {}});
    EXPECT_EQ(Worker().Step(), pause) << choice;
  }
  EXPECT_TRUE(prompt.records.empty());
}

TEST_F(WorkerTest, FailedSendsShowTheirMessageAndDropTheRequest) {
  FakeGroupValueService& service = bus.Service();
  service.callResult = E_FAIL;
  doc->QueueRead(*value);
  doc->QueueWrite(*value, Variant::R4(1));
  Worker().Step();
  Worker().Step();
  service.callResult = S_OK;
  service.writeErrorCode = DeviceWriteErrorQueueOverflow;
  doc->QueueRead(*value);
  Worker().Step();
  doc->QueueWrite(*value, Variant::R4(1));
  doc->Settings().writeSpeed = 55;
  EXPECT_EQ(Worker().Step(), 55u);  // a write that reached the call pauses WriteSpeed

  ASSERT_EQ(prompt.records.size(), 4u);
  EXPECT_EQ(PromptIds(), (std::vector<unsigned>{kMsgWriteCallFailed, kMsgReadCallFailed,
                                                kMsgReadNotSent, kMsgWriteNotSent}));
  EXPECT_EQ(prompt.records[0].insert, "0x80004005");
  EXPECT_EQ(prompt.records[2].insert, "DeviceWriteErrorQueueOverflow");
  EXPECT_EQ(FormatMessage(kMsgReadCallFailed, prompt.records[1].insert),
            FormatMessage(kMsgReadCallFailed, static_cast<std::int32_t>(E_FAIL)));
  EXPECT_TRUE(doc->Requests().Empty());
}

TEST_F(WorkerTest, RequestsAreDroppedSilentlyWithoutAService) {
  link->Connection().Disconnect();
  Worker().OnWake();  // the worker drops the service it held
  doc->QueueWrite(*value, Variant::R4(1));
  doc->QueueRead(*value);
  Worker().Step();
  Worker().Step();
  EXPECT_TRUE(doc->Requests().Empty());
  EXPECT_TRUE(bus.Service().Sent().empty());
  EXPECT_TRUE(prompt.records.empty());
}

TEST_F(WorkerTest, ConfirmedReadWithoutResponseGoesBadAtTheFirstSweepAfterTheTimeout) {
  doc->Settings().responseTimeout = 6;
  TelegramReception& reception = link->Reception();
  value->m_value = Variant::R4(3);
  value->m_quality = OPC_QUALITY_GOOD;
  reception.OnReadConfirm(0x0A04, 1, 3, 0, Variant::Bytes({}));
  reception.OnReadConfirm(0x0A03, 2, 3, 0, Variant::Bytes({}));
  ASSERT_EQ(doc->Pending().Size(), 2u);

  clock.now += 6;  // the deadline itself is not overdue
  Worker().Step();
  EXPECT_EQ(doc->Pending().Size(), 2u);
  EXPECT_EQ(value->m_quality, OPC_QUALITY_GOOD);

  // The response of 1/2/3 arrives in time and leaves the list.
  reception.OnGroupValueResponse(0x0A03, 3, 3, Variant::Bytes({1}));
  ASSERT_EQ(doc->Pending().Size(), 1u);

  clock.now += 1;
  Worker().Step();
  EXPECT_TRUE(doc->Pending().Empty());
  EXPECT_EQ(value->m_quality, OPC_QUALITY_BAD);
  EXPECT_TRUE(value->m_value.IsEmpty());
  EXPECT_EQ(switching->m_quality, OPC_QUALITY_GOOD);
}
