#pragma once

#include "config/handler_support.h"
#include "config/number_format.h"
#include "config/outcome.h"

#include <QString>

// The page "Konf. an. výstupu": the process values for 4 mA and 20 mA, saved with the output
// scaling computed from the transmitter's own calibration constants, and read back. The limits
// are stored in the unit shown; nothing converts them through a sensor characteristic.
namespace veld::config {

class MainWindowModel;

class AnalogOutput {
public:
    explicit AnalogOutput(MainWindowModel& model) : m_(model) {}

    void EdLoLimDAExit();
    void EdHiLimDAExit();
    // Save: reads the calibration constants at 36, writes the scaling and the limits at 52.
    Outcome Button2Click();
    // Read: the two limits at 60 and 64.
    Outcome Button3Click();

    // The values last accepted from the two boxes: what the save writes.
    float OutputRangeLo = 0;
    float OutputRangeHi = 0;

    // Why the last save or read stopped, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // A limit as the read shows it: at most 10 significant digits, the given separator.
    static QString FormatLimit(float value, DecimalSeparator separator);

private:
    enum class End { Lo, Hi };
    void limitExit(End end);
    bool save();
    Outcome read(End end);
    template <class R>
    bool failed(const R& result);

    MainWindowModel& m_;
    bool running_ = false;
    FailureRecord failure_;
};

}  // namespace veld::config
