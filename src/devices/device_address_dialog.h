// DeviceAddressDialog: the dialog in which the user types the address of a new or edited device.
#pragma once

#include <functional>
#include <string>

// Implemented by the main window (dialog resource 180, address in edit control 1010). The
// document's device commands only see this interface.
class DeviceAddressDialog {
 public:
  // Shows `address` in the edit control. On OK the dialog calls `validate` with the text typed:
  // a result of 0 means valid (the text comes back rewritten in the text form, which the
  // dialog puts back into the edit control) and the dialog closes, returning true with the
  // text in `address`; any other result is the string resource to show, after which the dialog
  // stays open with the (possibly rewritten) text. Cancel returns false.
  virtual bool Run(std::string& address, const std::function<unsigned(std::string&)>& validate) = 0;

 protected:
  ~DeviceAddressDialog() = default;
};
