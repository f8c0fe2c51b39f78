#pragma once

#include "config/lin_dialog.h"

#include "ui/model_dialog.h"

#include <QString>
#include <vector>

class QChart;
class QLabel;

namespace veld::config {
class MainWindowModel;
}

namespace veld::ui {

// The dialog "Hodnoty linearizačního souboru": the points of the linearization file, the method
// and the polynomial degree. The model opens it by setting `dialog.visible` and closes it by
// clearing it, so it is shown without a nested event loop (application modal) and hidden again
// on the next sync; the close box and Esc ask the model to close it, which checks the choice as
// "OK" does. Beside the grid a plot shows the curve the chosen method makes of the points and
// its deviation at each of them.
class LinDialogView final : public ModelDialog {
    Q_OBJECT
public:
    LinDialogView(config::MainWindowModel& model, ControlBinder& binder, QWidget* parent);

    // Shows, hides and captions the dialog as the model says (the widgets are synced by the
    // binder).
    void sync();

private:
    bool shownByModel() const override;
    void closedByUser() override;

    config::MainWindowModel& model_;
    int filesShown_ = 0;

    // Redraws the preview when points, method, degree or unit changed since the last sync.
    void refreshPreview();
    struct PreviewKey {
        std::vector<double> in, out;
        int method = -1;
        QString degree, unit;
        bool comma = false;
        bool operator==(const PreviewKey&) const = default;
    };
    PreviewKey previewKey_;
    QChart* chart_;
    QLabel* largest_;
};

}  // namespace veld::ui
