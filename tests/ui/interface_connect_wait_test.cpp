// The window while a KNXnet/IP tunnel to a server that never answers is being opened: it keeps
// running its event loop, shows that it connects, lets no command or close through, and ends
// with the error of the interface.
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

#include "bus/bus_connection.h"
#include "bus_window_fixture.h"
#include "knx/knxnetip/knxnetip_bus_driver.h"
#include "loopback_udp_socket.h"
#include "ui/interface_chooser_dialog.h"

namespace {

using namespace std::chrono_literals;

constexpr unsigned kCmdSimulation = 32867;

class InterfaceConnectWaitTest : public BusWindowTest {};

}  // namespace

TEST_F(InterfaceConnectWaitTest, TheWindowRunsWhileATunnelToASilentServerOpens) {
  // The tunnel driver with a short wait for the first connection, registered before the
  // window's drivers so that it serves "KNXnet/IP tunnelling".
  knxnetip::KnxNetIpDriverTiming timing;
  timing.openWait = 600ms;
  BusDriverEntry tunnel = knxnetip::KnxNetIpDriverEntry();
  tunnel.create = [timing] { return std::make_shared<knxnetip::KnxNetIpBusDriver>(timing); };
  ASSERT_TRUE(component.RegisterDriver(tunnel));
  MakeBusWindow("");
  const QString idle = frame->statusBar()->currentMessage();
  LoopbackUdpSocket silent;  // bound, so nothing refuses the requests, and never answering

  WhenModal<InterfaceChooserDialog>([&](InterfaceChooserDialog& dialog) {
    const auto rows =
        dialog.InterfaceList().findItems(QStringLiteral("KNXnet/IP tunnelling"), Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1);
    dialog.InterfaceList().setCurrentItem(rows.front());
    dialog.ParameterEdit().setText(QStringLiteral("127.0.0.1:%1").arg(silent.port()));
    dialog.OkButton().click();
  });
  // A timer of the window's event loop looks at the window while the tunnel is being opened,
  // and tries a document command and closing the window meanwhile.
  int ticksWhileConnecting = 0;
  bool waitCursor = true;
  bool closed = false;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (frame->statusBar()->currentMessage() != "Connecting to the KNX bus interface...") return;
    ++ticksWhileConnecting;
    const QCursor* cursor = QApplication::overrideCursor();
    waitCursor = waitCursor && cursor && cursor->shape() == Qt::WaitCursor;
    frame->RunCommand(kCmdSimulation);
    closed = closed || frame->close();
  });
  timer.start();
  frame->RunCommand(kCmdSwitchInterface);
  timer.stop();

  EXPECT_GE(ticksWhileConnecting, 2);
  EXPECT_TRUE(waitCursor);
  EXPECT_FALSE(doc->Simulation());
  EXPECT_FALSE(closed);
  EXPECT_TRUE(frame->isVisible());
  // The chosen interface is no default: the question, then the error of the silent server.
  ASSERT_EQ(prompt.asked, (std::vector<unsigned>{kMsgMakeDefaultInterface, kMsgOpenError}));
  EXPECT_EQ(prompt.inserts[1], "DeviceOpenErrorDriverOpenError");
  EXPECT_EQ(frame->statusBar()->currentMessage(), idle);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  BusConnection& connection = link->Connection();
  EXPECT_EQ(connection.InterfaceName(), knxnetip::kKnxNetIpTunnellingName);
  EXPECT_TRUE(connection.Connected());
  EXPECT_FALSE(connection.LinkUp());
  EXPECT_FALSE(frame->LinkShownUp());
}
