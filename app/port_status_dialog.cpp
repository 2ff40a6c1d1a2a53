#include "app/port_status_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "app/qz7_application.h"
#include "net/firewall_rules.h"

namespace qz7 {

namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

PortStatusDialog::PortStatusDialog(QWidget* owner, const PortStatusReport& report,
                                   const std::vector<std::string>& firewallLines)
    : QDialog(owner), table_(new QTableWidget(this)) {
    setObjectName(QStringLiteral("PortStatusDialog"));
    setWindowTitle(applicationTitle());
    auto* layout = new QVBoxLayout(this);
    for (const std::string& line : portStatusPreamble(report)) {
        auto* label = new QLabel(text(line), this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (line == kProviderNatWarning) {
            label->setObjectName(QStringLiteral("PortStatusWarning"));
            label->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
            label->setWordWrap(true);
        }
        layout->addWidget(label);
        preamble_ << label->text();
    }

    fillTable(report);
    layout->addWidget(table_);

    summary_ = text(portStatusSummary(report));
    if (!report.batch.success())
        summary_ +=
            QStringLiteral("\n") + text(portBatchMessage(PortBatchAction::Check, report.batch));
    auto* summary = new QLabel(summary_, this);
    summary->setObjectName(QStringLiteral("PortStatusSummary"));
    layout->addWidget(summary);

    if (!firewallLines.empty()) {
        firewall_ << text(std::string(kFirewallHeading));
        for (const std::string& line : firewallLines) firewall_ << text(line);
        auto* firewall = new QLabel(firewall_.join(QLatin1Char('\n')), this);
        firewall->setObjectName(QStringLiteral("PortStatusFirewall"));
        firewall->setTextInteractionFlags(Qt::TextSelectableByMouse);
        firewall->setWordWrap(true);
        layout->addWidget(firewall);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* copy =
        buttons->addButton(QStringLiteral("Копировать"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("PortStatusCopy"));
    QPushButton* close =
        buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(copy, &QPushButton::clicked, this, [this] { copyToClipboard(false); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    auto* copySelection = new QShortcut(QKeySequence::Copy, table_);
    copySelection->setContext(Qt::WidgetShortcut);
    connect(copySelection, &QShortcut::activated, this, [this] { copyToClipboard(true); });
    resize(560, 600);
}

void PortStatusDialog::fillTable(const PortStatusReport& report) {
    table_->setObjectName(QStringLiteral("PortStatusTable"));
    const PortStatusRow heading = portStatusHeading();
    table_->setColumnCount(int(heading.size()));
    QStringList labels;
    for (const std::string& cell : heading) labels << text(cell);
    table_->setHorizontalHeaderLabels(labels);
    const std::vector<PortStatusRow> rows = portStatusRows(report);
    table_->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        for (int column = 0; column < int(heading.size()); ++column) {
            auto* item = new QTableWidgetItem;
            // The port sorts as a number, the rest as text.
            if (column == 0)
                item->setData(Qt::DisplayRole, report.mappings[std::size_t(row)].port.port);
            else
                item->setText(text(rows[std::size_t(row)][std::size_t(column)]));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            table_->setItem(row, column, item);
        }
    }
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setSortingEnabled(true);
    // Wide enough for the heading and its sort arrow; the description takes what is left.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);  // the router's order until a heading is clicked
}

QString PortStatusDialog::reportText(bool selectedOnly) const {
    std::set<int> selected;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        selected.insert(index.row());
    const bool onlySelected = selectedOnly && !selected.empty();
    QStringList lines;
    if (!onlySelected) lines << preamble_;
    QStringList heading;
    for (int column = 0; column < table_->columnCount(); ++column)
        heading << table_->horizontalHeaderItem(column)->text();
    lines << heading.join(QLatin1Char('\t'));
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (onlySelected && selected.count(row) == 0) continue;
        QStringList cells;
        for (int column = 0; column < table_->columnCount(); ++column)
            cells << table_->item(row, column)->text();
        lines << cells.join(QLatin1Char('\t'));
    }
    if (!onlySelected) lines << summary_ << firewall_;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void PortStatusDialog::copyToClipboard(bool selectedOnly) {
    QApplication::clipboard()->setText(reportText(selectedOnly));
}

}  // namespace qz7
