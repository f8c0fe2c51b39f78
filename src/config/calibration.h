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
    // The steps of `Button8Click`: `PvCorrection` at 120.
    CorrectionWrite saveCorrection();
    // The same on `typed`, the text the box held when the operation began: the exit check's
    // effect on the box and `PvCorrection` holds unless the user has typed there since, and a
    // text that is no number writes `kept`, the correction last accepted. The whole write runs
    // this and goes on unless it failed.
    CorrectionWrite saveCorrection(const QString& typed, long double kept);
    // The number the exit check takes from `typed`; nullopt when it is none or beyond a single.
    static std::optional<long double> CorrectionOf(const QString& typed,
                                                   DecimalSeparator separator);
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
    // The exit check of `typed`, shown in the box only while the box still holds it.
    std::optional<long double> takeCorrection(const QString& typed);

    Editor& e_;
    link::DeviceAccess& device_;
    EntryChecks& checks_;
    ReadAll& read_;
    Progress progress_;
    FailureRecord failure_;
};

}  // namespace veld::config
