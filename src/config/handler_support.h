#pragma once

#include "config/controls.h"
#include "link/device_access.h"

#include <functional>
#include <optional>
#include <utility>

// Small pieces the transmitter handlers share.
namespace veld::config {

// Keeps a button disabled while its operation runs and gives it back its state however the
// operation ends: a second click must not start the operation again while the first waits.
class ButtonBusy {
public:
    explicit ButtonBusy(Button& button) : button_(button), wasEnabled_(button.enabled) {
        button_.enabled = false;
    }
    ~ButtonBusy() { button_.enabled = wasEnabled_; }
    ButtonBusy(const ButtonBusy&) = delete;
    ButtonBusy& operator=(const ButtonBusy&) = delete;

private:
    Button& button_;
    bool wasEnabled_;
};

// Moves `Prenos` and lets the view show it at once (the window keeps running while a transfer
// waits, so a stage reached is shown before the next transaction ends).
class Progress {
public:
    Progress(ProgressBar& bar, std::function<void()> changed)
        : bar_(bar), changed_(std::move(changed)) {}
    void operator()(int position) {
        bar_.position = position;
        if (changed_)
            changed_();
    }

private:
    ProgressBar& bar_;
    std::function<void()> changed_;
};

// The last failed transmitter access of a handler. The window's sequences end silently after a
// failure (the link has shown its own message where there is one); the command line prints
// `describe()` for the others.
class FailureRecord {
public:
    void clear() { last_.reset(); }
    void record(const link::AccessFailure& failure) { last_ = failure; }
    const std::optional<link::AccessFailure>& last() const { return last_; }

private:
    std::optional<link::AccessFailure> last_;
};

}  // namespace veld::config
