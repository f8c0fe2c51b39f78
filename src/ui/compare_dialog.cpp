#include "ui/compare_dialog.h"

#include "config/backup_page.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace veld::ui {

CompareDialog::CompareDialog(const config::BackupPage& page, QWidget* parent)
    : QDialog(parent), page_(page), table_(new QTableWidget(0, 3, this)) {
    setObjectName(u"CompareDialog"_s);
    setWindowTitle(u"Porovnání s převodníkem"_s);
    table_->setObjectName(u"CompareTable"_s);
    table_->setHorizontalHeaderLabels({u"Položka"_s, u"V převodníku"_s, u"V souboru"_s});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    close_ = buttons->button(QDialogButtonBox::Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"Položky, v nichž se převodník a soubor liší:"_s, this));
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
}

void CompareDialog::refresh() {
    const auto& differences = page_.differences();
    table_->setRowCount(static_cast<int>(differences.size()));
    int row = 0;
    for (const config::FieldDifference& d : differences) {
        // A field only one side has is marked on the other.
        const QString values[] = {d.field, d.transmitter.isEmpty() ? u"—"_s : d.transmitter,
                                  d.file.isEmpty() ? u"—"_s : d.file};
        for (int column = 0; column < 3; ++column)
            table_->setItem(row, column, new QTableWidgetItem(values[column]));
        ++row;
    }
    table_->resizeColumnsToContents();
    // Some air beside each text; values are short, so no column is narrower than a few words.
    const int least = table_->fontMetrics().horizontalAdvance(u"dolní mez přebuzení"_s);
    for (int column = 0; column < 3; ++column)
        table_->setColumnWidth(column, std::max(table_->columnWidth(column) + 24, least));
    // Room for every column and the rows without scrolling, as far as the screen allows.
    const int width = table_->horizontalHeader()->length() + table_->frameWidth() * 2 + 2;
    const int height = table_->horizontalHeader()->height() + table_->verticalHeader()->length() +
                       table_->frameWidth() * 2 + 2;
    table_->setMinimumSize(std::min(width, 900), std::min(height, 500));
    table_->setCurrentItem(nullptr);
    close_->setFocus();
    adjustSize();
}

}  // namespace veld::ui
