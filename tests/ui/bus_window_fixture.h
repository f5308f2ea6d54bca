// Test fixture of the main window wired to the bus as the application wires it: the bus link
// on a component with the KNXnet/IP and virtual bus drivers, the device check, the window's
// interface chooser and device address dialog; modal dialogs are driven from their own loop.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/zelvox_application.h"
#include "bus/bus_link.h"
#include "bus/telegram_line_view.h"
#include "devices/device_supervision.h"
#include "knx/bus_classes.h"
#include "knx/knxnetip/knxnetip_interface.h"
#include "knx/virtual_bus/virtual_bus.h"
#include "knx/virtual_bus/virtual_bus_interface.h"
#include "project/document_seams.h"
#include "project/document_settings.h"
#include "window_fixture.h"

// Stands for the busmonitor: the lines the telegram reception gives it.
class RecordingMonitor : public TelegramLineView {
 public:
  struct Line {
    std::uint16_t groupAddress;
    std::string type;
    std::string data;
  };
  bool Paused() const override { return false; }
  void AddTelegramLine(std::string_view, std::uint16_t groupAddress, std::string_view,
                       std::string_view, std::string_view type, std::string_view data,
                       std::string_view) override {
    lines.push_back({groupAddress, std::string(type), std::string(data)});
  }
  std::vector<Line> lines;
};

class BusWindowTest : public WindowTest {
 protected:
  ~BusWindowTest() override {
    CloseBusWindow();
    VirtualBus::Forget(BusName());
  }

  // This test's own virtual bus.
  static std::string BusName() {
    return std::string("ui-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  // The window and a document connected to the default interface, the virtual bus with
  // `parameter` (its name is added first), with the device check's interval `pingTime`.
  void MakeBusWindow(const std::string& parameter, std::int32_t pingTime = 0) {
    CloseBusWindow();
    component.RegisterDriver(knxnetip::KnxNetIpDriverEntry());
    component.RegisterDriver(VirtualBusDriverEntry());
    settings->SetText(kBusAccessKey, kDefaultInterfaceValue, kVirtualBusName);
    settings->SetText(kBusAccessParametersKey, kVirtualBusName,
                      "name=" + BusName() + (parameter.empty() ? "" : ";" + parameter));
    settings->SetInt(kParameterKey, "PingTime", pingTime);

    CMainFrame::Services frameServices{prompt, dialogs, *settings, false,
                                       [this] { return clients; }};
    frame = std::make_unique<CMainFrame>(frameServices);
    const WindowSeams window = frame->Seams();
    RegisterBusClasses(component, mainThread, *settings, window.interfaceChoice);
    link = std::make_unique<BusLink>(mainThread, component);
    link->SetViews(window.busViews);
    link->Connection().SetWaitHook(window.busSwitchWait);
    link->Connection().SetConnectingHook(window.busConnecting);
    link->Connection().SetModeSettleTime(std::chrono::milliseconds(0));
    supervision =
        std::make_shared<DeviceSupervision>(DeviceCheckWiring{*settings, &link->Connection()});
    supervision->SetViews(window.deviceViews);
    supervision->SetDialog(window.deviceAddressDialog);
    DocumentSeams seams;
    link->WireSeams(seams);
    InstallDeviceCheck(seams, supervision);

    CDORAzivazDoc::Services services{callback, prompt, mainThread, *settings};
    services.strings = [](unsigned id) { return Language()->String(id); };
    services.views = window.views;
    services.fileDialogs = window.fileDialogs;
    doc = std::make_unique<CDORAzivazDoc>(services, std::move(seams));
    supervision->RegisterCommands(*doc);
    frame->Attach(doc.get());
    frame->SetLinkState([this] { return link && link->Connection().LinkUp(); });
    frame->resize(1000, 600);
    frame->show();
    QApplication::processEvents();
  }

  // In the application's order: the views forget the records, the bus worker stops, the
  // document goes (device check ended, bus disconnected), then the bus parts and the window.
  void CloseBusWindow() {
    if (frame) {
      frame->SetTelegramReception(nullptr);  // the reception goes with the bus link
      frame->ClearViews();
      frame->SetLinkState({});
      frame->Attach(nullptr);
    }
    if (doc) doc->StopBusWorker();
    doc.reset();
    link.reset();
    supervision.reset();
    frame.reset();
  }

  // Runs `step` on the modal dialog of type `Dialog` once the next command has shown it; the
  // step closes it (a step cut short by a failed assertion leaves it to be cancelled). A
  // dialog that does not come within 5 s fails the test.
  template <typename Dialog>
  void WhenModal(std::function<void(Dialog&)> step) {
    QTimer::singleShot(0, frame.get(), [step] {
      Dialog* dialog = nullptr;
      const bool shown = QTest::qWaitFor([&] {
        dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        return dialog != nullptr;
      });
      if (!shown) {
        ADD_FAILURE() << "no modal dialog came";
        return;
      }
      step(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
  }

  static QAbstractButton* ButtonOfRole(QDialog& dialog, QDialogButtonBox::ButtonRole role) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    if (!box) return nullptr;
    for (QAbstractButton* button : box->buttons()) {
      if (box->buttonRole(button) == role) return button;
    }
    return nullptr;
  }

  BusComponent component;
  std::unique_ptr<BusLink> link;
  std::shared_ptr<DeviceSupervision> supervision;
};
