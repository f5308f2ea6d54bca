// The interface chooser against knxd in a private network namespace: the search lists knxd,
// and a switch from the virtual bus to its tunnel connects and receives a telegram from knxtool.
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>

#include "bus_window_fixture.h"
#include "child_process.h"
#include "interop_helpers.h"
#include "project/group_lookup.h"
#include "ui/busmonitor_frame.h"
#include "ui/busmonitor_opener.h"
#include "ui/busmonitor_view.h"
#include "ui/interface_chooser_dialog.h"
#include "ui/telegram_line_model.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kKnxdPort = 13675;
constexpr std::uint16_t kAddress1_1_2 = 0x0902;

class InterfaceSwitchInteropTest : public BusWindowTest {
 protected:
  void SetUp() override {
    if (!OnlyLoopback()) GTEST_SKIP() << "needs a private network namespace with only loopback";
    char pattern[] = "/tmp/zelvox-ui-knxd-XXXXXX";
    m_knxdDir = mkdtemp(pattern);
    m_socket = (m_knxdDir / "server.sock").string();
    ASSERT_TRUE(StartKnxd(m_knxd, m_socket, kKnxdPort, m_knxdDir / "knxd.log"));
  }
  void TearDown() override {
    CloseBusWindow();
    m_knxd.Stop(5s);
    if (HasFailure() && !m_knxdDir.empty())
      std::printf("--- knxd\n%s", ReadFile(m_knxdDir / "knxd.log").c_str());
    if (!m_knxdDir.empty()) fs::remove_all(m_knxdDir);
  }

  fs::path m_knxdDir;
  std::string m_socket;
  ChildProcess m_knxd;
};

TEST_F(InterfaceSwitchInteropTest, SearchFindsKnxdAndTheSwitchToItsTunnelReceivesTelegrams) {
  MakeBusWindow("");
  ImportDemo();
  frame->SetTelegramReception(&link->Reception());
  frame->RunCommand(kCmdBusmonitor);
  CBusmonitorFrame* monitor = frame->Busmonitor().Frame();
  ASSERT_TRUE(monitor);
  TelegramLineModel& lines = monitor->View().Model();

  WhenModal<InterfaceChooserDialog>([](InterfaceChooserDialog& dialog) {
    const auto rows = dialog.InterfaceList().findItems("KNXnet/IP tunnelling", Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1);
    dialog.InterfaceList().setCurrentItem(rows.front());
    // knxd answers searches in the multicast group it serves inside this namespace.
    dialog.SearchTargetEdit().setText(QStringLiteral("239.255.36.71:%1").arg(kKnxdPort));
    dialog.SetSearchTimeout(1s);
    dialog.SearchButton().click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Searching(); }, 5000));
    QTreeWidget& servers = dialog.ServerList();
    ASSERT_EQ(servers.topLevelItemCount(), 1) << dialog.SearchStatus().text().toStdString();
    QTreeWidgetItem* knxd = servers.topLevelItem(0);
    EXPECT_EQ(knxd->text(0), kKnxdName);
    EXPECT_EQ(knxd->text(1), "127.0.0.1");
    EXPECT_EQ(knxd->text(2), QString::number(kKnxdPort));
    EXPECT_EQ(knxd->text(3), "01.00.001");
    // Picking it fills in its address.
    servers.setCurrentItem(knxd);
    EXPECT_EQ(dialog.ParameterEdit().text(), QStringLiteral("127.0.0.1:%1").arg(kKnxdPort));
    dialog.OkButton().click();
  });
  prompt.answers = {PromptAnswer::Yes};  // make it the default
  frame->RunCommand(kCmdSwitchInterface);

  EXPECT_EQ(prompt.asked, std::vector<unsigned>{kMsgMakeDefaultInterface});
  EXPECT_EQ(settings->GetText(kBusAccessKey, kDefaultInterfaceValue),
            knxnetip::kKnxNetIpTunnellingName);
  ASSERT_TRUE(link->Connection().Connected());
  EXPECT_TRUE(link->Connection().LinkUp());
  EXPECT_TRUE(frame->LinkShownUp());
  EXPECT_EQ(link->Connection().InterfaceName(), knxnetip::kKnxNetIpTunnellingName);

  // knxtool writes 1/1/2 through knxd: the busmonitor's line and the item's value come.
  ASSERT_EQ(RunProgram({"knxtool", "groupswrite", "local:" + m_socket, "1/1/2", "1"}), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return lines.Count() > 0; }, 5000));
  EXPECT_EQ(lines.Line(0)[1], monitor->View().TwoLevel() ? "1/258" : "1/1/2");
  EXPECT_EQ(lines.Line(0)[4], "APciValueWrite");
  EXPECT_EQ(lines.Line(0)[5], "01 ");
  GroupItem* item = FindItemByAddress(doc->Root(), "1/1/2");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->m_quality, 0xC0);
  EXPECT_EQ(item->m_value.vt(), VT_BOOL);
  EXPECT_NE(item->m_value.boolVal(), 0);
}

}  // namespace
