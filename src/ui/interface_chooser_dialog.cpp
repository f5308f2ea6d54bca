// InterfaceChooserDialog: the interface list, the parameter check and the server search.
#include "ui/interface_chooser_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "knx/connection_parameter_check.h"
#include "knx/knxnetip/gateway_search.h"
#include "knx/knxnetip/knxnetip_interface.h"
#include "knx/knxnetip/posix_udp_socket.h"
#include "knx/knxnetip/tunnel_server_address.h"
#include "knx/physical_address.h"
#include "ui/ansi_text.h"
#include "ui/gateway_search_runner.h"

namespace {

constexpr int kIndexRole = Qt::UserRole;
constexpr int kColName = 0;
constexpr int kColParameter = 1;
constexpr int kColDefault = 2;
constexpr int kColServerName = 0;
constexpr int kColServerAddress = 1;
constexpr int kColServerPort = 2;
constexpr int kColServerIndividual = 3;
constexpr int kProgressStepMs = 100;

// "a.b.c.d" and the port of an endpoint that a search found.
QString HostText(const knxnetip::Hpai& endpoint) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg(endpoint.address[0])
      .arg(endpoint.address[1])
      .arg(endpoint.address[2])
      .arg(endpoint.address[3]);
}

// A server's name as it may be shown: control characters become blanks.
QString ServerName(const std::string& name) {
  QString text = FromAnsi(name);
  for (QChar& c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
  }
  return text;
}

bool HasNatOption(const QString& parameter) {
  const int comma = parameter.indexOf(QLatin1Char(','));
  return comma >= 0 &&
         parameter.mid(comma + 1).trimmed().compare(QLatin1String("nat"), Qt::CaseInsensitive) == 0;
}

}  // namespace

InterfaceChooserDialog::InterfaceChooserDialog(const std::vector<InterfaceInfo>& interfaces,
                                               const std::string& currentName, QWidget* parent)
    : QDialog(parent), m_infos(interfaces) {
  setObjectName(QStringLiteral("interfaceChooserDialog"));
  setWindowTitle(QStringLiteral("KNX Bus Interface"));
  auto* layout = new QVBoxLayout(this);

  auto* listLabel = new QLabel(QStringLiteral("&Interfaces:"), this);
  layout->addWidget(listLabel);
  m_interfaces = new QTreeWidget(this);
  listLabel->setBuddy(m_interfaces);
  m_interfaces->setObjectName(QStringLiteral("interfaces"));
  m_interfaces->setRootIsDecorated(false);
  m_interfaces->setHeaderLabels({QStringLiteral("Interface"),
                                 QStringLiteral("Connection parameter"),
                                 QStringLiteral("Default")});
  m_interfaces->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(m_interfaces);

  auto* form = new QFormLayout;
  m_parameter = new QLineEdit(this);
  m_parameter->setObjectName(QStringLiteral("parameter"));
  auto* parameterLabel = new QLabel(QStringLiteral("Connection &parameter:"), this);
  parameterLabel->setBuddy(m_parameter);
  form->addRow(parameterLabel, m_parameter);
  layout->addLayout(form);
  m_problem = new QLabel(this);
  m_problem->setObjectName(QStringLiteral("problem"));
  m_problem->setWordWrap(true);
  m_problem->setStyleSheet(QStringLiteral("color: #b00020;"));
  layout->addWidget(m_problem);

  auto* searchBox = new QGroupBox(QStringLiteral("KNXnet/IP tunnelling servers"), this);
  searchBox->setObjectName(QStringLiteral("searchBox"));
  auto* searchLayout = new QVBoxLayout(searchBox);
  auto* searchRow = new QHBoxLayout;
  auto* targetLabel = new QLabel(QStringLiteral("Search &at:"), searchBox);
  m_searchTarget = new QLineEdit(
      FromAnsi(knxnetip::EndpointText(knxnetip::HpaiOf(knxnetip::GatewaySearch::StandardGroup()))),
      searchBox);
  m_searchTarget->setObjectName(QStringLiteral("searchTarget"));
  m_searchTarget->setToolTip(
      QStringLiteral("The KNXnet/IP multicast group, or the address of one server"));
  targetLabel->setBuddy(m_searchTarget);
  m_searchButton = new QPushButton(QStringLiteral("&Search"), searchBox);
  m_searchButton->setObjectName(QStringLiteral("search"));
  m_searchButton->setAutoDefault(false);
  searchRow->addWidget(targetLabel);
  searchRow->addWidget(m_searchTarget, 1);
  searchRow->addWidget(m_searchButton);
  searchLayout->addLayout(searchRow);
  m_progress = new QProgressBar(searchBox);
  m_progress->setObjectName(QStringLiteral("searchProgress"));
  m_progress->setRange(0, 100);
  m_progress->setTextVisible(false);
  m_progress->hide();
  searchLayout->addWidget(m_progress);
  m_servers = new QTreeWidget(searchBox);
  m_servers->setObjectName(QStringLiteral("servers"));
  m_servers->setRootIsDecorated(false);
  m_servers->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Address"),
                              QStringLiteral("Port"), QStringLiteral("Individual address")});
  searchLayout->addWidget(m_servers);
  m_searchStatus = new QLabel(searchBox);
  m_searchStatus->setObjectName(QStringLiteral("searchStatus"));
  m_searchStatus->setWordWrap(true);
  searchLayout->addWidget(m_searchStatus);
  layout->addWidget(searchBox);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &InterfaceChooserDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &InterfaceChooserDialog::reject);

  m_search = new GatewaySearchRunner(this);
  m_progressTimer = new QTimer(this);
  m_progressTimer->setInterval(kProgressStepMs);
  connect(m_progressTimer, &QTimer::timeout, this, [this] {
    const auto passed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_searchStart);
    const auto whole = std::max<std::int64_t>(1, m_searchTimeout.count());
    m_progress->setValue(
        static_cast<int>(std::min<std::int64_t>(100, passed.count() * 100 / whole)));
  });
  connect(m_search, &GatewaySearchRunner::Finished, this,
          &InterfaceChooserDialog::OnSearchFinished);
  connect(m_searchButton, &QPushButton::clicked, this, &InterfaceChooserDialog::StartOrStopSearch);
  connect(m_servers, &QTreeWidget::itemSelectionChanged, this,
          &InterfaceChooserDialog::OnServerSelected);
  connect(m_servers, &QTreeWidget::itemDoubleClicked, this, [this] {
    OnServerSelected();
    if (m_ok->isEnabled()) accept();
  });
  connect(m_parameter, &QLineEdit::textEdited, this, &InterfaceChooserDialog::OnParameterEdited);

  QTreeWidgetItem* preselected = nullptr;
  for (std::size_t i = 0; i < m_infos.size(); ++i) {
    const InterfaceInfo& info = m_infos[i];
    auto* row = new QTreeWidgetItem(m_interfaces);
    row->setText(kColName, FromAnsi(info.name));
    row->setText(kColParameter, FromAnsi(info.connectionParameter));
    row->setText(kColDefault, info.isDefault != 0 ? QStringLiteral("default") : QString());
    row->setData(kColName, kIndexRole, static_cast<int>(i));
    if (info.isDefault != 0) {
      QFont font = row->font(kColName);
      font.setBold(true);
      row->setFont(kColName, font);
      if (!preselected) preselected = row;
    }
  }
  for (int i = 0; i < m_interfaces->topLevelItemCount(); ++i) {
    if (ToAnsi(m_interfaces->topLevelItem(i)->text(kColName)) == currentName)
      preselected = m_interfaces->topLevelItem(i);
  }
  if (!preselected) preselected = m_interfaces->topLevelItem(0);
  connect(m_interfaces, &QTreeWidget::itemSelectionChanged, this,
          &InterfaceChooserDialog::OnInterfaceSelected);
  if (preselected) m_interfaces->setCurrentItem(preselected);
  OnInterfaceSelected();
  m_interfaces->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  resize(560, 520);
}

// Closed during a search, the runner cancels it and waits for its thread, which returns at once.
InterfaceChooserDialog::~InterfaceChooserDialog() = default;

std::optional<InterfaceChoice> InterfaceChooserDialog::Choose(
    QWidget* parent, const std::vector<InterfaceInfo>& interfaces, const std::string& currentName) {
  InterfaceChooserDialog dialog(interfaces, currentName, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choice();
}

InterfaceChoice InterfaceChooserDialog::Choice() const {
  InterfaceChoice choice;
  if (const QTreeWidgetItem* row = m_interfaces->currentItem()) {
    choice.name = ToAnsi(row->text(kColName));
    choice.connectionParameter = ToAnsi(row->text(kColParameter).trimmed());
  }
  return choice;
}

bool InterfaceChooserDialog::Searching() const {
  return m_search->Running();
}

bool InterfaceChooserDialog::TunnellingSelected() const {
  const QTreeWidgetItem* row = m_interfaces->currentItem();
  if (!row) return false;
  return m_infos[row->data(kColName, kIndexRole).toInt()].interfaceGuid ==
         knxnetip::kKnxNetIpTunnellingGuid;
}

void InterfaceChooserDialog::OnInterfaceSelected() {
  const QTreeWidgetItem* row = m_interfaces->currentItem();
  m_parameter->setEnabled(row != nullptr);
  m_parameter->setText(row ? row->text(kColParameter) : QString());
  const bool tunnelling = TunnellingSelected();
  if (!tunnelling && m_search->Running()) {
    m_search->Cancel();
    EndSearchDisplay();
  }
  findChild<QGroupBox*>(QStringLiteral("searchBox"))->setEnabled(tunnelling);
  CheckParameter();
}

void InterfaceChooserDialog::OnParameterEdited(const QString& text) {
  if (QTreeWidgetItem* row = m_interfaces->currentItem()) row->setText(kColParameter, text);
  CheckParameter();
}

void InterfaceChooserDialog::CheckParameter() {
  const QTreeWidgetItem* row = m_interfaces->currentItem();
  if (!row) {
    m_problem->setText(QStringLiteral("No bus interface is known."));
    m_ok->setEnabled(false);
    return;
  }
  const InterfaceInfo& info = m_infos[row->data(kColName, kIndexRole).toInt()];
  const std::string problem =
      ConnectionParameterProblem(info.interfaceGuid, ToAnsi(m_parameter->text()));
  QString text = FromAnsi(problem);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  m_problem->setText(text.isEmpty() ? QString() : text + QLatin1Char('.'));
  m_ok->setEnabled(problem.empty());
}

void InterfaceChooserDialog::accept() {
  CheckParameter();
  if (!m_ok->isEnabled()) return;
  // A host name is resolved once here, so that a name that does not resolve is reported now
  // rather than as an interface that cannot be opened.
  if (TunnellingSelected()) {
    const std::string parameter = ToAnsi(m_parameter->text());
    const auto text = knxnetip::SplitTunnelServer(parameter);
    if (text && !text->hostIsAddress) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      const bool resolves = knxnetip::ParseTunnelServer(parameter).has_value();
      QApplication::restoreOverrideCursor();
      if (!resolves) {
        m_problem->setText(
            QStringLiteral("The host name \"%1\" does not resolve to an IPv4 address.")
                .arg(FromAnsi(text->host)));
        return;
      }
    }
  }
  m_search->Cancel();
  QDialog::accept();
}

void InterfaceChooserDialog::StartOrStopSearch() {
  if (m_search->Running()) {
    m_search->Cancel();
    EndSearchDisplay();
    m_searchStatus->setText(QStringLiteral("The search was stopped."));
    return;
  }
  const std::string target = ToAnsi(m_searchTarget->text());
  const auto server = knxnetip::ParseTunnelServer(target);
  if (!server || server->nat) {
    m_searchStatus->setText(
        QStringLiteral("\"%1\" is no HOST[:PORT] with an IPv4 host and a port from 1 to 65535.")
            .arg(m_searchTarget->text()));
    return;
  }
  m_servers->clear();
  m_searchStatus->setText(QStringLiteral("Searching..."));
  m_searchButton->setText(QStringLiteral("&Stop"));
  m_searchTarget->setEnabled(false);
  m_progress->setValue(0);
  m_progress->show();
  m_searchStart = std::chrono::steady_clock::now();
  m_progressTimer->start();
  m_search->Start(server->address, m_searchTimeout);
}

void InterfaceChooserDialog::EndSearchDisplay() {
  m_progressTimer->stop();
  m_progress->hide();
  m_searchButton->setText(QStringLiteral("&Search"));
  m_searchTarget->setEnabled(true);
}

void InterfaceChooserDialog::OnSearchFinished() {
  EndSearchDisplay();
  if (!m_search->Error().empty()) {
    m_searchStatus->setText(
        QStringLiteral("The search failed: %1.").arg(FromAnsi(m_search->Error())));
    return;
  }
  for (const knxnetip::FoundGateway& gateway : m_search->Found()) {
    auto* row = new QTreeWidgetItem(m_servers);
    row->setText(kColServerName, ServerName(gateway.name));
    row->setText(kColServerAddress, HostText(gateway.control));
    row->setText(kColServerPort, QString::number(gateway.control.port));
    row->setText(kColServerIndividual, FromAnsi(FormatPhysicalAddress(gateway.individualAddress)));
  }
  const auto count = m_search->Found().size();
  if (count == 0) {
    m_searchStatus->setText(QStringLiteral("No KNXnet/IP tunnelling server answered within %1 s.")
                                .arg(static_cast<double>(m_searchTimeout.count()) / 1000.0));
  } else {
    m_searchStatus->setText(
        count == 1 ? QStringLiteral("1 server answered; pick it to use it.")
                   : QStringLiteral("%1 servers answered; pick one to use it.").arg(count));
  }
}

void InterfaceChooserDialog::OnServerSelected() {
  const QTreeWidgetItem* server = m_servers->currentItem();
  if (!server || !server->isSelected() || !TunnellingSelected()) return;
  QString parameter =
      server->text(kColServerAddress) + QLatin1Char(':') + server->text(kColServerPort);
  // A route-back request through NAT stays as the user asked for it.
  if (HasNatOption(m_parameter->text())) parameter += QStringLiteral(",nat");
  m_parameter->setText(parameter);
  OnParameterEdited(parameter);
}
