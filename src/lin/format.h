#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veld::lin {

// A real number as the windows show it in messages: up to 15 significant digits, trailing
// zeros dropped, plain notation from 0.0001 up to 15 integer digits, otherwise "1E-5" /
// "2E20". Always a full stop, whatever the process locale says.
std::string FormatGeneral(long double value);

// A whole word as a finite real with a full stop as decimal separator: "-200", "+1.5", "2e3".
// Anything else in the word ("12abc", "1,5", "+-1", "inf") makes it no number.
std::optional<long double> ParseReal(std::string_view word);

}  // namespace veld::lin
