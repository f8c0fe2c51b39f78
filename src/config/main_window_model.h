#pragma once

#include "common/prompts.h"
#include "config/analog_output.h"
#include "config/backup_page.h"
#include "config/calibration.h"
#include "config/com_page.h"
#include "config/comparators.h"
#include "config/config_file.h"
#include "config/entry_checks.h"
#include "config/input_rules.h"
#include "config/input_state.h"
#include "config/lin_dialog.h"
#include "config/lin_file.h"
#include "config/lin_preview.h"
#include "config/main_form.h"
#include "config/measurement.h"
#include "config/outcome.h"
#include "config/read_all.h"
#include "config/sensor_match.h"
#include "config/user_note.h"
#include "config/write_all.h"
#include "lin/lin_math.h"
#include "lin/messages.h"
#include "lin/point_file.h"
#include "link/device_access.h"
#include "model/transmitter_config.h"

#include <QHash>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

// The presentation model of the main window and the linearization dialog: the controls, the
// configuration record and the handlers that keep them consistent.
//
// How a view binds to it: one widget per control of `form.controls()` and `dialog.controls()`,
// found by the control's name; the view reports the user's typing, picking, leaving and clicking
// through the entry points below and never changes a control itself. After every entry point
// `changed` fires once and the view copies texts, items, indices, visible and enabled back into
// its widgets (enabled as `effectivelyEnabled` says). `Prompts::focus(name)` names the widget to
// focus; the dialog is shown while `dialog.visible` is true.
//
// The handlers reach the transmitter through `device()`. While a transaction waits on the line
// the window keeps processing events; `setBusy` (driven by the link) and the running operation
// make the controls take no input meanwhile (see `blockedWhileBusy`).
namespace veld::config {

// What a click on a control does, which decides when it is refused.
enum class ClickKind {
    Transaction,  // starts an operation on the line: refused while any transaction runs
    Local,        // works on the window or a file: refused while an operation runs
    Stop,         // ends what runs: always taken
};

// A control the user can click, and what the click does.
struct ClickRole {
    QStringView name;  // the control's own name
    ClickKind kind;
};

class MainWindowModel {
public:
    MainWindowModel(Prompts& prompts, link::DeviceAccess& device, ModelSettings settings = {});
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    // --- User events. Events on controls that take no input (`takesInput`) are ignored. ---
    // The user typed into an edit or a drop-down list (the whole new text). A single character
    // typed into a list completes to the first item it begins with (the view does no
    // completion of its own).
    void userEdited(Control& control, const QString& text);
    // The user picked item `index` of a drop-down list, radio group or list box.
    void userSelected(Control& control, int index);
    // The user ticked or cleared a check box.
    void userToggled(CheckBox& box, bool checked);
    // The user left the control.
    void userLeft(Control& control);
    // The user clicked a button or a label.
    void userClicked(Control& control);
    // The user closed the linearization dialog with its close box or Esc: the choice is checked
    // as "OK" checks it, and the dialog stays open while it is refused.
    void userClosedDialog();
    // The same for "Přizpůsobení čidlu": as "Zrušit".
    void userClosedSensorDialog();
    // The user brought page `index` of the page control (tab order) to the front.
    void userShowedPage(int index);
    // The same by control name, for the main window's controls first, then the dialogs'.
    // False when no such control exists.
    bool userEdited(const QString& controlName, const QString& text);
    bool userSelected(const QString& controlName, int index);
    bool userLeft(const QString& controlName);
    bool userClicked(const QString& controlName);

    // --- Change notification. ---
    // Runs once after each user event (and after `notifyChanged`), so the view can re-sync.
    std::function<void()> changed;
    std::uint64_t revision() const { return revision_; }
    // For code outside the entry points that changed controls (e.g. a transfer).
    void notifyChanged();

    // --- Transactions and operations. ---
    // A transaction started (true) or ended (false). `changed` fires at each change, so the view
    // shows the progress a handler has reached at every transaction boundary.
    void setBusy(bool busy);
    bool busy() const { return busy_; }
    // An operation runs: the handler of a click on a control that starts a transaction (or of
    // any event, once it has started one), from the click until the handler returns, its
    // questions and the pauses between its transactions included.
    bool operationRunning() const { return operation_; }
    // The small progress bar `Transfer1`; `changed` fires when its position moves.
    void setTransfer(int position);
    // Every clickable control of the window and what a click on it does, as its handler was
    // bound (bindHandlers).
    std::span<const ClickRole> ClickRoles() const { return clickRoles_; }
    bool StartsTransaction(const QString& controlName) const {
        return clickKinds_.value(controlName, ClickKind::Local) == ClickKind::Transaction;
    }
    // The control is enabled but takes no input now. While an operation runs, every control
    // that takes input refuses it except Stop, so nothing changes the page or the port under
    // the operation; a transaction on its own (continuous measurement's) refuses only the
    // controls that would start another. Each control keeps its own `enabled`, which holds
    // again afterwards.
    bool blockedWhileBusy(const Control& control) const;
    // What the view shows as enabled.
    bool effectivelyEnabled(const Control& control) const {
        return control.enabled && !blockedWhileBusy(control);
    }
    // Whether a user event on the control is carried out now.
    bool takesInput(const Control& control) const {
        return control.visible && effectivelyEnabled(control);
    }

    // How the handler of the last user event ended, for a caller that drives the model by
    // control names (the command line takes its exit status from it); empty when that event
    // ran no handler that reports an outcome.
    std::optional<Outcome> lastOutcome() const { return lastOutcome_; }

    // --- State. ---
    MainForm form;
    LinDialogForm dialog;
    SensorMatchForm sensorDialog;
    model::TransmitterConfig config;
    InputState state;
    lin::PointStore points;

    // The mathematics on the same point store; its messages go to the prompts.
    lin::LinMath& math() { return math_; }

    InputRules& rules() { return rules_; }
    EntryChecks& checks() { return checks_; }
    LinFileChoice& linFile() { return linFile_; }
    // Updated before each change notification.
    LinPreview& linPreview() { return linPreview_; }
    SensorMatch& sensorMatch() { return sensorMatch_; }
    ComPage& com() { return com_; }
    UserNote& userNote() { return userNote_; }
    ReadAll& readAll() { return readAll_; }
    Calibration& calibration() { return calibration_; }
    Comparators& comparators() { return comparators_; }
    AnalogOutput& analogOutput() { return analogOutput_; }
    Measurement& measurement() { return measurement_; }
    // A user event's handler is running (it may be waiting for a transaction or a question).
    bool handlerRunning() const { return depth_ > 0; }
    ConfigFile& configFile() { return configFile_; }
    WriteAll& writeAll() { return writeAll_; }
    BackupPage& backupPage() { return backupPage_; }
    Prompts& prompts() { return prompts_; }
    link::DeviceAccess& device() { return device_; }
    const ModelSettings& settings() const { return settings_; }

private:
    class MathMessages final : public lin::LinMessages {
    public:
        explicit MathMessages(Prompts& p) : prompts_(p) {}
        void message(const std::string& text) override {
            prompts_.message(QString::fromStdString(text));
        }

    private:
        Prompts& prompts_;
    };

    Control* findAny(const QString& controlName) const;
    void bindHandlers();
    // Bind a click handler and say what the click does (ClickKind). A handler that returns an
    // Outcome has it reported.
    template <class F>
    void onTransaction(Control& control, F handler) {
        bindClick(control, ClickKind::Transaction, std::move(handler));
    }
    template <class F>
    void onLocal(Control& control, F handler) {
        bindClick(control, ClickKind::Local, std::move(handler));
    }
    template <class F>
    void onStop(Control& control, F handler) {
        bindClick(control, ClickKind::Stop, std::move(handler));
    }
    template <class F>
    void bindClick(Control& control, ClickKind kind, F handler);
    // Runs a user event's handler; `startsOperation` when its click starts a transaction.
    template <class F>
    void run(F&& action, bool startsOperation = false);
    // Handlers that talk to the transmitter hand their outcome here (see bindHandlers).
    void report(Outcome outcome);

    Prompts& prompts_;
    link::DeviceAccess& device_;
    ModelSettings settings_;
    MathMessages mathMessages_;
    lin::LinMath math_;
    Editor editor_;
    LinFileChoice linFile_;
    LinPreview linPreview_{editor_};
    SensorMatch sensorMatch_{editor_, sensorDialog};
    InputRules rules_;
    EntryChecks checks_;
    ComPage com_;
    UserNote userNote_;
    ReadAll readAll_;
    Calibration calibration_;
    Comparators comparators_{*this};
    AnalogOutput analogOutput_{*this};
    Measurement measurement_{*this};
    ConfigFile configFile_;
    WriteAll writeAll_{*this};
    BackupPage backupPage_{*this};
    std::uint64_t revision_ = 0;
    int depth_ = 0;
    bool busy_ = false;
    bool operation_ = false;
    std::optional<Outcome> lastOutcome_;
    std::vector<ClickRole> clickRoles_;
    QHash<QString, ClickKind> clickKinds_;
};

// A lone typed character becomes the first item that begins with it, in any case; other texts
// stay as typed.
QString CompleteFirstCharacter(const ComboBox& combo, const QString& typed);

}  // namespace veld::config
