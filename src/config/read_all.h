#pragma once

#include "config/handler_support.h"
#include "config/input_state.h"
#include "config/outcome.h"

#include <functional>
#include <optional>

namespace veld::lin {
class LinMath;
}
namespace veld::link {
class DeviceAccess;
}

// Reading the whole input configuration from the transmitter, and the shorter read of the range
// that follows a calibration.
namespace veld::config {

class InputRules;
class EntryChecks;
class UserNote;

class ReadAll {
public:
    ReadAll(Editor& editor, link::DeviceAccess& device, lin::LinMath& math, InputRules& rules,
            EntryChecks& checks, UserNote& note, std::function<void()> changed);

    // `Precist`: the fixed sequence of reads, each decoded into the record and the controls as
    // it arrives; ends at the first failed read (what was shown before stays). A complete read
    // enables the measurement buttons.
    Outcome PrecistClick();

    // The range as the transmitter holds it at 60, rounded to the resolution of the type and,
    // where the display curve is a sensor's, converted back to the display unit; into
    // `RangeBegin`, `RangeEnd`, `Pocatek` and `Konec`. A failed read changes none of them.
    Outcome cteni_mezi();

    // Why the last operation stopped, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

private:
    Outcome readSequence();
    template <class R>
    bool failed(const R& result);

    Editor& e_;
    link::DeviceAccess& device_;
    lin::LinMath& math_;
    InputRules& rules_;
    EntryChecks& checks_;
    UserNote& note_;
    Progress progress_;
    FailureRecord failure_;
};

// General notation with at most `digits` significant digits, trailing zeros dropped: plain from
// 0.0001 up to `digits` integer digits, otherwise with an exponent ("1E-5"), and the given
// decimal separator.
QString FormatGeneralDigits(long double value, int digits, DecimalSeparator separator);

}  // namespace veld::config
