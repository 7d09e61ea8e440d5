#pragma once

#include "gateway/StatusRows.h"

#include <QTreeWidget>
#include <vector>

namespace app {

// The status list: two columns, label and value, without a header. Rows are rebuilt whole
// from the shared status rows (GBK), and each row reads as "label: value" to a screen reader.
class CStatusList final : public QTreeWidget {
    Q_OBJECT

public:
    explicit CStatusList(QWidget* parent = nullptr);

    void ShowRows(const std::vector<gateway::StatusRow>& rows);

    // The rows as shown, "label: value" each, for the accessible name and the tests.
    QStringList RowTexts() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace app
