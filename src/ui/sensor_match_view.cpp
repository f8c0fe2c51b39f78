#include "ui/sensor_match_view.h"

#include "config/main_window_model.h"
#include "ui/control_binder.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veld::ui {

SensorMatchView::SensorMatchView(config::MainWindowModel& model, ControlBinder& binder,
                                 QWidget* parent)
    : ModelDialog(binder, parent), model_(model) {
    setObjectName(QStringLiteral("SensorMatchView"));
    setWindowModality(Qt::ApplicationModal);
    config::SensorMatchForm& d = model.sensorDialog;

    auto* fields = new QGridLayout;
    const struct {
        config::Label& label;
        config::Edit& edit;
        config::Label& unit;
    } rows[] = {{d.LabCidloR0, d.CidloR0, d.JedCidloR0},
                {d.LabCidloA, d.CidloA, d.JedCidloA},
                {d.LabCidloB, d.CidloB, d.JedCidloB},
                {d.LabCidloC, d.CidloC, d.JedCidloC}};
    int row = 0;
    for (const auto& r : rows) {
        fields->addWidget(binder.bind(r.label), row, 0);
        QWidget* edit = binder.bind(r.edit);
        edit->setMinimumWidth(160);
        fields->addWidget(edit, row, 1);
        fields->addWidget(binder.bind(r.unit), row, 2);
        ++row;
    }
    fields->setColumnStretch(1, 1);

    auto* note = static_cast<QLabel*>(binder.bind(d.LabCidloPozn));
    note->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    auto* ok = static_cast<QPushButton*>(binder.bind(d.CidloOK));
    auto* cancel = static_cast<QPushButton*>(binder.bind(d.CidloZrusit));
    // The model decides what Enter does; no button closes the dialog by itself.
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    ok->setMinimumWidth(ok->sizeHint().width() * 2);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(binder.bind(d.Prizpusobit));
    layout->addLayout(fields);
    layout->addWidget(note);
    layout->addLayout(buttons);
    setMinimumWidth(460);
    sync();
}

void SensorMatchView::sync() {
    const config::SensorMatchForm& d = model_.sensorDialog;
    if (windowTitle() != d.caption)
        setWindowTitle(d.caption);
    if (d.visible && !isVisible()) {
        show();
        raise();
        activateWindow();
    } else if (!d.visible && isVisible()) {
        hide();
    }
}

bool SensorMatchView::shownByModel() const {
    return model_.sensorDialog.visible;
}

void SensorMatchView::closedByUser() {
    model_.userClosedSensorDialog();
}

}  // namespace veld::ui
