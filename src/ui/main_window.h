#pragma once

#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QString>
#include <QWidget>
#include <vector>

class QGridLayout;
class QGroupBox;
class QTabWidget;

namespace veld::config {
class MainWindowModel;
class TrafficLog;
struct Control;
struct TabSheet;
}  // namespace veld::config

namespace veld::ui {

// Where a window goes on a screen whose free area is `available`: as large as fits up to its
// `natural` size but not below `minimum`, its frame (`frame` around the returned client area)
// centred in the free area and never above or left of it, so the title bar stays in reach.
QRect FitWindow(QSize natural, QSize minimum, QMargins frame, QRect available);

class CompareDialog;
class ControlBinder;
class DeviationPlot;
class LinDialogView;
class SensorMatchView;
class TrendChart;
class WindowPrompts;

// The main window: seven pages of controls mirroring the presentation model and, below them, the
// progress bars `Prenos` and `Transfer1`. All rules live in the model; this class lays the
// widgets out and re-syncs them whenever the model reports a change.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    // `prompts` is the one the model was built with; the window carries out its focus requests.
    MainWindow(config::MainWindowModel& model, WindowPrompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    ControlBinder& binder() { return *binder_; }
    LinDialogView& linDialog() { return *dialog_; }
    // The live trend of continuous measurement on the page "Měření".
    TrendChart& trend() { return *trend_; }
    // The deviation plot, once the deviation label has been clicked.
    DeviationPlot* deviationPlot() { return plot_; }
    // The differences of "Porovnat s převodníkem", once a comparison found some.
    CompareDialog* compareDialog() { return compare_; }
    QTabWidget& pages() { return *tabs_; }
    // Tab index of a page of the model, -1 for a control that is no page.
    int pageIndex(const config::Control& page) const;

    // Mirrors the whole model: every widget, the dialog, the caption and the active page. While
    // the model is busy the controls it blocks are disabled; the focus they lose comes back to
    // where it was when the model is idle again, unless a handler asked for another field.
    void sync();

    // Sizes and places the window on its screen (FitWindow); pages that do not fit then scroll.
    // Before the window is shown the frame is estimated; once the system reports it, the window
    // is fitted again.
    void fitOnScreen();
    // The size the window takes where the screen has room for it.
    QSize naturalSize() const { return natural_; }

    // The page "Provoz" after the model's pages: the transactions of `log`, which must outlive
    // the window.
    void addTrafficPage(config::TrafficLog& log);

signals:
    // The user brought a page to the front (index in tab order).
    void pageShown(int index);

protected:
    // While a transaction runs (the model's busy state) closing waits until it has ended; the
    // controls that would start another are disabled meanwhile.
    void closeEvent(QCloseEvent* event) override;
    // Page changes by the tab bar or Ctrl+Tab leave the focused field first (see the .cpp).
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* w(config::Control& control);
    // The widget that holds the controls of a page (inside its scroll area).
    QWidget* body(config::TabSheet& page);
    QWidget* heading(config::Control& control);
    // A framed group of controls; the frame disappears when every control in it is hidden.
    QGroupBox* section(QWidget* parent);
    void addRow(QGridLayout* grid, int row, QWidget* label, QWidget* field,
                QWidget* unit = nullptr);

    QWidget* buildInputPage();
    QWidget* buildRelayPage();
    QWidget* buildOutputPage();
    QWidget* buildPortPage();
    QWidget* buildInfoPage();
    QWidget* buildMeasurementPage();
    QWidget* buildBackupPage();
    void closeIfPending();
    // The margins of the window's frame, estimated while the system has not reported them.
    QMargins frameMargins(bool* known) const;

    config::MainWindowModel& model_;
    WindowPrompts& prompts_;
    ControlBinder* binder_;
    QTabWidget* tabs_ = nullptr;
    LinDialogView* dialog_ = nullptr;
    SensorMatchView* sensorDialog_ = nullptr;
    TrendChart* trend_ = nullptr;
    DeviationPlot* plot_ = nullptr;
    int plotRequests_ = 0;
    CompareDialog* compare_ = nullptr;
    int comparisons_ = 0;
    std::vector<QGroupBox*> sections_;
    bool closePending_ = false;
    QSize natural_;  // the size the window takes where the screen has room
    bool refitPending_ = false;
    // Focus while the model is busy: where it was before, and where blocking moved it.
    bool busyShown_ = false;
    QPointer<QWidget> focusBefore_;
    QPointer<QWidget> focusParked_;
};

}  // namespace veld::ui
