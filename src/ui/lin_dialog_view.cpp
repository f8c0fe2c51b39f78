#include "ui/lin_dialog_view.h"

#include "config/main_window_model.h"
#include "ui/control_binder.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace veld::ui {

LinDialogView::LinDialogView(config::MainWindowModel& model, ControlBinder& binder, QWidget* parent)
    : QDialog(parent), model_(model), binder_(binder) {
    setObjectName(QStringLiteral("Form4"));
    config::LinDialogForm& d = model.dialog;
    setWindowModality(Qt::ApplicationModal);
    resize(config::LinDialogForm::kWidth, config::LinDialogForm::kHeight);

    auto* grid = static_cast<QTableWidget*>(binder.bind(d.StringGrid1));
    grid->setFocusPolicy(d.StringGrid1.tabStop ? Qt::StrongFocus : Qt::NoFocus);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* degree = new QHBoxLayout;
    degree->addWidget(binder.bind(d.pstup));
    auto* stup = static_cast<QComboBox*>(binder.bind(d.stup_p));
    stup->setMinimumContentsLength(3);
    degree->addWidget(stup);
    degree->addStretch();

    auto* method = new QHBoxLayout;
    method->addWidget(binder.bind(d.Zpus_lin), 1);
    auto* degreeColumn = new QVBoxLayout;
    degreeColumn->addStretch();
    degreeColumn->addLayout(degree);
    method->addLayout(degreeColumn);

    auto* buttons = new QHBoxLayout;
    auto* ok = static_cast<QPushButton*>(binder.bind(d.OK));
    auto* other = binder.bind(d.Jiny);
    // The model decides what Enter does; no button closes the dialog by itself.
    ok->setAutoDefault(false);
    static_cast<QPushButton*>(other)->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addSpacing(24);
    buttons->addWidget(other);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid, 1);
    layout->addLayout(method);
    layout->addLayout(buttons);
    ok->setMinimumWidth(ok->sizeHint().width() * 2);
    sync();
}

void LinDialogView::sync() {
    const config::LinDialogForm& d = model_.dialog;
    if (windowTitle() != d.caption)
        setWindowTitle(d.caption);
    if (filesShown_ != d.filesShown) {
        // Another file: its points from the first row, not where the last one was scrolled to.
        filesShown_ = d.filesShown;
        if (auto* grid = binder_.widget<QTableWidget>(d.StringGrid1)) {
            grid->clearSelection();
            grid->scrollToTop();
        }
    }
    if (d.visible && !isVisible()) {
        show();
        raise();
        activateWindow();
    } else if (!d.visible && isVisible()) {
        hide();
    }
}

void LinDialogView::reject() {
    if (model_.dialog.visible)
        binder_.runUserEvent([this] { model_.userClosedDialog(); });
    else
        QDialog::reject();
}

void LinDialogView::closeEvent(QCloseEvent* event) {
    // The model closes the dialog; it stays open when the model keeps it.
    if (!model_.dialog.visible) {
        event->accept();
        return;
    }
    event->ignore();
    binder_.runUserEvent([this] { model_.userClosedDialog(); });
}

}  // namespace veld::ui
