#pragma once

#include "ui/model_dialog.h"

namespace veld::config {
class MainWindowModel;
}

namespace veld::ui {

// The dialog "Přizpůsobení čidlu": its controls are the model's (SensorMatchForm), bound by the
// binder; it is shown while the model says so, and the close box and Esc ask the model to cancel.
class SensorMatchView final : public ModelDialog {
    Q_OBJECT
public:
    SensorMatchView(config::MainWindowModel& model, ControlBinder& binder, QWidget* parent);

    void sync();

private:
    bool shownByModel() const override;
    void closedByUser() override;

    config::MainWindowModel& model_;
};

}  // namespace veld::ui
