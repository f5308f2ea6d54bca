// InterfaceChooserDialog: the bus access component's dialog for choosing the KNX bus interface.
#pragma once

#include <QDialog>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "knx/driver_interface_chooser.h"

class GatewaySearchRunner;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// Lists the known interfaces with their connection parameters and marks the default; the
// parameter of the selected interface is edited below the list and checked at each key stroke
// (OK stays disabled and the reason is shown while it is wrong). For KNXnet/IP tunnelling a
// search lists the tunnelling servers that answer, and picking one fills in its address.
// The texts are the component's own, not the language file's.
class InterfaceChooserDialog : public QDialog {
  Q_OBJECT

 public:
  // `currentName` is preselected; when it is not among `interfaces`, the default is.
  InterfaceChooserDialog(const std::vector<InterfaceInfo>& interfaces,
                         const std::string& currentName, QWidget* parent = nullptr);
  ~InterfaceChooserDialog() override;

  // The InterfaceChoiceDialog of the window: the dialog shown modally; nothing when cancelled.
  static std::optional<InterfaceChoice> Choose(QWidget* parent,
                                               const std::vector<InterfaceInfo>& interfaces,
                                               const std::string& currentName);

  // The selected interface and its parameter as they stand.
  InterfaceChoice Choice() const;
  // How long a search waits for answers (3 s).
  void SetSearchTimeout(std::chrono::milliseconds timeout) { m_searchTimeout = timeout; }
  bool Searching() const;

  // The parts, for the window's tests.
  QTreeWidget& InterfaceList() { return *m_interfaces; }
  QLineEdit& ParameterEdit() { return *m_parameter; }
  QLabel& ProblemLabel() { return *m_problem; }
  QPushButton& OkButton() { return *m_ok; }
  QLineEdit& SearchTargetEdit() { return *m_searchTarget; }
  QPushButton& SearchButton() { return *m_searchButton; }
  QProgressBar& SearchProgress() { return *m_progress; }
  QLabel& SearchStatus() { return *m_searchStatus; }
  QTreeWidget& ServerList() { return *m_servers; }

  void accept() override;

 private:
  void OnInterfaceSelected();
  void OnParameterEdited(const QString& text);
  void CheckParameter();
  bool TunnellingSelected() const;
  void StartOrStopSearch();
  void OnSearchFinished();
  void EndSearchDisplay();
  void OnServerSelected();

  std::vector<InterfaceInfo> m_infos;  // in the list's order
  QTreeWidget* m_interfaces = nullptr;
  QLineEdit* m_parameter = nullptr;
  QLabel* m_problem = nullptr;
  QPushButton* m_ok = nullptr;
  QLineEdit* m_searchTarget = nullptr;
  QPushButton* m_searchButton = nullptr;
  QProgressBar* m_progress = nullptr;
  QLabel* m_searchStatus = nullptr;
  QTreeWidget* m_servers = nullptr;
  QTimer* m_progressTimer = nullptr;
  GatewaySearchRunner* m_search = nullptr;
  std::chrono::milliseconds m_searchTimeout{3000};
  std::chrono::steady_clock::time_point m_searchStart;
};
