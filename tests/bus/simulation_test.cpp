// Simulation mode: generated values by type, client writes kept for one tick, switching off.
#include "bus/simulation.h"

#include "bus_fixture.h"

namespace {

class SimulationTest : public BusTest {
 protected:
  void SetUp() override { MakeBusDoc(); }
  Simulation& simulation() { return *link->GetSimulation(); }
};

}  // namespace

TEST_F(SimulationTest, ValuesHaveTheCanonicalTypeAndCountersCountOn) {
  for (const char* type : {"EIS 1 'Switching' (1 Bit)",
                           "EIS 2 'Dimming - position' (1 Bit)",
                           "EIS 2 'Dimming - control' (4 Bit)",
                           "EIS 2 'Dimming - value' (8 Bit)",
                           "EIS 3 'Time' (3 Byte)",
                           "EIS 4 'Date' (3 Byte)",
                           "EIS 5 'Value' (2 Byte)",
                           "EIS 6 'Scaling - percent' (8 Bit)",
                           "EIS 6 'Scaling - degree' (8 Bit)",
                           "EIS 7 'Drive control' (1 Bit)",
                           "EIS 8 'Priority - position' (1 Bit)",
                           "EIS 8 'Priority - control' (2 Bit)",
                           "EIS 9 'Float value' (4 Byte)",
                           "EIS 10 '16Bit Counter' (2 Byte)",
                           "EIS 11 '32Bit Counter' (4 Byte)",
                           "EIS 12 'Access' (4 Byte)",
                           "EIS 13 'EIB-ASCII-Char' (8 Bit)",
                           "EIS 14 '8Bit Counter' (8 Bit)",
                           "EIS 15 'Character String' (14 Byte)",
                           "Uncertain (3 Byte)",
                           "Unknown"}) {
    GroupNode parent;
    auto item = CreateGroupItem("1/1", "", type, 3, parent, nullptr);
    const Variant v = SimulatedValue(*item);
    EXPECT_EQ(v.vt(), item->m_nativeDataType) << type;
    if (item->m_eis == 0) {
      EXPECT_EQ(v.parray()->bytes.size(), (item->m_size + 7u) / 8u);
    }
  }

  GroupNode parent;
  auto toggle = CreateGroupItem("1/1", "", "EIS 1 'Switching' (1 Bit)", 3, parent, nullptr);
  toggle->m_value = Variant::Bool(true);
  EXPECT_EQ(SimulatedValue(*toggle), Variant::Bool(false));
  auto count16 = CreateGroupItem("1/2", "", "EIS 10 '16Bit Counter' (2 Byte)", 3, parent, nullptr);
  count16->m_value = Variant::I2(-1);
  EXPECT_EQ(SimulatedValue(*count16), Variant::I2(0));
  auto ascii = CreateGroupItem("1/3", "", "EIS 13 'EIB-ASCII-Char' (8 Bit)", 3, parent, nullptr);
  ascii->m_value = Variant::UI1(127);
  EXPECT_EQ(SimulatedValue(*ascii), Variant::UI1(0));
  auto count8 = CreateGroupItem("1/4", "", "EIS 14 '8Bit Counter' (8 Bit)", 3, parent, nullptr);
  count8->m_value = Variant::UI1(255);
  EXPECT_EQ(SimulatedValue(*count8), Variant::UI1(0));
}

TEST_F(SimulationTest, AClientWriteIsKeptForOneTick) {
  doc->QueueRead(*value);
  doc->Pending().Add(*counter, counter->m_responseDeadline);
  simulation().Toggle();
  EXPECT_TRUE(doc->Simulation());
  EXPECT_TRUE(Queue().empty());
  EXPECT_TRUE(doc->Pending().Empty());

  doc->QueueWrite(*value, Variant::R4(1234.0f));
  doc->Settings().simulationSpeed = 300;
  EXPECT_EQ(Worker().Step(), 300u);
  EXPECT_EQ(value->m_value, Variant::R4(1234.0f));
  EXPECT_EQ(switching->m_quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(switching->m_value.vt(), VT_BOOL);
  const Variant before = switching->m_value;
  Worker().Step();
  EXPECT_NE(switching->m_value, before);  // EIS 1 toggles
  EXPECT_EQ(value->m_written, 0);
  EXPECT_TRUE(doc->FailedDevicesItem()->m_value.IsArray());  // special items are left alone

  simulation().Toggle();
  EXPECT_FALSE(doc->Simulation());
  for (GroupItem* item : {switching, value, counter, byteCounter}) {
    EXPECT_TRUE(item->m_value.IsEmpty());
    EXPECT_EQ(item->m_quality, OPC_QUALITY_UNCERTAIN);
  }
  EXPECT_EQ(busViews.simulationShown, (std::vector<bool>{true, false}));
}
