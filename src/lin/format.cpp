#include "lin/format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace veld::lin {

std::string FormatGeneral(long double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // 15 significant digits in scientific form: "d.dddddddddddddde[+-]xx".
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string sci(buf, res.ptr);
    const auto ePos = sci.find('e');
    const int exponent = std::atoi(sci.c_str() + ePos + 1);
    std::string mantissa = sci.substr(0, ePos);
    const bool negative = mantissa.front() == '-';
    if (negative)
        mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (c != '.')
            digits.push_back(c);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    // Plain from 0.0001 on, exponent form below, as the windows show numbers.
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto intDigits = static_cast<std::size_t>(exponent + 1);
            if (digits.size() <= intDigits) {
                out += digits;
                out.append(intDigits - digits.size(), '0');
            } else {
                out += digits.substr(0, intDigits);
                out += '.';
                out += digits.substr(intDigits);
            }
        }
    } else {
        out += digits.substr(0, 1);
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return out;
}

namespace {

// The word as a number of the extended type: a number, no number, or one it cannot hold.
BoundedReal readReal(std::string_view token) {
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && (token.front() == '+' || token.front() == '-'))
            return {};
    }
    long double value = 0;
    const auto res = std::from_chars(token.data(), token.data() + token.size(), value,
                                     std::chars_format::general);
    if (res.ec == std::errc::invalid_argument || res.ptr != token.data() + token.size())
        return {};
    if (res.ec == std::errc::result_out_of_range)
        return {BoundedReal::OutOfRange, 0};
    if (res.ec != std::errc{} || !std::isfinite(value))
        return {};
    return {BoundedReal::Number, value};
}

// Length of the UTF-8 sequence starting at text[i], 0 when the bytes there are no UTF-8.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lo = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        hi = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < lo || byte(i + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

void appendEscaped(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
}

}  // namespace

std::optional<long double> ParseReal(std::string_view token) {
    const BoundedReal r = readReal(token);
    if (r.status != BoundedReal::Number)
        return std::nullopt;
    return r.value;
}

BoundedReal ParseBoundedReal(std::string_view word) {
    BoundedReal r = readReal(word);
    const long double magnitude = std::fabs(r.value);
    if (r.status == BoundedReal::Number && magnitude != 0 &&
        (magnitude < std::numeric_limits<float>::min() ||
         magnitude > std::numeric_limits<float>::max()))
        r.status = BoundedReal::OutOfRange;
    return r;
}

std::string OutOfRangeText() {
    return "mimo rozsah čísel s jednoduchou přesností (0 nebo absolutní hodnota od " +
           FormatGeneral(std::numeric_limits<float>::min()) + " do " +
           FormatGeneral(std::numeric_limits<float>::max()) + ")";
}

std::string QuoteForMessage(std::string_view text, std::size_t maxChars) {
    std::string out = "\"";
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (chars == maxChars) {
            out += "…";
            break;
        }
        const std::size_t length = utf8Length(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        if (length == 0 || c < 0x20 || c == 0x7F) {
            appendEscaped(out, c);
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
        ++chars;
    }
    out += '"';
    return out;
}

}  // namespace veld::lin
