// NameBox: the dialog (182) in which the user names a new group or renames a group or the
// project.
#pragma once

#include <QDialog>
#include <string>

class Prompt;
class QLineEdit;

// The prompt above the edit field is a language string chosen by the command. OK with an
// empty name is refused with message 32818 and the dialog stays open.
class NameBox : public QDialog {
  Q_OBJECT

 public:
  NameBox(Prompt& prompt, unsigned promptString, const std::string& name,
          QWidget* parent = nullptr);

  // The entered name (Windows-1252).
  std::string Name() const;
  QLineEdit& Edit() { return *m_edit; }

  void accept() override;

 private:
  Prompt& m_prompt;
  QLineEdit* m_edit = nullptr;
};
