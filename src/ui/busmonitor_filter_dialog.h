// BusmonitorFilterDialog: dialog 178, the three group address patterns of the busmonitor.
#pragma once

#include "ui/address_pattern.h"
#include "ui/resource_dialog.h"

class Prompt;

// Edits 1010 (main group), 1011 (middle group, disabled and empty with two-level addresses)
// and 1012 (subgroup). OK checks the enabled fields in that order; the first one refused shows
// its message (148, 149, 150) and the dialog stays open.
class BusmonitorFilterDialog : public ResourceDialog {
  Q_OBJECT

 public:
  BusmonitorFilterDialog(const AddressPatterns& patterns, bool twoLevel, Prompt& prompt,
                         QWidget* parent);

  // The accepted patterns (the middle one "*" with two-level addresses).
  const AddressPatterns& Patterns() const { return m_patterns; }

 private:
  bool CheckFields();

  AddressPatterns m_patterns;
  bool m_twoLevel;
  Prompt& m_prompt;
};
