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

// A word read where the value goes on to the transmitter's single-precision reals.
struct BoundedReal {
    enum Status { Number, NotANumber, OutOfRange };
    Status status = NotANumber;
    long double value = 0;
};
// ParseReal, and a number outside the range of single precision (0, or a magnitude from
// FLT_MIN to FLT_MAX) is OutOfRange: 1e39, 1e4000, 1e-40 and 1e-5000 alike.
BoundedReal ParseBoundedReal(std::string_view word);
// "mimo rozsah čísel s jednoduchou přesností (...)": what an OutOfRange value is, for messages.
std::string OutOfRangeText();

// `text` in double quotes for a message: at most `maxChars` characters (then "…"), with control
// bytes and bytes that are no UTF-8 shown as \xHH, so that a NUL, a CR or a megabyte of one
// line cannot garble or swell the message.
std::string QuoteForMessage(std::string_view text, std::size_t maxChars = 40);

}  // namespace veld::lin
