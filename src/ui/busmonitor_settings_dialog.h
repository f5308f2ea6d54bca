// BusmonitorSettingsDialog: dialog 177, the busmonitor's line limit and address form.
#pragma once

#include <cstdint>

#include "ui/resource_dialog.h"

// Edit 1010: the most lines kept, a whole number in the range "MaxLines" allows; radio 1005
// two-level addresses, 1006 three-level.
class BusmonitorSettingsDialog : public ResourceDialog {
  Q_OBJECT

 public:
  BusmonitorSettingsDialog(std::uint32_t maxLines, bool twoLevel, QWidget* parent);

  std::uint32_t MaxLines() const;
  bool TwoLevel() const;
};
