#pragma once

#include "config/handler_support.h"
#include "config/input_state.h"
#include "config/outcome.h"

#include <QString>
#include <functional>
#include <optional>
#include <string_view>

namespace veld::link {
class DeviceAccess;
}

// Calibration against a reference ("NastOfs", "NastFS") and the PV correction's own place at 120.
namespace veld::config {

class EntryChecks;
class ReadAll;

class Calibration {
public:
    Calibration(Editor& editor, link::DeviceAccess& device, EntryChecks& checks, ReadAll& read,
                std::function<void()> changed);

    // The transmitter takes the present value as the new lower (upper) range end, after the
    // user's Yes; a refusal code is shown, an acceptance is read back with `cteni_mezi`.
    Outcome S_DolmezClick();
    Outcome S_HormezClick();

    // Exit of `korekcePV`: normalizes the separator and takes the number into `PvCorrection`.
    void korekcePVExit();

    // What the save of the correction did.
    enum class CorrectionWrite {
        Written,         // the transmitter took it
        NothingToWrite,  // `korekcePV` was empty; the message has been shown, nothing was sent
        Failed,          // the write failed (see lastFailure())
    };
    // The steps of `Button8Click`: `PvCorrection` at 120. The whole write runs this and goes on
    // unless it failed.
    CorrectionWrite saveCorrection();
    // `Button8`: saveCorrection(), Completed only when written.
    Outcome Button8Click();
    // `Button1` and the labels of the page "Informace": the correction at 120 into `korekcePV`,
    // one decimal shown, `PvCorrection` keeping the full value.
    Outcome Button1Click();

    // Why the last operation stopped, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // The message for a result code of "NastOfs"/"NastFS"; empty for an accepted calibration.
    static QString RefusalMessage(int resultCode);

private:
    Outcome calibrate(Button& button, std::string_view command, const QString& question);

    Editor& e_;
    link::DeviceAccess& device_;
    EntryChecks& checks_;
    ReadAll& read_;
    Progress progress_;
    FailureRecord failure_;
};

}  // namespace veld::config
