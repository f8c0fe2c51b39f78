#pragma once

#include "config/main_window_model.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QComboBox;
class QWidget;

namespace veld::ui {

// Binds widgets to the controls of the presentation model. Each widget is named after its
// control, reports the user's events to the model's entry points, and takes its whole state
// (text, items, selection, visible, enabled, caption, progress) from the control on `sync`.
//
// Leaving a control ("exit") is a focus-out of its widget, except while a handler runs (its
// own message box takes the focus), while the view syncs or moves the focus for the model, and
// when another window or a popup takes the focus. A click that left a field whose check failed
// is dropped, also on a list (its popup stays shut): the user is sent back to the field first.
//
// A list reports a change only: picking the item it already shows runs nothing, and the mouse
// wheel turns it only while it has the focus.
class ControlBinder final : public QObject {
    Q_OBJECT
public:
    explicit ControlBinder(config::MainWindowModel& model, QObject* parent = nullptr);
    ~ControlBinder() override;

    // Creates the widget that shows the control; a second call returns the same widget.
    QWidget* bind(config::Control& control);
    QWidget* widgetOf(const config::Control& control) const;
    QWidget* widgetNamed(const QString& controlName) const;
    config::Control* controlOf(const QObject* widget) const { return controls_.value(widget); }
    template <class W>
    W* widget(const config::Control& control) const {
        return qobject_cast<W*>(widgetOf(control));
    }

    // Copies every bound control into its widget with the widgets' signals blocked.
    void sync();

    // Controls kept disabled whatever the model says (those that would start a transaction
    // while one runs); their events are not passed on.
    void setBlocked(std::function<bool(const config::Control&)> blocked) {
        blocked_ = std::move(blocked);
    }

    // Runs a user event through the model, counted so that focus-outs caused by the handler
    // itself are not taken for the user leaving a control.
    void runUserEvent(const std::function<void()>& event);
    bool handlerRunning() const { return depth_ > 0; }

    // Gives the focus to the named control's widget after the running handler has finished,
    // without taking it for the user leaving the control that had the focus. While an operation
    // keeps the control from taking input, it waits until the operation has ended.
    void requestFocus(const QString& controlName);
    // A focus request has not been carried out yet.
    bool focusRequested() const { return focusQueued_ || focusDeferred_; }
    // Moves the focus for the model or the window: not the user leaving the control that had it.
    void giveFocus(QWidget* widget);

    // A click whose press left a field that failed its check (the focus is on its way back
    // there) is not carried out, as if the message box had taken it.
    bool clickCancelled() const { return focusQueued_; }

signals:
    // The outermost user event has returned to the event loop.
    void handlerFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        config::Control* control;
        QWidget* widget;
    };

    QWidget* create(config::Control& control);
    void syncOne(config::Control& control, QWidget* widget);
    void comboTyped(config::ComboBox& control, QComboBox* combo, const QString& typed);
    void applyFocus();
    bool isBlocked(const config::Control& control) const { return blocked_ && blocked_(control); }

    config::MainWindowModel& model_;
    std::vector<Binding> bindings_;
    QHash<const config::Control*, QWidget*> widgets_;
    QHash<const QObject*, config::Control*> controls_;
    QHash<QString, QWidget*> byName_;
    std::function<bool(const config::Control&)> blocked_;
    int depth_ = 0;
    bool syncing_ = false;
    bool movingFocus_ = false;
    bool focusQueued_ = false;
    bool focusDeferred_ = false;
    QString pendingFocus_;
};

}  // namespace veld::ui
