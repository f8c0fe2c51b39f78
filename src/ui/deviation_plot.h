#pragma once

#include <QDialog>

class QChart;
class QLabel;

namespace veld::config {
class LinPreview;
}

namespace veld::ui {

// The deviation of the table "linearizováno" would upload, over the range: opened by a click
// on the deviation label of the first page, redrawn from the preview each time it is shown.
class DeviationPlot final : public QDialog {
    Q_OBJECT
public:
    DeviationPlot(const config::LinPreview& preview, QWidget* parent);
    void refresh();

private:
    const config::LinPreview& preview_;
    QChart* chart_;
    QLabel* summary_;
};

}  // namespace veld::ui
