#pragma once

#include <QDialog>

namespace veld::config {
class MainWindowModel;
}

namespace veld::ui {

class ControlBinder;

// The dialog "Přizpůsobení čidlu": its controls are the model's (SensorMatchForm), bound by the
// binder; it is shown while the model says so, and the close box and Esc ask the model to cancel.
class SensorMatchView final : public QDialog {
    Q_OBJECT
public:
    SensorMatchView(config::MainWindowModel& model, ControlBinder& binder, QWidget* parent);

    void sync();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    config::MainWindowModel& model_;
    ControlBinder& binder_;
};

}  // namespace veld::ui
