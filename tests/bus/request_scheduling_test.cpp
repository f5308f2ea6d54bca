// The request queue: write overtaking, read merging, initial reads, simulation mode.
#include "bus/request_scheduling.h"

#include "bus_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class SchedulingTest : public BusTest {};

}  // namespace

TEST_F(SchedulingTest, WritesOvertakeReadsAndKeepTheirOrder) {
  MakeBusDoc();
  doc->QueueRead(*switching);
  doc->QueueRead(*value);
  doc->QueueWrite(*counter, Variant::I2(1));
  EXPECT_EQ(Queue(), (Strings{"W:1/2/5", "R:1/2/3", "R:1/2/4"}));
  doc->QueueWrite(*byteCounter, Variant::UI1(2));
  EXPECT_EQ(Queue(), (Strings{"W:1/2/5", "W:3/17", "R:1/2/3", "R:1/2/4"}));

  doc->ClearRequests();
  doc->QueueRead(*switching);
  doc->QueueWrite(*counter, Variant::I2(1));
  EXPECT_EQ(Queue(), (Strings{"W:1/2/5", "R:1/2/3"}));

  doc->Settings().writeStrategy = 0;
  doc->QueueWrite(*value, Variant::R4(1));
  EXPECT_EQ(Queue(), (Strings{"W:1/2/5", "R:1/2/3", "W:1/2/4"}));
}

TEST_F(SchedulingTest, ReadsMergeAndOvertakeInitialReads) {
  MakeBusDoc();
  // Initial reads of items 1 and 2 are queued by a project load; the flag is the document's.
  const auto initialQueue = [this] {
    doc->ClearRequests();
    doc->Requests().Add({switching, kRequestRead, 1, {}});
    doc->Requests().Add({value, kRequestRead, 1, {}});
  };
  initialQueue();
  doc->QueueRead(*value);
  EXPECT_EQ(Queue(), (Strings{"R:1/2/4", "I:1/2/3"}));

  initialQueue();
  doc->QueueRead(*switching);
  EXPECT_EQ(Queue(), (Strings{"R:1/2/3", "I:1/2/4"}));

  // A read of an item not queued goes before the initial reads.
  initialQueue();
  doc->QueueRead(*counter);
  EXPECT_EQ(Queue(), (Strings{"R:1/2/5", "I:1/2/3", "I:1/2/4"}));

  // A second ordinary read of a queued item is merged.
  doc->QueueRead(*counter);
  EXPECT_EQ(Queue(), (Strings{"R:1/2/5", "I:1/2/3", "I:1/2/4"}));

  doc->Settings().readStrategy = 0;
  initialQueue();
  doc->QueueRead(*value);
  EXPECT_EQ(Queue(), (Strings{"I:1/2/3", "I:1/2/4", "R:1/2/4"}));
}

TEST_F(SchedulingTest, InitialReadAfterLoadingQueuesMarkedItemsAsInitial) {
  MakeBusDoc();
  counter->m_initialRead = 1;
  byteCounter->m_initialRead = 1;
  WriteFile("p.zlv", "");
  ASSERT_TRUE(doc->StoreProject(Path("p.zlv")));
  ASSERT_TRUE(doc->OnOpenDocument(Path("p.zlv")));
  EXPECT_EQ(Queue(), (Strings{"I:1/2/5", "I:3/17"}));
}

TEST_F(SchedulingTest, SimulationStoresWritesAtOnceAndIgnoresReads) {
  MakeBusDoc();
  link->GetSimulation()->SwitchOn();
  doc->QueueRead(*value);
  EXPECT_EQ(doc->QueueWrite(*value, Variant::R4(2.5f)), S_OK);
  EXPECT_EQ(doc->QueueWrite(*counter, Variant::R4(1)), S_OK);  // not its canonical type
  EXPECT_TRUE(Queue().empty());
  EXPECT_EQ(value->m_value, Variant::R4(2.5f));
  EXPECT_EQ(value->m_quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(value->m_written, 1);
  EXPECT_TRUE(counter->m_value.IsEmpty());
  EXPECT_EQ(counter->m_quality, OPC_QUALITY_BAD);

  // The row refreshes reach the views on the main thread, coalesced into one task.
  ASSERT_EQ(mainThread.tasks.size(), 1u);
  mainThread.tasks[0]();
  EXPECT_EQ(busViews.rows.size(), 2u);
}
