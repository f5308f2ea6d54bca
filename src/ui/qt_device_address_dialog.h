// QtDeviceAddressDialog: dialog 180, in which the user types the address of a new or edited device.
#pragma once

#include "devices/device_address_dialog.h"

class Prompt;
class QWidget;

// Each Run shows a modal dialog with the texts of dialog 180: the label, the address in edit
// control 1010 (object name "edit1010"), OK and Cancel. OK runs the check; its message goes
// through `prompt` and the dialog stays open.
class QtDeviceAddressDialog : public DeviceAddressDialog {
 public:
  QtDeviceAddressDialog(Prompt& prompt, QWidget* parent) : m_prompt(prompt), m_parent(parent) {}

  bool Run(std::string& address, const std::function<unsigned(std::string&)>& validate) override;

 private:
  Prompt& m_prompt;
  QWidget* m_parent;
};
