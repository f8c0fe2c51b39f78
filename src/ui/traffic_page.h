#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "config/traffic_log.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;

namespace veld {
class Prompts;
}

namespace veld::ui {

// The transactions of a traffic log that pass a filter, oldest first, as table rows. Follows the
// log: new transactions append rows, those the log drops remove theirs.
class TrafficTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Time,
        Command,
        Address,
        Count,
        Meaning,
        Code,
        Status,
        Attempts,
        Ms,
        Error,
        Columns
    };

    explicit TrafficTableModel(const config::TrafficLog& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setFilter(config::TrafficFilter filter);
    // Catches up with the log.
    void follow();
    const link::TransactionRecord& record(int row) const { return log_.at(ids_.at(row)); }

private:
    const config::TrafficLog& log_;
    config::TrafficFilter filter_;
    std::vector<std::uint64_t> ids_;  // of the rows, ascending
    std::uint64_t seenEnd_ = 0;       // the log's endId() last followed
};

// The page "Provoz": the table with its filter, the raw bytes of the chosen transaction on
// demand, and "Uložit záznam".
class TrafficPage final : public QWidget {
    Q_OBJECT
public:
    TrafficPage(config::TrafficLog& log, Prompts& prompts, QWidget* parent = nullptr);
    ~TrafficPage() override;

    TrafficTableModel& table() { return *model_; }
    QTableView& view() { return *view_; }

private:
    void applyFilter();
    void follow();
    void showRaw();
    void showCount();

    config::TrafficLog& log_;
    Prompts& prompts_;
    TrafficTableModel* model_;
    QComboBox* command_;
    QLineEdit* address_;
    QCheckBox* failures_;
    QCheckBox* raw_;
    QLabel* count_;
    QTableView* view_;
    QPlainTextEdit* bytes_;
    bool addressValid_ = true;
};

}  // namespace veld::ui
