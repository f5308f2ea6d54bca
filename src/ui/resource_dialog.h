// ResourceDialog: a modal dialog laid out from the controls a language file declares for it.
#pragma once

#include <QDialog>
#include <functional>
#include <map>

struct DialogControl;

// The controls are laid out in the file's order, one per row: a label followed by an edit or
// a drop-down shares its row; radio buttons after a group box go inside it, and consecutive
// radio buttons are exclusive. Buttons 1 (OK) and 2 (Cancel) form the button row. Each control
// is named "control<id>" and found by its id.
class ResourceDialog : public QDialog {
  Q_OBJECT

 public:
  ResourceDialog(unsigned dialogId, QWidget* parent);

  QWidget* Control(unsigned id) const;
  template <class Widget>
  Widget* ControlAs(unsigned id) const {
    return qobject_cast<Widget*>(Control(id));
  }

  // OK closes the dialog only when this returns true (a refused field keeps it open).
  void SetValidator(std::function<bool()> validate) { m_validate = std::move(validate); }
  void accept() override;

 protected:
  // Builds the controls; `make` may supply the widget of a control (null: the usual one).
  void Build(const std::function<QWidget*(const DialogControl&)>& make = {});

 private:
  unsigned m_dialogId;
  std::map<unsigned, QWidget*> m_controls;
  std::function<bool()> m_validate;
};
