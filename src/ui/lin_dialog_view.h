#pragma once

#include <QDialog>

namespace veld::config {
class MainWindowModel;
}

namespace veld::ui {

class ControlBinder;

// The dialog "Hodnoty linearizačního souboru": the points of the linearization file, the method
// and the polynomial degree. The model opens it by setting `dialog.visible` and closes it by
// clearing it, so it is shown without a nested event loop (application modal) and hidden again
// on the next sync; the close box and Esc ask the model to close it, which checks the choice as
// "OK" does.
class LinDialogView final : public QDialog {
    Q_OBJECT
public:
    LinDialogView(config::MainWindowModel& model, ControlBinder& binder, QWidget* parent);

    // Shows, hides and captions the dialog as the model says (the widgets are synced by the
    // binder).
    void sync();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    config::MainWindowModel& model_;
    ControlBinder& binder_;
    int filesShown_ = 0;
};

}  // namespace veld::ui
