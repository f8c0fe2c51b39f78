#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace veld::config {
class BackupPage;
}

namespace veld::ui {

// The differences "Porovnat s převodníkem" found: a row each, with the configuration file's
// name of the field, the transmitter's value and the file's. Refilled each time it is shown.
class CompareDialog final : public QDialog {
    Q_OBJECT
public:
    CompareDialog(const config::BackupPage& page, QWidget* parent);
    void refresh();
    QTableWidget& table() { return *table_; }

private:
    const config::BackupPage& page_;
    QTableWidget* table_;
    QPushButton* close_ = nullptr;
};

}  // namespace veld::ui
