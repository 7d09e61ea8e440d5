#include "app/StatusList.h"

#include "app/WindowTexts.h"

#include <QHeaderView>

namespace app {
namespace {

// The item column takes a third of the width, as the 60 and 120 pixels of the template.
constexpr int kItemShareDivisor = 3;

} // namespace

CStatusList::CStatusList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    header()->setStretchLastSection(true);
}

void CStatusList::ShowRows(const std::vector<gateway::StatusRow>& rows) {
    clear();
    for (const gateway::StatusRow& row : rows) {
        auto* item = new QTreeWidgetItem(this);
        const QString label = FromGbk(row.label);
        const QString value = FromGbk(row.value);
        item->setText(0, label);
        item->setText(1, value);
        const QString spoken = label + QStringLiteral(": ") + value;
        item->setData(0, Qt::AccessibleTextRole, spoken);
        item->setData(1, Qt::AccessibleTextRole, spoken);
        item->setToolTip(1, value);
    }
}

QStringList CStatusList::RowTexts() const {
    QStringList texts;
    for (int index = 0; index < topLevelItemCount(); ++index) {
        texts << topLevelItem(index)->data(0, Qt::AccessibleTextRole).toString();
    }
    return texts;
}

void CStatusList::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    setColumnWidth(0, viewport()->width() / kItemShareDivisor);
}

} // namespace app
