// The interface chooser in the window: the list and the parameter check, cancelling, a switch
// to another bus that the worker threads follow, and a search that is stopped or closed.
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "bus/bus_connection.h"
#include "bus_window_fixture.h"
#include "loopback_udp_socket.h"
#include "project/group_lookup.h"
#include "ui/interface_chooser_dialog.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kAddress1_1_2 = 0x0902;

QTreeWidgetItem* InterfaceRow(InterfaceChooserDialog& dialog, const char* name) {
  const auto rows = dialog.InterfaceList().findItems(QString::fromLatin1(name), Qt::MatchExactly);
  return rows.isEmpty() ? nullptr : rows.front();
}

// Clears the parameter and types `text` key by key; returns the problem then shown.
QString Type(InterfaceChooserDialog& dialog, const QString& text) {
  dialog.ParameterEdit().clear();
  QTest::keyClicks(&dialog.ParameterEdit(), text);
  return dialog.ProblemLabel().text();
}

class InterfaceChooserTest : public BusWindowTest {};

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

TEST_F(InterfaceChooserTest, CancelChangesNothingAndTheParameterIsCheckedAsTyped) {
  MakeBusWindow("devices=01.01.001");
  BusConnection& connection = link->Connection();
  ASSERT_TRUE(connection.Connected());
  EXPECT_TRUE(frame->CommandEnabled(kCmdSwitchInterface));
  GroupValueService* service = connection.Service();
  const std::string parameter = connection.ConnectionParameter();

  WhenModal<InterfaceChooserDialog>([](InterfaceChooserDialog& dialog) {
    ASSERT_EQ(dialog.InterfaceList().topLevelItemCount(), 2);
    QTreeWidgetItem* tunnel = InterfaceRow(dialog, "KNXnet/IP tunnelling");
    QTreeWidgetItem* virtualBus = InterfaceRow(dialog, "Virtual bus");
    ASSERT_TRUE(tunnel && virtualBus);
    // No interface was chosen in this run yet: the default is preselected and marked.
    EXPECT_EQ(dialog.InterfaceList().currentItem(), virtualBus);
    EXPECT_EQ(virtualBus->text(2), "default");
    EXPECT_EQ(tunnel->text(2), "");
    EXPECT_EQ(tunnel->text(1), "127.0.0.1:3671");
    EXPECT_FALSE(dialog.findChild<QGroupBox*>("searchBox")->isEnabled());
    EXPECT_NE(Type(dialog, "bogus"), "");
    EXPECT_FALSE(dialog.OkButton().isEnabled());

    dialog.InterfaceList().setCurrentItem(tunnel);
    EXPECT_EQ(dialog.ParameterEdit().text(), "127.0.0.1:3671");
    EXPECT_TRUE(dialog.OkButton().isEnabled());
    EXPECT_TRUE(dialog.findChild<QGroupBox*>("searchBox")->isEnabled());
    EXPECT_TRUE(Type(dialog, "10.0.0.1:99999").contains("port \"99999\" is no number"));
    EXPECT_FALSE(dialog.OkButton().isEnabled());
    EXPECT_TRUE(Type(dialog, "10.0.0.300").contains("neither an IPv4 address nor a host name"));
    EXPECT_TRUE(Type(dialog, "gate way:3671").contains("\"gate way\""));
    EXPECT_TRUE(Type(dialog, "10.0.0.1,route").contains("only one is \"nat\""));
    EXPECT_TRUE(Type(dialog, ":3671").contains("host is missing"));
    EXPECT_EQ(Type(dialog, "10.0.0.1:3700,nat"), "");
    EXPECT_TRUE(dialog.OkButton().isEnabled());
    EXPECT_EQ(dialog.Choice().connectionParameter, "10.0.0.1:3700,nat");
    dialog.reject();
  });
  frame->RunCommand(kCmdSwitchInterface);

  EXPECT_TRUE(connection.Connected());
  EXPECT_EQ(connection.Service(), service);
  EXPECT_EQ(connection.ConnectionParameter(), parameter);
  EXPECT_EQ(connection.InterfaceName(), "");
  EXPECT_TRUE(prompt.asked.empty());
  EXPECT_EQ(settings->GetText(kBusAccessKey, kDefaultInterfaceValue), kVirtualBusName);
  EXPECT_FALSE(settings->GetText(kBusAccessParametersKey, knxnetip::kKnxNetIpTunnellingName));
}

TEST_F(InterfaceChooserTest, ASwitchToAnotherBusCarriesTelegramsBothWays) {
  MakeBusWindow("");
  ImportDemo();
  RecordingMonitor monitor;
  link->Reception().SetBusmonitor(&monitor);
  const std::string otherBus = BusName() + "-2";

  WhenModal<InterfaceChooserDialog>([otherBus](InterfaceChooserDialog& dialog) {
    EXPECT_EQ(Type(dialog, QString::fromStdString("name=" + otherBus)), "");
    dialog.OkButton().click();
  });
  frame->RunCommand(kCmdSwitchInterface);
  // The default interface was chosen: no question.
  EXPECT_TRUE(prompt.asked.empty());
  ASSERT_TRUE(link->Connection().Connected());
  EXPECT_EQ(link->Connection().InterfaceName(), kVirtualBusName);
  EXPECT_EQ(settings->GetText(kBusAccessParametersKey, kVirtualBusName), "name=" + otherBus);
  EXPECT_EQ(VirtualBus::Named(BusName())->ConnectionCount(), 0u);
  EXPECT_EQ(VirtualBus::Named(otherBus)->ConnectionCount(), 1u);

  // A telegram on the new bus reaches the item and the busmonitor.
  GroupItem* item = FindItemByAddress(doc->Root(), "1/1/2");
  ASSERT_TRUE(item);
  VirtualBus::Named(otherBus)->InjectGroupWrite(0x1105, kAddress1_1_2, {1});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !monitor.lines.empty(); }, 5000));
  EXPECT_EQ(monitor.lines.front().groupAddress, kAddress1_1_2);
  EXPECT_EQ(item->m_quality, 0xC0);

  // The bus worker sends through the new service.
  ASSERT_EQ(callback.WriteTag(item, Variant::Bool(false)), S_OK);
  EXPECT_TRUE(VirtualBus::Named(otherBus)->WaitForSent(1, 5s));
  VirtualBus::Forget(otherBus);
}

TEST_F(InterfaceChooserTest, ASearchCanBeStoppedAndTheDialogClosedWhileItRuns) {
  MakeBusWindow("");
  // A loopback socket that never answers stands for a network without servers.
  LoopbackUdpSocket silent;
  const QString target = QStringLiteral("127.0.0.1:%1").arg(silent.port());

  std::chrono::steady_clock::time_point closed;
  WhenModal<InterfaceChooserDialog>([&](InterfaceChooserDialog& dialog) {
    dialog.InterfaceList().setCurrentItem(InterfaceRow(dialog, "KNXnet/IP tunnelling"));
    dialog.SetSearchTimeout(3s);
    // A target that is no address starts nothing.
    dialog.SearchTargetEdit().setText("239.1.1.1:0");
    dialog.SearchButton().click();
    EXPECT_FALSE(dialog.Searching());
    EXPECT_TRUE(dialog.SearchStatus().text().contains("239.1.1.1:0"));

    dialog.SearchTargetEdit().setText(target);
    dialog.SearchButton().click();
    EXPECT_TRUE(dialog.Searching());
    EXPECT_EQ(dialog.SearchButton().text(), "&Stop");
    QTest::qWait(400);
    EXPECT_TRUE(dialog.SearchProgress().isVisible());
    EXPECT_GT(dialog.SearchProgress().value(), 0);
    dialog.SearchButton().click();  // stop
    EXPECT_FALSE(dialog.Searching());
    EXPECT_FALSE(dialog.SearchProgress().isVisible());
    EXPECT_EQ(dialog.SearchButton().text(), "&Search");

    // Searching again, then closing the dialog: it goes at once.
    dialog.SetSearchTimeout(30s);
    dialog.SearchButton().click();
    EXPECT_TRUE(dialog.Searching());
    closed = std::chrono::steady_clock::now();
    dialog.reject();
  });
  frame->RunCommand(kCmdSwitchInterface);
  EXPECT_LT(std::chrono::steady_clock::now() - closed, 5s);
  EXPECT_TRUE(link->Connection().Connected());
}

TEST_F(InterfaceChooserTest, TheWindowRepaintsWhileASwitchWaitsForTheWorkers) {
  MakeBusWindow("");
  PaintCounter counter;
  frame->List().viewport()->installEventFilter(&counter);
  frame->List().viewport()->update();
  // What the connection calls, round after round, while a worker thread lets go of the old
  // interface: pending paints are done.
  const std::function<void()> wait = frame->Seams().busSwitchWait;
  ASSERT_TRUE(wait);
  for (int round = 0; round < 20 && counter.paints == 0; ++round) wait();
  EXPECT_GT(counter.paints, 0);
}

}  // namespace
