#pragma once

#include "ui/control_binder.h"

#include <QCloseEvent>
#include <QDialog>

namespace veld::ui {

// A dialog the model opens and closes: it is shown while the model says so, and the close box and
// Esc ask the model, which may keep it open (after a message) or close it on the next sync.
class ModelDialog : public QDialog {
public:
    void reject() override {
        if (shownByModel())
            binder_.runUserEvent([this] { closedByUser(); });
        else
            QDialog::reject();
    }

protected:
    ModelDialog(ControlBinder& binder, QWidget* parent) : QDialog(parent), binder_(binder) {}

    void closeEvent(QCloseEvent* event) override {
        if (!shownByModel()) {
            event->accept();
            return;
        }
        event->ignore();
        binder_.runUserEvent([this] { closedByUser(); });
    }

    virtual bool shownByModel() const = 0;
    virtual void closedByUser() = 0;

    ControlBinder& binder_;
};

}  // namespace veld::ui
