#pragma once

#include <QDialog>

#include "net/port_status.h"

class QLabel;
class QTableWidget;

namespace qz7 {

// The result of "Проверить порты": the router's external address (with the warning when it sits
// behind the provider's NAT), a table of the 70 mappings that sorts by any column when its
// heading is clicked, and the count of each state. "Копировать" puts the whole report on the
// clipboard as text, rows in the order shown; Ctrl+C in the table copies the selected rows.
// Where the system has Windows' firewall, its state follows the count.
class PortStatusDialog final : public QDialog {
  public:
    PortStatusDialog(QWidget* owner, const PortStatusReport& report,
                     const std::vector<std::string>& firewallLines = {});

    // The report as text: the lines above the table, the heading and the rows in the order shown
    // (only the selected ones when selectedOnly and some are selected), the count and the
    // firewall's state.
    QString reportText(bool selectedOnly = false) const;

  private:
    void fillTable(const PortStatusReport& report);
    void copyToClipboard(bool selectedOnly);

    QStringList preamble_;
    QString summary_;
    QStringList firewall_;  // the heading and the firewall's lines; empty without one
    QTableWidget* table_;
};

}  // namespace qz7
